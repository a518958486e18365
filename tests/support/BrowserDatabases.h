#pragma once
// Browser databases for the tests: made from the browsers' own schemas (tests/data), filled
// with the rows a test plants, and read back from their bytes.

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tv::testsupport {

using Rows = std::vector<std::vector<std::string>>;

// The schema and meta rows a browser writes into one of its databases.
inline std::string browserSchema(const std::string& browser, const std::string& store) {
    std::ifstream in(std::string(TV_TEST_DATA_DIR) + "/" + browser + "/" + store + ".sql", std::ios::binary);
    if (!in) throw std::runtime_error("no schema for " + browser + " " + store);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Connection {
    sqlite3* db = nullptr;
    Connection() {
        if (sqlite3_open(":memory:", &db) != SQLITE_OK) throw std::runtime_error("no database");
    }
    ~Connection() { sqlite3_close(db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    // A file that says it keeps a write-ahead log is read as one without: bytes in memory
    // have no log beside them.
    void load(const std::string& bytes) {
        auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), copy);
        if (bytes.size() >= 100 && copy[18] == 2 && copy[19] == 2) copy[18] = copy[19] = 1;
        if (sqlite3_deserialize(db, "main", copy, static_cast<sqlite3_int64>(bytes.size()),
                                static_cast<sqlite3_int64>(bytes.size()), SQLITE_DESERIALIZE_FREEONCLOSE) != SQLITE_OK)
            throw std::runtime_error("not a database");
    }
    void run(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(message);
        }
    }
    Rows rows(const std::string& sql) {
        Rows all;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        while (sqlite3_step(statement) == SQLITE_ROW) {
            auto& row = all.emplace_back();
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* text = sqlite3_column_text(statement, c);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
        }
        sqlite3_finalize(statement);
        return all;
    }
    std::string bytes() {
        sqlite3_int64 size = 0;
        unsigned char* data = sqlite3_serialize(db, "main", &size, 0);
        std::string image(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
        sqlite3_free(data);
        return image;
    }
};

// A database file's bytes: the browser's schema, then `rows` (statements run as given).
inline std::string browserDatabase(const std::string& browser, const std::string& store, const std::string& rows) {
    Connection c;
    c.run(browserSchema(browser, store));
    c.run(rows);
    return c.bytes();
}

// A database file whose every page still sits in its write-ahead log: made at `path` (UTF-8)
// in log mode and closed without folding the log in, as a browser that ended abruptly leaves it.
inline void writeLoggedDatabase(const std::string& path, const std::string& browser, const std::string& store,
                                const std::string& rows) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot make " + path);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    const std::string sql = "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" + browserSchema(browser, store) + rows;
    const bool made = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!made) throw std::runtime_error("cannot fill " + path);
}

// The bytes of a database file and of its write-ahead log, made as writeLoggedDatabase makes
// them, in a scratch folder of the system's temporary folder.
inline std::pair<std::string, std::string> loggedDatabase(const std::string& browser, const std::string& store,
                                                          const std::string& rows) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("tv-test-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    const fs::path file = folder / "db";
    writeLoggedDatabase(file.string(), browser, store, rows);
    auto read = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    std::pair<std::string, std::string> files{read(file), read(fs::path(file.string() + "-wal"))};
    fs::remove_all(folder);
    return files;
}

// The rows of a query on a database file's bytes.
inline Rows rowsOf(const std::string& bytes, const std::string& sql) {
    Connection c;
    c.load(bytes);
    return c.rows(sql);
}

} // namespace tv::testsupport
