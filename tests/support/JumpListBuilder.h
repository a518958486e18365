#pragma once
// Jump lists made for the tests to the published formats, with none of the program's code:
// a compound file laid out in the plainest way the format allows (one table sector, the
// directory, the mini stream's table and the mini stream, then each large stream; the
// entries chained as right siblings) holding a DestList of the chosen version and one
// shortcut stream per entry.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv::testsupport {

inline void put16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
inline void put32(std::string& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
inline void put64(std::string& b, std::size_t at, std::uint64_t v) {
    put32(b, at, static_cast<std::uint32_t>(v));
    put32(b, at + 4, static_cast<std::uint32_t>(v >> 32));
}
inline std::uint32_t get32(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

struct Part {
    std::u16string name;
    std::string data;
};

// A compound file and where its parts lie, for tests that damage it.
struct Built {
    std::string bytes;
    std::size_t sectorSize = 512;
    std::size_t directoryAt = 0;          // the directory's first byte (entry 0, the root)
    std::size_t fatAt = 0;                // the one table sector's first byte
    std::vector<std::uint32_t> firstSector; // each stream's first sector (large) or mini sector
    std::size_t at(std::uint32_t sector) const { return (sector + 1) * sectorSize; }
    std::size_t entryAt(std::size_t id) const { return directoryAt + 128 * id; }
};

inline Built compoundFile(const std::vector<Part>& streams, std::uint16_t major = 3) {
    constexpr std::uint32_t endOfChain = 0xFFFFFFFE, free = 0xFFFFFFFF, none = 0xFFFFFFFF;
    Built built;
    const std::size_t s = major == 4 ? 4096 : 512;
    built.sectorSize = s;
    auto sectorsFor = [](std::size_t bytes, std::size_t size) { return (bytes + size - 1) / size; };
    std::string mini;
    std::vector<std::uint32_t> miniFat;
    for (const Part& part : streams) {
        if (part.data.size() >= 4096) continue;
        const auto first = static_cast<std::uint32_t>(miniFat.size());
        const std::size_t count = sectorsFor(part.data.size(), 64);
        for (std::size_t i = 0; i < count; ++i)
            miniFat.push_back(i + 1 == count ? endOfChain : first + static_cast<std::uint32_t>(i) + 1);
        mini += part.data;
        mini.resize(miniFat.size() * 64, '\0');
    }
    const std::size_t directorySectors = sectorsFor((streams.size() + 1) * 128, s);
    const std::size_t miniFatSectors = sectorsFor(miniFat.size() * 4, s);
    const std::size_t miniSectors = sectorsFor(mini.size(), s);
    std::vector<std::uint32_t> fat(s / 4, free);
    std::uint32_t next = 0;
    fat[next++] = 0xFFFFFFFD; // the table's own sector
    auto run = [&](std::size_t count) {
        if (count == 0) return endOfChain;
        const std::uint32_t first = next;
        for (std::size_t i = 0; i < count; ++i, ++next) fat.at(next) = i + 1 == count ? endOfChain : next + 1;
        return first;
    };
    const std::uint32_t directory = run(directorySectors);
    const std::uint32_t miniFatStart = run(miniFatSectors);
    const std::uint32_t miniStart = run(miniSectors);
    std::size_t miniAt = 0;
    for (const Part& part : streams) {
        if (part.data.size() >= 4096) {
            built.firstSector.push_back(run(sectorsFor(part.data.size(), s)));
        } else {
            built.firstSector.push_back(part.data.empty() ? endOfChain : static_cast<std::uint32_t>(miniAt));
            miniAt += sectorsFor(part.data.size(), 64);
        }
    }
    std::string& b = built.bytes;
    b.assign((next + 1) * s, '\0');
    const unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (int i = 0; i < 8; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>(signature[i]);
    put16(b, 24, 0x3E);
    put16(b, 26, major);
    put16(b, 28, 0xFFFE);
    put16(b, 30, major == 4 ? 12 : 9);
    put16(b, 32, 6);
    put32(b, 40, major == 4 ? static_cast<std::uint32_t>(directorySectors) : 0);
    put32(b, 44, 1);
    put32(b, 48, directory);
    put32(b, 56, 4096);
    put32(b, 60, miniFatStart);
    put32(b, 64, static_cast<std::uint32_t>(miniFatSectors));
    put32(b, 68, endOfChain);
    for (std::size_t i = 0; i < 109; ++i) put32(b, 76 + 4 * i, i == 0 ? 0 : free);
    built.fatAt = built.at(0);
    for (std::size_t i = 0; i < fat.size(); ++i) put32(b, built.fatAt + 4 * i, fat[i]);
    built.directoryAt = built.at(directory);
    for (std::size_t id = 0; id < directorySectors * s / 128; ++id) {
        const std::size_t e = built.entryAt(id);
        put32(b, e + 68, none);
        put32(b, e + 72, none);
        put32(b, e + 76, none);
        if (id > streams.size()) continue;
        const std::u16string name = id == 0 ? u"Root Entry" : streams[id - 1].name;
        for (std::size_t i = 0; i < name.size(); ++i) put16(b, e + 2 * i, name[i]);
        put16(b, e + 64, static_cast<std::uint32_t>((name.size() + 1) * 2));
        b[e + 66] = static_cast<char>(id == 0 ? 5 : 2);
        b[e + 67] = 1;
        if (id == 0) {
            if (!streams.empty()) put32(b, e + 76, 1);
            put32(b, e + 116, miniStart);
            put64(b, e + 120, mini.size());
        } else {
            if (id < streams.size()) put32(b, e + 72, static_cast<std::uint32_t>(id + 1));
            put32(b, e + 116, built.firstSector[id - 1]);
            put64(b, e + 120, streams[id - 1].data.size());
            put64(b, e + 108, 0x01DA000000000000ull + id); // a modification time
        }
    }
    if (miniFatStart != endOfChain) {
        std::string table(miniFatSectors * s, '\xFF');
        for (std::size_t i = 0; i < miniFat.size(); ++i) put32(table, 4 * i, miniFat[i]);
        b.replace(built.at(miniFatStart), table.size(), table);
    }
    if (miniStart != endOfChain) b.replace(built.at(miniStart), mini.size(), mini);
    for (std::size_t i = 0; i < streams.size(); ++i)
        if (streams[i].data.size() >= 4096) b.replace(built.at(built.firstSector[i]), streams[i].data.size(), streams[i].data);
    return built;
}

// --- DestList ---

inline std::string destListRecord(std::uint32_t version, std::uint32_t number, bool pinned, std::u16string_view path) {
    std::string r(version == 1 ? 114 : 130, '\0');
    for (std::size_t i = 0; i < 88; ++i) r[i] = static_cast<char>(i * 7 + number); // checksum, object ids, host
    put32(r, 88, number);
    put32(r, 96, 0x3F800000);                              // 1.0f
    put64(r, 100, 0x01D9F00000000000ull + number);         // last modified
    put32(r, 108, pinned ? number - 1 : 0xFFFFFFFF);       // -1: not pinned
    if (version > 1) {
        put32(r, 112, 2);
        put32(r, 116, number + 4);
    }
    put16(r, r.size() - 2, static_cast<std::uint32_t>(path.size()));
    for (char16_t c : path) r += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    if (version > 1) r.append(4, '\0');
    return r;
}

struct Entry {
    std::uint32_t number;
    bool pinned;
    std::string shortcut; // the entry's stream
};

inline std::string destList(std::uint32_t version, const std::vector<Entry>& entries, std::uint32_t revision = 7) {
    std::string header(32, '\0');
    std::uint32_t pinned = 0, last = 0;
    for (const Entry& e : entries) {
        pinned += e.pinned ? 1 : 0;
        last = e.number > last ? e.number : last;
    }
    put32(header, 0, version);
    put32(header, 4, static_cast<std::uint32_t>(entries.size()));
    put32(header, 8, pinned);
    put32(header, 12, 0x3F800000);
    put32(header, 16, last + 3); // numbers already handed out, removed entries' included
    put32(header, 24, revision);
    for (const Entry& e : entries) header += destListRecord(version, e.number, e.pinned, u"C:\\Users\\user\\doc.txt");
    return header;
}

inline std::u16string hexName(std::uint32_t number) {
    std::u16string name;
    do {
        name.insert(name.begin(), u"0123456789abcdef"[number % 16]);
        number /= 16;
    } while (number);
    return name;
}

// A shortcut's stream: recognisable bytes of its entry, `size` long.
inline std::string shortcut(std::uint32_t number, std::size_t size = 200) {
    std::string data(size, '\0');
    data[0] = 'L';
    for (std::size_t i = 4; i < size; ++i) data[i] = static_cast<char>(number * 31 + i);
    return data;
}

inline std::vector<Part> jumpListParts(std::uint32_t version, const std::vector<Entry>& entries,
                                       const std::vector<Part>& extra = {}) {
    std::vector<Part> parts{{u"DestList", destList(version, entries)}};
    for (const Entry& e : entries) parts.push_back({hexName(e.number), e.shortcut});
    parts.insert(parts.end(), extra.begin(), extra.end());
    return parts;
}

} // namespace tv::testsupport
