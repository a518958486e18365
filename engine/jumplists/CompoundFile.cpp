#include "engine/jumplists/CompoundFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tv::engine::jumplists {

namespace {

constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

constexpr std::size_t kHeaderFields = 512;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirectoryEntrySize = 128;
constexpr std::size_t kMiniSectorSize = 64;
constexpr std::uint32_t kMiniStreamCutoff = 4096;
constexpr std::size_t kMaxNameChars = 31; // 32 with the terminator

constexpr std::uint8_t kTypeStorage = 1;
constexpr std::uint8_t kTypeStream = 2;
constexpr std::uint8_t kTypeRoot = 5;
constexpr std::uint8_t kRed = 0;
constexpr std::uint8_t kBlack = 1;

constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

std::uint16_t get16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}
std::uint32_t get32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(get16(bytes, at)) | static_cast<std::uint32_t>(get16(bytes, at + 2)) << 16;
}
std::uint64_t get64(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint64_t>(get32(bytes, at)) | static_cast<std::uint64_t>(get32(bytes, at + 4)) << 32;
}
void put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}
void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}
void put64(std::string& bytes, std::size_t at, std::uint64_t value) {
    put32(bytes, at, static_cast<std::uint32_t>(value & 0xFFFFFFFF));
    put32(bytes, at + 4, static_cast<std::uint32_t>(value >> 32));
}

std::size_t sectorsFor(std::uint64_t bytes, std::size_t sectorSize) {
    return static_cast<std::size_t>((bytes + sectorSize - 1) / sectorSize);
}

// Simple upper case over Latin-1, the characters whose order this code is sure of.
std::optional<char16_t> upper(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c < 0xB5) return c;
    if (c == 0xB5) return char16_t{0x39C};
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return char16_t{0x178};
    if (c <= 0xFF) return c;
    return std::nullopt;
}

// A name as the file compares it: a character beyond Latin-1 stands for itself.
std::u16string nameKey(std::u16string_view name) {
    std::u16string key;
    for (char16_t c : name) key.push_back(upper(c).value_or(c));
    return key;
}

// --- reading ---------------------------------------------------------------------------------

class Reader {
public:
    explicit Reader(std::string_view bytes) : file_(bytes) {}

    std::optional<CompoundFile> read() {
        CompoundFile result;
        if (!readHeader(result.majorVersion) || !readFat() || !readDirectory() || !readMiniStream()) return std::nullopt;
        if (!readTree(result.root)) return std::nullopt;
        return result;
    }

private:
    bool readHeader(std::uint16_t& major) {
        if (file_.size() < kHeaderFields || std::memcmp(file_.data(), kSignature, sizeof kSignature) != 0) return false;
        major = get16(file_, 26);
        const std::uint16_t shift = get16(file_, 30);
        if (get16(file_, 28) != 0xFFFE || get16(file_, 32) != 6 || get32(file_, 56) != kMiniStreamCutoff) return false;
        if (!((major == 3 && shift == 9) || (major == 4 && shift == 12))) return false;
        sectorSize_ = std::size_t{1} << shift;
        if (file_.size() < sectorSize_) return false;
        directorySectors_ = get32(file_, 40);
        if (major == 3 && directorySectors_ != 0) return false;
        fatSectors_ = get32(file_, 44);
        firstDirectory_ = get32(file_, 48);
        firstMiniFat_ = get32(file_, 60);
        miniFatSectors_ = get32(file_, 64);
        firstDifat_ = get32(file_, 68);
        difatSectors_ = get32(file_, 72);
        v3Sizes_ = major == 3;
        // A last sector cut short reads as if it held zeros, as the system reads a file's end.
        sectorCount_ = sectorsFor(file_.size() - sectorSize_, sectorSize_);
        used_.assign(sectorCount_, false);
        return true;
    }

    std::string_view sector(std::uint32_t index) {
        const std::size_t at = sectorSize_ * (static_cast<std::size_t>(index) + 1);
        const std::size_t available = std::min(sectorSize_, file_.size() - at);
        if (available == sectorSize_) return file_.substr(at, sectorSize_);
        padded_.assign(file_.substr(at, available));
        padded_.resize(sectorSize_, '\0');
        return padded_;
    }

    // Claims a sector for one chain; a sector out of the file or claimed twice is damage.
    bool claim(std::uint32_t index) {
        if (index >= sectorCount_ || used_[index]) return false;
        used_[index] = true;
        return true;
    }

