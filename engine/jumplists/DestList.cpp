#include "engine/jumplists/DestList.h"

#include <algorithm>

namespace tv::engine::jumplists {

namespace {

constexpr std::size_t kNumberAt = 88;
constexpr std::size_t kPinAt = 108;
constexpr std::size_t kVersionOnePathAt = 112;
constexpr std::size_t kLaterPathAt = 128;
constexpr std::size_t kLaterTrailer = 4;
constexpr std::uint32_t kNotPinned = 0xFFFFFFFF;

std::uint32_t get32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}
void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
}

bool known(std::uint32_t version) { return version >= 1 && version <= 4; }

// Where a record's path length stands, and what follows the path.
std::size_t pathLengthAt(std::uint32_t version) { return version == 1 ? kVersionOnePathAt : kLaterPathAt; }
std::size_t trailer(std::uint32_t version) { return version == 1 ? 0 : kLaterTrailer; }

} // namespace

ReadDestList readDestList(std::string_view stream) {
    ReadDestList result;
    if (stream.empty()) {
        result.outcome = DestListReading::Read;
        return result;
    }
    if (stream.size() < kDestListHeaderSize) return result;
    DestList& list = result.list;
    list.version = get32(stream, 0);
    if (!known(list.version)) {
        result.outcome = DestListReading::UnknownVersion;
        return result;
    }
    list.header.assign(stream.substr(0, kDestListHeaderSize));
    const std::uint32_t count = get32(stream, 4);
    const std::uint32_t pinnedCount = get32(stream, 8);
    const std::size_t lengthAt = pathLengthAt(list.version);
    std::size_t at = kDestListHeaderSize;
    std::uint32_t pinned = 0;
    while (at < stream.size()) {
        if (list.entries.size() >= count || stream.size() - at < lengthAt + 2) return result;
        const std::string_view rest = stream.substr(at);
        const std::size_t chars = static_cast<unsigned char>(rest[lengthAt]) | static_cast<unsigned char>(rest[lengthAt + 1]) << 8;
        const std::size_t size = lengthAt + 2 + 2 * chars + trailer(list.version);
        if (rest.size() < size) return result;
        DestListEntry entry;
        entry.number = get32(rest, kNumberAt);
        entry.pinned = get32(rest, kPinAt) != kNotPinned;
        for (std::size_t i = 0; i < chars; ++i)
            entry.path.push_back(static_cast<char16_t>(static_cast<unsigned char>(rest[lengthAt + 2 + 2 * i]) |
                                                       static_cast<unsigned char>(rest[lengthAt + 3 + 2 * i]) << 8));
        entry.record.assign(rest.substr(0, size));
        pinned += entry.pinned ? 1 : 0;
        list.entries.push_back(std::move(entry));
        at += size;
    }
    if (list.entries.size() != count || pinned != pinnedCount) return result;
    std::vector<std::uint32_t> numbers;
    for (const DestListEntry& entry : list.entries) numbers.push_back(entry.number);
    std::sort(numbers.begin(), numbers.end());
    if (std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end()) return result;
    result.outcome = DestListReading::Read;
    return result;
}

std::string writeDestList(const DestList& list, const std::vector<const DestListEntry*>& kept) {
    std::string stream = list.header;
    stream.resize(kDestListHeaderSize, '\0');
    std::uint32_t pinned = 0;
    for (const DestListEntry* entry : kept) pinned += entry->pinned ? 1 : 0;
    put32(stream, 4, static_cast<std::uint32_t>(kept.size()));
    put32(stream, 8, pinned);
    put32(stream, 24, get32(stream, 24) + 1);
    for (const DestListEntry* entry : kept) stream += entry->record;
    return stream;
}

} // namespace tv::engine::jumplists
