#pragma once
// Compound files ([MS-CFB], versions 3 and 4): a small file system inside one file, with
// storages and streams named in UTF-16. Read from and written to byte buffers; nothing here
// touches the system. Reading takes hostile input: every sector number, chain, size and
// sibling link is checked, each sector may belong to one chain only, and whatever does not
// hold together makes the whole file "damaged" rather than half read.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv::engine::jumplists {

struct CompoundEntry {
    enum class Kind { Storage, Stream };
    std::u16string name;
    Kind kind = Kind::Stream;
    std::string data;                    // a stream's bytes
    std::vector<CompoundEntry> children; // a storage's entries, in the file's name order
    std::array<std::uint8_t, 16> clsid{};
    std::uint32_t stateBits = 0;
    std::uint64_t created = 0;
    std::uint64_t modified = 0;

    bool operator==(const CompoundEntry&) const = default;
};

struct CompoundFile {
    std::uint16_t majorVersion = 3; // 3: 512-byte sectors; 4: 4096-byte sectors
    CompoundEntry root;             // the root storage ("Root Entry")

    bool operator==(const CompoundFile&) const = default;
};

// The file's contents, or nothing when it is not a compound file or does not hold together.
std::optional<CompoundFile> readCompoundFile(std::string_view bytes);

// The bytes of a compound file holding exactly `file`, packed without free space. Nothing
// when it cannot be written faithfully: a name empty, longer than 31 characters, given twice
// in one storage, or holding a character whose place in the file's name order is not certain
// here (beyond Latin-1).
std::optional<std::string> writeCompoundFile(const CompoundFile& file);

// The order of names within a storage: shorter first, then character by character in upper
// case. Nothing when a character lies beyond Latin-1.
std::optional<int> compareEntryNames(std::u16string_view a, std::u16string_view b);

// The child of a storage by name, compared as the file compares names; null when none.
const CompoundEntry* findChild(const CompoundEntry& storage, std::u16string_view name);

} // namespace tv::engine::jumplists
