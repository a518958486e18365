#pragma once
// The DestList stream of a jump list (an *.automaticDestinations-ms compound file): a 32-byte
// header (version, number of entries, number of pinned entries, last entry number, revision)
// and one record per entry: its entry number (the name, in hexadecimal, of the stream that
// holds the entry's shortcut), its pin state (-1 when not pinned) and its path. Windows 7
// and 8 write version 1; Windows 10 and 11 versions 3 and 4, whose records carry sixteen
// more bytes before the path and four after it. Version 2 is read with the later layout.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv::engine::jumplists {

struct DestListEntry {
    std::uint32_t number = 0;
    bool pinned = false;
    std::u16string path;
    std::string record; // the entry's bytes as the stream holds them
};

struct DestList {
    std::uint32_t version = 0;
    std::string header; // the 32 bytes, as read
    std::vector<DestListEntry> entries;
};

enum class DestListReading { Read, UnknownVersion, Damaged };

struct ReadDestList {
    DestListReading outcome = DestListReading::Damaged;
    DestList list;
};

inline constexpr std::size_t kDestListHeaderSize = 32;

// Reads the whole stream. It is read only when everything agrees: the records end exactly
// at the stream's end, their number and the number of pinned ones are the header's, and no
// entry number comes twice. An empty stream is a list without entries.
ReadDestList readDestList(std::string_view stream);

// The stream of `list` with only `kept` of its entries, byte for byte and in its order: the
// header's counts say so and its revision moves on by one; the rest of it is kept.
std::string writeDestList(const DestList& list, const std::vector<const DestListEntry*>& kept);

} // namespace tv::engine::jumplists