    bool readFat() {
        if (fatSectors_ > sectorCount_ || difatSectors_ > sectorCount_) return false;
        std::vector<std::uint32_t> fatSectors;
        for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectors_; ++i)
            fatSectors.push_back(get32(file_, 76 + 4 * i));
        const std::size_t perDifat = sectorSize_ / 4 - 1;
        std::uint32_t next = firstDifat_;
        for (std::uint32_t read = 0; read < difatSectors_; ++read) {
            if (!claim(next)) return false;
            const std::string_view difat = sector(next);
            for (std::size_t i = 0; i < perDifat && fatSectors.size() < fatSectors_; ++i)
                fatSectors.push_back(get32(difat, 4 * i));
            next = get32(difat, 4 * perDifat);
        }
        if (fatSectors.size() != fatSectors_) return false;
        fat_.reserve(fatSectors.size() * (sectorSize_ / 4));
        for (std::uint32_t index : fatSectors) {
            if (!claim(index)) return false;
            const std::string_view part = sector(index);
            for (std::size_t i = 0; i < sectorSize_ / 4; ++i) fat_.push_back(get32(part, 4 * i));
        }
        return true;
    }

    // The sectors of a chain, each claimed; nothing when the chain leaves the file, loops,
    // meets a sector of another chain, or does not end where `expected` sectors would.
    std::optional<std::vector<std::uint32_t>> chain(std::uint32_t start, std::optional<std::size_t> expected) {
        std::vector<std::uint32_t> sectors;
        for (std::uint32_t at = start; at != kEndOfChain; at = fat_[at]) {
            if (at > kMaxRegularSector || at >= fat_.size() || !claim(at)) return std::nullopt;
            sectors.push_back(at);
            if (expected && sectors.size() > *expected) return std::nullopt;
        }
        if (expected && sectors.size() != *expected) return std::nullopt;
        return sectors;
    }

    std::string gather(const std::vector<std::uint32_t>& sectors, std::uint64_t size) {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(size));
        for (std::uint32_t index : sectors) bytes.append(sector(index));
        bytes.resize(static_cast<std::size_t>(size));
        return bytes;
    }

    bool readDirectory() {
        std::optional<std::size_t> expected;
        if (directorySectors_ != 0) expected = directorySectors_;
        auto sectors = chain(firstDirectory_, expected);
        if (!sectors || sectors->empty()) return false;
        directory_ = gather(*sectors, static_cast<std::uint64_t>(sectors->size()) * sectorSize_);
        entryCount_ = directory_.size() / kDirectoryEntrySize;
        return entryType(0) == kTypeRoot;
    }

    std::string_view entry(std::uint32_t id) const {
        return std::string_view(directory_).substr(static_cast<std::size_t>(id) * kDirectoryEntrySize,
                                                   kDirectoryEntrySize);
    }
    std::uint8_t entryType(std::uint32_t id) const { return static_cast<std::uint8_t>(entry(id)[66]); }
    std::uint64_t entrySize(std::uint32_t id) const {
        const std::uint64_t size = get64(entry(id), 120);
        // Older writers of version 3 left the upper half unset: it is not part of the size.
        return v3Sizes_ ? (size & 0xFFFFFFFF) : size;
    }

    bool readMiniStream() {
        const std::uint64_t size = entrySize(0);
        if (size > file_.size()) return false;
        if (size > 0) {
            auto sectors = chain(get32(entry(0), 116), sectorsFor(size, sectorSize_));
            if (!sectors) return false;
            miniStream_ = gather(*sectors, size);
        }
        miniUsed_.assign(miniStream_.size() / kMiniSectorSize, false);
        if (firstMiniFat_ == kEndOfChain) return miniFatSectors_ == 0;
        auto sectors = chain(firstMiniFat_, miniFatSectors_);
        if (!sectors) return false;
        const std::string table = gather(*sectors, static_cast<std::uint64_t>(sectors->size()) * sectorSize_);
        for (std::size_t at = 0; at + 4 <= table.size(); at += 4) miniFat_.push_back(get32(table, at));
        return true;
    }

    std::optional<std::string> streamData(std::uint32_t id) {
        const std::uint64_t size = entrySize(id);
        if (size == 0) return std::string();
        if (size > file_.size()) return std::nullopt;
        const std::uint32_t start = get32(entry(id), 116);
        if (size >= kMiniStreamCutoff) {
            auto sectors = chain(start, sectorsFor(size, sectorSize_));
            if (!sectors) return std::nullopt;
            return gather(*sectors, size);
        }
        const std::size_t expected = sectorsFor(size, kMiniSectorSize);
        std::string bytes;
        for (std::uint32_t at = start; at != kEndOfChain; at = miniFat_[at]) {
            if (at >= miniFat_.size() || at >= miniUsed_.size() || miniUsed_[at] || bytes.size() >= expected * kMiniSectorSize)
                return std::nullopt;
            miniUsed_[at] = true;
            bytes.append(miniStream_, static_cast<std::size_t>(at) * kMiniSectorSize, kMiniSectorSize);
        }
        if (bytes.size() != expected * kMiniSectorSize) return std::nullopt;
        bytes.resize(static_cast<std::size_t>(size));
        return bytes;
    }

    std::optional<std::u16string> entryName(std::uint32_t id) const {
        const std::string_view record = entry(id);
        const std::uint16_t length = get16(record, 64);
        if (length < 4 || length > 64 || length % 2 != 0) return std::nullopt;
        std::u16string name;
        for (std::size_t i = 0; i + 2 < length; i += 2) {
            const char16_t c = get16(record, i);
            if (c == 0) return std::nullopt;
            name.push_back(c);
        }
        if (get16(record, length - 2) != 0) return std::nullopt;
        return name;
    }

    bool fill(CompoundEntry& into, std::uint32_t id) {
        const std::string_view record = entry(id);
        std::copy_n(reinterpret_cast<const std::uint8_t*>(record.data()) + 80, 16, into.clsid.begin());
        into.stateBits = get32(record, 96);
        into.created = get64(record, 100);
        into.modified = get64(record, 108);
        if (id == 0) {
            into.kind = CompoundEntry::Kind::Storage;
            into.name = u"Root Entry";
            return true;
        }
        auto name = entryName(id);
        if (!name) return false;
        into.name = std::move(*name);
        if (entryType(id) == kTypeStorage) {
            into.kind = CompoundEntry::Kind::Storage;
            return true;
        }
        if (entryType(id) != kTypeStream || get32(record, 76) != kNoStream) return false;
        into.kind = CompoundEntry::Kind::Stream;
        auto data = streamData(id);
        if (!data) return false;
        into.data = std::move(*data);
        return true;
    }

    // Every storage's tree of siblings, walked with explicit stacks: an entry met twice (a
    // cycle, or one entry in two places) or a link out of the directory is damage.
    bool readTree(CompoundEntry& root) {
        std::vector<bool> seen(entryCount_, false);
        seen[0] = true;
        if (!fill(root, 0)) return false;
        struct Pending {
            CompoundEntry* storage;
            std::uint32_t child;
        };
        std::vector<Pending> storages{{&root, get32(entry(0), 76)}};
        while (!storages.empty()) {
            const Pending current = storages.back();
            storages.pop_back();
            std::vector<std::uint32_t> siblings; // the subtree's nodes in name order
            std::vector<std::uint32_t> path;
            std::uint32_t node = current.child;
            while (node != kNoStream || !path.empty()) {
                if (node != kNoStream) {
                    if (node >= entryCount_ || seen[node]) return false;
                    seen[node] = true;
                    path.push_back(node);
                    node = get32(entry(node), 68);
                    continue;
                }
                node = path.back();
                path.pop_back();
                siblings.push_back(node);
                node = get32(entry(node), 72);
            }
            auto& children = current.storage->children;
            children.resize(siblings.size());
            std::vector<std::u16string> keys;
            for (std::size_t i = 0; i < siblings.size(); ++i) {
                if (!fill(children[i], siblings[i])) return false;
                keys.push_back(nameKey(children[i].name));
            }
            // One name twice in a storage: which of them would a reader mean?
            std::sort(keys.begin(), keys.end());
            if (std::adjacent_find(keys.begin(), keys.end()) != keys.end()) return false;
            for (std::size_t i = 0; i < siblings.size(); ++i)
                if (children[i].kind == CompoundEntry::Kind::Storage)
                    storages.push_back({&children[i], get32(entry(siblings[i]), 76)});
        }
        return true;
    }

    std::string_view file_;
    std::string padded_;
    std::size_t sectorSize_ = 512;
    std::size_t sectorCount_ = 0;
    std::uint32_t directorySectors_ = 0, fatSectors_ = 0, firstDirectory_ = 0;
    std::uint32_t firstMiniFat_ = 0, miniFatSectors_ = 0, firstDifat_ = 0, difatSectors_ = 0;
    bool v3Sizes_ = true;
    std::vector<bool> used_;
    std::vector<std::uint32_t> fat_;
    std::string directory_;
    std::size_t entryCount_ = 0;
    std::string miniStream_;
    std::vector<bool> miniUsed_;
    std::vector<std::uint32_t> miniFat_;
};

