#include "platform/memory/DiskBackedDatabase.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/sqlite/SqliteDatabase.h"

namespace tv::memory {

namespace {

namespace fs = std::filesystem;

// What SQLite keeps beside a database while it works; the shared-memory index is rebuilt
// from the log and is not carried over.
constexpr const char* kCompanions[] = {"-wal", "-journal", "-shm"};
constexpr const char* kCarried[] = {"", "-wal", "-journal"};

// A folder only this process's user can enter, removed with its content at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        std::error_code error;
        const fs::path temp = fs::temp_directory_path(error);
        if (error) return;
        for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
            std::ostringstream name;
            name << "tv-db-" << std::hex << random() << random();
            const fs::path candidate = temp / name.str();
            if (fs::create_directory(candidate, error)) {
                fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
                path_ = candidate;
            }
        }
    }
    ~ScratchFolder() {
        std::error_code error;
        if (!path_.empty()) fs::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool made() const { return !path_.empty(); }
    fs::path file(const std::string& suffix) const { return path_ / ("db" + suffix); }

private:
    fs::path path_;
};

bool writeWhole(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::optional<std::string> readWhole(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in && !in.eof()) return std::nullopt;
    return bytes.str();
}

class DiskBackedDatabase : public Database {
public:
    DiskBackedDatabase(std::unique_ptr<ScratchFolder> folder, std::unique_ptr<Database> db, DatabaseFiles files)
        : folder_(std::move(folder)), db_(std::move(db)), files_(std::move(files)) {}
    ~DiskBackedDatabase() override { close(); }
    DiskBackedDatabase(const DiskBackedDatabase&) = delete;
    DiskBackedDatabase& operator=(const DiskBackedDatabase&) = delete;

    bool execute(std::string_view sql) override { return told(sql) && db_->execute(sql); }
    bool executeEach(std::string_view sql, const std::vector<std::string>& values) override {
        return told(sql) && db_->executeEach(sql, values);
    }
    std::optional<Rows> query(std::string_view sql) override { return told(sql) ? db_->query(sql) : std::nullopt; }

    bool close() override {
        if (!db_) return true;
        const bool closed = db_->close();
        db_.reset();
        const auto main = readWhole(folder_->file(""));
        if (!main) return false;
        files_.write("", main);
        for (const char* suffix : kCompanions) files_.write(suffix, readWhole(folder_->file(suffix)));
        return closed;
    }

private:
    bool told(std::string_view sql) {
        if (!db_) return false;
        if (!files_.beforeStatement) return true;
        const auto path = folder_->file("").u8string();
        return files_.beforeStatement(std::string(path.begin(), path.end()), sql);
    }

    std::unique_ptr<ScratchFolder> folder_;
    std::unique_ptr<Database> db_;
    DatabaseFiles files_;
};

} // namespace

std::unique_ptr<Database> openDiskBackedDatabase(DatabaseFiles files) {
    auto folder = std::make_unique<ScratchFolder>();
    if (!folder->made()) return nullptr;
    for (const char* suffix : kCarried) {
        const auto bytes = files.read(suffix);
        if (bytes && !writeWhole(folder->file(suffix), *bytes)) return nullptr;
    }
    const auto path = folder->file("").u8string();
    auto db = sqlite::openFile(std::string(path.begin(), path.end()));
    if (!db) return nullptr;
    return std::make_unique<DiskBackedDatabase>(std::move(folder), std::move(db), std::move(files));
}

} // namespace tv::memory
