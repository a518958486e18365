#include "platform/sqlite/SqliteDatabase.h"

#include <sqlite3.h>

#include <utility>

namespace tv::sqlite {

namespace {

// How long a statement waits for another connection's lock before it gives up: a browser
// that holds its database is not waited for.
constexpr int kBusyWaitMs = 250;

struct StatementCloser {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

class SqliteDatabase : public Database {
public:
    explicit SqliteDatabase(sqlite3* db) : db_(db) {}
    ~SqliteDatabase() override { closeConnection(); }
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    bool execute(std::string_view sql) override {
        if (!db_) return false;
        const std::string text(sql);
        return sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    bool executeEach(std::string_view sql, const std::vector<std::string>& values) override {
        Statement statement = prepare(sql);
        if (!statement || sqlite3_bind_parameter_count(statement.get()) != 1) return false;
        for (const std::string& value : values) {
            if (sqlite3_bind_text(statement.get(), 1, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) !=
                    SQLITE_OK ||
                sqlite3_step(statement.get()) != SQLITE_DONE)
                return false;
            sqlite3_reset(statement.get());
        }
        return true;
    }

    std::optional<Rows> query(std::string_view sql) override {
        Statement statement = prepare(sql);
        if (!statement) return std::nullopt;
        Rows rows;
        const int columns = sqlite3_column_count(statement.get());
        for (;;) {
            const int step = sqlite3_step(statement.get());
            if (step == SQLITE_DONE) return rows;
            if (step != SQLITE_ROW) return std::nullopt;
            auto& row = rows.emplace_back();
            for (int c = 0; c < columns; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), c));
                const int size = sqlite3_column_bytes(statement.get(), c);
                row.emplace_back(text ? std::string(text, static_cast<std::size_t>(size)) : std::string());
            }
        }
    }

    bool close() override { return closeConnection(); }

private:
    bool closeConnection() {
        if (!db_) return true;
        const bool closed = sqlite3_close(db_) == SQLITE_OK;
        if (!closed) sqlite3_close_v2(db_); // closes once its last statement is gone
        db_ = nullptr;
        return closed;
    }

    Statement prepare(std::string_view sql) {
        if (!db_) return nullptr;
        sqlite3_stmt* statement = nullptr;
        const char* rest = nullptr;
        if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, &rest) != SQLITE_OK)
            return nullptr;
        Statement owned(statement);
        // One statement only: what follows it would never run.
        if (rest && static_cast<std::size_t>(rest - sql.data()) < sql.size() &&
            std::string_view(rest, sql.size() - static_cast<std::size_t>(rest - sql.data()))
                    .find_first_not_of(" \t\r\n;") != std::string_view::npos)
            return nullptr;
        return owned;
    }

    sqlite3* db_;
};

// A browser's file is anybody's to craft: what its schema holds (triggers, views, defaults)
// may call no function with side effects, and no statement may corrupt the file on purpose.
// A library that does not take both settings opens nothing.
bool distrustsItsSchema(sqlite3* db) {
    int defensive = 0;
    int trusted = 1;
    return sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, &defensive) == SQLITE_OK && defensive == 1 &&
           sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, &trusted) == SQLITE_OK && trusted == 0;
}

} // namespace

std::unique_ptr<Database> adopt(sqlite3* db) { return std::make_unique<SqliteDatabase>(db); }

std::unique_ptr<Database> openFile(const std::string& path) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto database = std::make_unique<SqliteDatabase>(db); // owns the connection even when it failed
    if (opened != SQLITE_OK || !distrustsItsSchema(db)) return nullptr;
    sqlite3_busy_timeout(db, kBusyWaitMs);
    return database;
}

} // namespace tv::sqlite