// --- writing ---------------------------------------------------------------------------------

struct PlacedEntry {
    const CompoundEntry* entry;
    std::uint32_t left = kNoStream, right = kNoStream, child = kNoStream;
    std::uint8_t color = kBlack;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
};

class Writer {
public:
    explicit Writer(const CompoundFile& file)
        : file_(file), sectorSize_(file.majorVersion == 4 ? 4096 : 512) {}

    std::optional<std::string> write() {
        if (file_.majorVersion != 3 && file_.majorVersion != 4) return std::nullopt;
        if (!place()) return std::nullopt;
        layOut();
        return assemble();
    }

private:
    // Numbers every entry, the root first, and links each storage's children into a
    // balanced red-black tree of siblings.
    bool place() {
        entries_.push_back({&file_.root});
        std::vector<std::uint32_t> storages{0};
        while (!storages.empty()) {
            const std::uint32_t storage = storages.back();
            storages.pop_back();
            const CompoundEntry& owner = *entries_[storage].entry;
            std::vector<const CompoundEntry*> sorted;
            for (const CompoundEntry& child : owner.children) {
                if (child.name.empty() || child.name.size() > kMaxNameChars) return false;
                if (!std::all_of(child.name.begin(), child.name.end(), [](char16_t c) { return upper(c).has_value(); }))
                    return false;
                sorted.push_back(&child);
            }
            std::sort(sorted.begin(), sorted.end(), [](const CompoundEntry* a, const CompoundEntry* b) {
                return *compareEntryNames(a->name, b->name) < 0;
            });
            for (std::size_t i = 1; i < sorted.size(); ++i)
                if (compareEntryNames(sorted[i - 1]->name, sorted[i]->name) == 0) return false;
            const std::uint32_t first = static_cast<std::uint32_t>(entries_.size());
            for (const CompoundEntry* child : sorted) entries_.push_back({child});
            entries_[storage].child = link(first, first + static_cast<std::uint32_t>(sorted.size()));
            for (std::uint32_t id = first; id < entries_.size(); ++id)
                if (entries_[id].entry->kind == CompoundEntry::Kind::Storage) storages.push_back(id);
        }
        return true;
    }

