#include "platform/sqlite/DatabaseCopy.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstring>

#include "platform/sqlite/SqliteDatabase.h"

namespace tv::sqlite {

namespace {

constexpr std::size_t kLogHeader = 32;
constexpr std::size_t kFrameHeader = 24;
constexpr std::uint32_t kLogMagicLittle = 0x377f0682;
constexpr std::uint32_t kLogMagicBig = 0x377f0683;
constexpr std::size_t kFileHeader = 100;

std::uint32_t bigEndian(const unsigned char* bytes) {
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) | bytes[3];
}

std::uint32_t word(const unsigned char* bytes, bool big) {
    return big ? bigEndian(bytes) : (std::uint32_t(bytes[3]) << 24) | (std::uint32_t(bytes[2]) << 16) |
                                        (std::uint32_t(bytes[1]) << 8) | bytes[0];
}

// The log's running checksum over `size` bytes (a multiple of 8), as SQLite computes it.
void checksum(const unsigned char* bytes, std::size_t size, bool big, std::uint32_t& s0, std::uint32_t& s1) {
    for (std::size_t at = 0; at + 8 <= size; at += 8) {
        s0 += word(bytes + at, big) + s1;
        s1 += word(bytes + at + 4, big) + s0;
    }
}

std::size_t pageSizeOf(std::uint32_t stored) { return stored == 1 ? 65536 : stored; }

} // namespace

std::optional<std::string> withLogApplied(std::string file, const std::optional<std::string>& log) {
    if (file.size() < kFileHeader) return std::nullopt;
    const auto* header = reinterpret_cast<const unsigned char*>(file.data());
    const std::size_t pageSize = pageSizeOf((std::uint32_t(header[16]) << 8) | header[17]);
    if (log && log->size() >= kLogHeader) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(log->data());
        const std::uint32_t magic = bigEndian(bytes);
        const bool big = magic == kLogMagicBig;
        std::uint32_t s0 = 0, s1 = 0;
        checksum(bytes, 24, big, s0, s1);
        // A log that is not whole from its header on holds nothing SQLite would read.
        if ((magic == kLogMagicLittle || big) && pageSizeOf(bigEndian(bytes + 8)) == pageSize &&
            s0 == bigEndian(bytes + 24) && s1 == bigEndian(bytes + 28)) {
            std::string pages = file;
            std::size_t committedSize = 0;
            bool committed = false;
            for (std::size_t at = kLogHeader; at + kFrameHeader + pageSize <= log->size(); at += kFrameHeader + pageSize) {
                const unsigned char* frame = bytes + at;
                // A frame of an older turn of the log, or one written half, ends what counts.
                if (std::memcmp(frame + 8, bytes + 16, 8) != 0) break;
                checksum(frame, 8, big, s0, s1);
                checksum(frame + kFrameHeader, pageSize, big, s0, s1);
                if (s0 != bigEndian(frame + 16) || s1 != bigEndian(frame + 20)) break;
                const std::uint32_t page = bigEndian(frame);
                if (page == 0) break;
                const std::size_t offset = std::size_t(page - 1) * pageSize;
                if (pages.size() < offset + pageSize) pages.resize(offset + pageSize, '\0');
                pages.replace(offset, pageSize, reinterpret_cast<const char*>(frame + kFrameHeader), pageSize);
                // Only what a commit closed is the database: frames after the last one are not.
                if (const std::uint32_t size = bigEndian(frame + 4); size != 0) {
                    committedSize = std::size_t(size) * pageSize;
                    file = pages;
                    committed = true;
                }
            }
            if (committed) file.resize(committedSize, '\0');
        }
    }
    // The copy is read as a database of its own, never through a log.
    if (file.size() >= kFileHeader) file[18] = file[19] = 1;
    return file;
}

std::unique_ptr<Database> openCopy(const std::string& file, const std::optional<std::string>& log) {
    const auto pages = withLogApplied(file, log);
    if (!pages || pages->empty()) return nullptr;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    auto* buffer = static_cast<unsigned char*>(sqlite3_malloc64(pages->size()));
    if (!buffer) {
        sqlite3_close(db);
        return nullptr;
    }
    std::memcpy(buffer, pages->data(), pages->size());
    const auto size = static_cast<sqlite3_int64>(pages->size());
    if (sqlite3_deserialize(db, "main", buffer, size, size, SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    auto database = adopt(db);
    // Bytes that are no database answer no query: such a copy is none.
    if (!database->query("SELECT count(*) FROM sqlite_master")) return nullptr;
    return database;
}

} // namespace tv::sqlite