    // The subtree of the sorted ids [begin, end), split at the middle: every level but the
    // deepest is full, so black nodes above a red deepest level balance every path.
    std::uint32_t link(std::uint32_t begin, std::uint32_t end) {
        if (begin == end) return kNoStream;
        int height = 0;
        for (std::uint32_t n = end - begin; n > 1; n /= 2) ++height;
        struct Range {
            std::uint32_t begin, end;
            int depth;
        };
        std::vector<Range> pending{{begin, end, 0}};
        while (!pending.empty()) {
            const Range range = pending.back();
            pending.pop_back();
            const std::uint32_t middle = range.begin + (range.end - range.begin) / 2;
            PlacedEntry& node = entries_[middle];
            node.color = range.depth == height && height > 0 ? kRed : kBlack;
            if (range.begin < middle) {
                node.left = range.begin + (middle - range.begin) / 2;
                pending.push_back({range.begin, middle, range.depth + 1});
            }
            if (middle + 1 < range.end) {
                node.right = middle + 1 + (range.end - middle - 1) / 2;
                pending.push_back({middle + 1, range.end, range.depth + 1});
            }
        }
        return begin + (end - begin) / 2;
    }

    void layOut() {
        for (PlacedEntry& placed : entries_) {
            const CompoundEntry& entry = *placed.entry;
            if (entry.kind != CompoundEntry::Kind::Stream || entry.data.empty()) continue;
            placed.size = entry.data.size();
            if (entry.data.size() < kMiniStreamCutoff) {
                placed.start = static_cast<std::uint32_t>(miniFat_.size());
                const std::size_t count = sectorsFor(entry.data.size(), kMiniSectorSize);
                for (std::size_t i = 0; i < count; ++i)
                    miniFat_.push_back(i + 1 == count ? kEndOfChain : placed.start + static_cast<std::uint32_t>(i) + 1);
                miniStream_.append(entry.data);
                miniStream_.resize(miniFat_.size() * kMiniSectorSize, '\0');
            } else {
                bigStreams_.push_back(&placed);
            }
        }
        const std::size_t perSector = sectorSize_ / 4;
        directorySectors_ = sectorsFor(entries_.size() * kDirectoryEntrySize, sectorSize_);
        miniFatSectors_ = sectorsFor(miniFat_.size() * 4, sectorSize_);
        miniStreamSectors_ = sectorsFor(miniStream_.size(), sectorSize_);
        std::size_t data = directorySectors_ + miniFatSectors_ + miniStreamSectors_;
        for (const PlacedEntry* big : bigStreams_) data += sectorsFor(big->size, sectorSize_);
        for (fatSectors_ = 1;; ++fatSectors_) {
            difatSectors_ = fatSectors_ > kHeaderDifatEntries
                                ? sectorsFor(fatSectors_ - kHeaderDifatEntries, perSector - 1)
                                : 0;
            if (fatSectors_ * perSector >= data + fatSectors_ + difatSectors_) break;
        }
        totalSectors_ = data + fatSectors_ + difatSectors_;
    }

    // A run of consecutive sectors chained in the table; its first sector, or the end mark.
    std::uint32_t chainRun(std::vector<std::uint32_t>& fat, std::size_t& next, std::size_t count) {
        if (count == 0) return kEndOfChain;
        const std::uint32_t first = static_cast<std::uint32_t>(next);
        for (std::size_t i = 0; i < count; ++i, ++next)
            fat[next] = i + 1 == count ? kEndOfChain : static_cast<std::uint32_t>(next + 1);
        return first;
    }

    std::string assemble() {
        const std::size_t perSector = sectorSize_ / 4;
        std::vector<std::uint32_t> fat(fatSectors_ * perSector, kFreeSector);
        std::size_t next = 0;
        for (std::size_t i = 0; i < fatSectors_; ++i) fat[next++] = kFatSector;
        for (std::size_t i = 0; i < difatSectors_; ++i) fat[next++] = kDifatSector;
        const std::uint32_t directory = chainRun(fat, next, directorySectors_);
        const std::uint32_t miniFat = chainRun(fat, next, miniFatSectors_);
        entries_[0].start = chainRun(fat, next, miniStreamSectors_);
        entries_[0].size = miniStream_.size();
        for (PlacedEntry* big : bigStreams_) big->start = chainRun(fat, next, sectorsFor(big->size, sectorSize_));

        std::string out((totalSectors_ + 1) * sectorSize_, '\0');
        std::memcpy(out.data(), kSignature, sizeof kSignature);
        put16(out, 24, 0x003E);
        put16(out, 26, file_.majorVersion);
        put16(out, 28, 0xFFFE);
        put16(out, 30, sectorSize_ == 4096 ? 12 : 9);
        put16(out, 32, 6);
        put32(out, 40, file_.majorVersion == 4 ? static_cast<std::uint32_t>(directorySectors_) : 0);
        put32(out, 44, static_cast<std::uint32_t>(fatSectors_));
        put32(out, 48, directory);
        put32(out, 56, kMiniStreamCutoff);
        put32(out, 60, miniFat);
        put32(out, 64, static_cast<std::uint32_t>(miniFatSectors_));
        put32(out, 68, difatSectors_ ? static_cast<std::uint32_t>(fatSectors_) : kEndOfChain);
        put32(out, 72, static_cast<std::uint32_t>(difatSectors_));
        // The table's own sectors: the first 109 in the header, the rest in the DIFAT sectors.
        for (std::size_t i = 0; i < kHeaderDifatEntries; ++i)
            put32(out, 76 + 4 * i, i < fatSectors_ ? static_cast<std::uint32_t>(i) : kFreeSector);
        for (std::size_t d = 0; d < difatSectors_; ++d) {
            const std::size_t at = offsetOf(fatSectors_ + d);
            for (std::size_t i = 0; i + 1 < perSector; ++i) {
                const std::size_t fatIndex = kHeaderDifatEntries + d * (perSector - 1) + i;
                put32(out, at + 4 * i, fatIndex < fatSectors_ ? static_cast<std::uint32_t>(fatIndex) : kFreeSector);
            }
            put32(out, at + 4 * (perSector - 1),
                  d + 1 < difatSectors_ ? static_cast<std::uint32_t>(fatSectors_ + d + 1) : kEndOfChain);
        }
        for (std::size_t i = 0; i < fat.size(); ++i) put32(out, offsetOf(i / perSector) + 4 * (i % perSector), fat[i]);

        std::string table(directorySectors_ * sectorSize_, '\0');
        for (std::size_t id = 0; id < directorySectors_ * sectorSize_ / kDirectoryEntrySize; ++id)
            writeEntry(table, id * kDirectoryEntrySize, id < entries_.size() ? &entries_[id] : nullptr, id == 0);
        putRun(out, directory, table);
        std::string miniTable(miniFatSectors_ * sectorSize_, '\xFF');
        for (std::size_t i = 0; i < miniFat_.size(); ++i) put32(miniTable, 4 * i, miniFat_[i]);
        putRun(out, miniFat, miniTable);
        putRun(out, entries_[0].start, miniStream_);
        for (const PlacedEntry* big : bigStreams_) putRun(out, big->start, big->entry->data);
        return out;
    }

    std::size_t offsetOf(std::size_t sectorIndex) const { return (sectorIndex + 1) * sectorSize_; }

    void putRun(std::string& out, std::uint32_t first, std::string_view bytes) const {
        if (first != kEndOfChain && !bytes.empty()) std::memcpy(out.data() + offsetOf(first), bytes.data(), bytes.size());
    }

    void writeEntry(std::string& table, std::size_t at, const PlacedEntry* placed, bool root) const {
        put32(table, at + 68, kNoStream);
        put32(table, at + 72, kNoStream);
        put32(table, at + 76, kNoStream);
        if (!placed) return; // a free entry: zeros, and no links
        const CompoundEntry& entry = *placed->entry;
        const std::u16string name = root ? u"Root Entry" : entry.name;
        for (std::size_t i = 0; i < name.size(); ++i) put16(table, at + 2 * i, name[i]);
        put16(table, at + 64, static_cast<std::uint16_t>((name.size() + 1) * 2));
        table[at + 66] = static_cast<char>(root ? kTypeRoot
                                                : entry.kind == CompoundEntry::Kind::Storage ? kTypeStorage : kTypeStream);
        table[at + 67] = static_cast<char>(placed->color);
        put32(table, at + 68, placed->left);
        put32(table, at + 72, placed->right);
        put32(table, at + 76, placed->child);
        std::memcpy(table.data() + at + 80, entry.clsid.data(), entry.clsid.size());
        put32(table, at + 96, entry.stateBits);
        put64(table, at + 100, entry.created);
        put64(table, at + 108, entry.modified);
        const bool holdsData = root || entry.kind == CompoundEntry::Kind::Stream;
        put32(table, at + 116, holdsData ? placed->start : 0);
        put64(table, at + 120, holdsData ? placed->size : 0);
    }

    const CompoundFile& file_;
    std::size_t sectorSize_;
    std::vector<PlacedEntry> entries_;
    std::vector<std::uint32_t> miniFat_;
    std::string miniStream_;
    std::vector<PlacedEntry*> bigStreams_;
    std::size_t directorySectors_ = 0, miniFatSectors_ = 0, miniStreamSectors_ = 0;
    std::size_t fatSectors_ = 0, difatSectors_ = 0, totalSectors_ = 0;
};

} // namespace

std::optional<int> compareEntryNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = upper(a[i]), y = upper(b[i]);
        if (!x || !y) return std::nullopt;
        if (*x != *y) return *x < *y ? -1 : 1;
    }
    return 0;
}

const CompoundEntry* findChild(const CompoundEntry& storage, std::u16string_view name) {
    for (const CompoundEntry& child : storage.children)
        if (compareEntryNames(child.name, name) == 0 || child.name == name) return &child;
    return nullptr;
}

std::optional<CompoundFile> readCompoundFile(std::string_view bytes) { return Reader(bytes).read(); }

std::optional<std::string> writeCompoundFile(const CompoundFile& file) { return Writer(file).write(); }

} // namespace tv::engine::jumplists
