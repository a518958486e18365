#include "engine/browsers/DatabaseCleaning.h"

#include <algorithm>
#include <vector>

namespace tv::engine::browsers {

namespace {

std::vector<std::string> splitNames(std::string_view names) {
    std::vector<std::string> parts;
    while (!names.empty()) {
        const auto at = names.find(',');
        parts.emplace_back(names.substr(0, at));
        names = at == std::string_view::npos ? std::string_view() : names.substr(at + 1);
    }
    return parts;
}

bool emptyTables(Database& db, const std::vector<std::string>& tables) {
    for (const std::string& table : tables)
        if (!db.execute("DELETE FROM " + quoted(table))) return false;
    return true;
}

// The page mappings of pages no bookmark points to, then the icons and pictures nothing maps
// to any more.
bool removeUnbookmarkedIcons(Database& db, const std::set<std::string>& bookmarked) {
    const auto mappings = db.query("SELECT id, page_url FROM icon_mapping");
    if (!mappings) return false;
    std::vector<std::string> unbookmarked;
    for (const auto& row : *mappings)
        if (row.size() == 2 && !bookmarked.count(row[1])) unbookmarked.push_back(row[0]);
    return db.executeEach("DELETE FROM icon_mapping WHERE id = ?", unbookmarked) &&
           db.execute("DELETE FROM favicon_bitmaps WHERE icon_id NOT IN (SELECT icon_id FROM icon_mapping)") &&
           db.execute("DELETE FROM favicons WHERE id NOT IN (SELECT icon_id FROM icon_mapping)");
}

// Which tables the work empties; nothing when the file lacks what makes it the expected one.
std::optional<std::vector<std::string>> tablesToEmpty(DatabaseWork work, const std::vector<std::string>& present,
                                                      const std::vector<std::string>& named) {
    switch (work) {
    case DatabaseWork::EmptyAllTables: {
        if (!has(present, named.front())) return std::nullopt;
        std::vector<std::string> all;
        for (const auto& table : present)
            if (table != "meta") all.push_back(table);
        return all;
    }
    case DatabaseWork::EmptyNamedTables: {
        std::vector<std::string> some;
        for (const auto& table : named)
            if (has(present, table)) some.push_back(table);
        if (some.empty()) return std::nullopt;
        return some;
    }
    case DatabaseWork::UnbookmarkedIcons:
        if (!has(present, "icon_mapping") || !has(present, "favicons") || !has(present, "favicon_bitmaps"))
            return std::nullopt;
        return std::vector<std::string>{};
    case DatabaseWork::TypedTraces:
        if (!has(present, named.front())) return std::nullopt;
        return named;
    }
    return std::nullopt;
}

bool doWork(Database& db, DatabaseWork work, const std::vector<std::string>& tables,
            const std::vector<std::string>& present, const KeptPages& kept) {
    switch (work) {
    case DatabaseWork::UnbookmarkedIcons:
        return kept.bookmarked && removeUnbookmarkedIcons(db, *kept.bookmarked);
    case DatabaseWork::TypedTraces:
        return emptyTables(db, tables) &&
               (!has(present, "urls") || db.execute("UPDATE urls SET typed_count = 0 WHERE typed_count <> 0"));
    default:
        return emptyTables(db, tables);
    }
}

// Rows of the named tables the file has.
std::optional<std::uint64_t> rowsOf(Database& db, const std::vector<std::string>& tables,
                                    const std::vector<std::string>& present) {
    std::uint64_t total = 0;
    for (const std::string& table : tables) {
        if (!has(present, table)) continue;
        const auto rows = countOf(db, "SELECT count(*) FROM " + quoted(table));
        if (!rows) return std::nullopt;
        total += *rows;
    }
    return total;
}

std::optional<std::uint64_t> unbookmarkedIcons(Database& db, const std::set<std::string>& bookmarked) {
    const auto mappings = db.query("SELECT page_url FROM icon_mapping");
    if (!mappings) return std::nullopt;
    std::uint64_t count = 0;
    for (const auto& row : *mappings)
        if (!row.empty() && !bookmarked.count(row[0])) ++count;
    return count;
}

// What a work removes, as its user counts it: the addresses of a history, the cookies, the
// entries of the other stores.
std::optional<std::uint64_t> countWork(Database& db, DatabaseWork work, const std::vector<std::string>& tables,
                                       const std::vector<std::string>& named, const std::vector<std::string>& present,
                                       const KeptPages& kept) {
    switch (work) {
    case DatabaseWork::EmptyAllTables: return rowsOf(db, {named.front()}, present);
    case DatabaseWork::EmptyNamedTables: return rowsOf(db, tables, present);
    case DatabaseWork::UnbookmarkedIcons:
        if (!kept.bookmarked) return std::nullopt;
        return unbookmarkedIcons(db, *kept.bookmarked);
    case DatabaseWork::TypedTraces: {
        auto terms = rowsOf(db, tables, present);
        if (!terms || !has(present, "urls")) return terms;
        const auto typed = countOf(db, "SELECT count(*) FROM urls WHERE typed_count <> 0");
        if (!typed) return std::nullopt;
        return *terms + *typed;
    }
    }
    return std::nullopt;
}

bool single(const std::optional<Database::Rows>& rows, std::string_view value) {
    return rows && rows->size() == 1 && rows->front().size() >= 1 && rows->front().front() == value;
}

// A database held in memory keeps its journal there too.
bool rollbackJournalGoes(const std::optional<Database::Rows>& mode) {
    return single(mode, "delete") || single(mode, "memory");
}

DatabaseResult refuse(Database& db, StoreOutcome why = StoreOutcome::Refused) {
    db.close();
    return {why, 0};
}

// What makes a database one the cleaning may write, checked alike before a cleaning and a
// plan: sound, free of triggers, and holding the tables the job expects. A refusal is its
// outcome; otherwise the tables the file has.
struct Soundness {
    StoreOutcome refusal = StoreOutcome::Cleaned;
    std::vector<std::string> present;
};
Soundness soundnessOf(Database& db, DatabaseJob& job) {
    // A file that is not a sound database is not written to: a repair is not ours to make.
    // One that cannot even be checked is held by another program.
    const auto check = db.query("PRAGMA quick_check");
    if (!check) return {StoreOutcome::Refused, {}};
    if (!single(check, "ok")) return {StoreOutcome::Damaged, {}};
    const auto listed = db.query("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    // The browsers write no trigger: one would run code of the file's own inside the transaction.
    const auto triggers = db.query("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'");
    if (!listed || !triggers) return {StoreOutcome::Refused, {}};
    if (!single(triggers, "0")) return {StoreOutcome::HoldsTrigger, {}};
    Soundness sound;
    for (const auto& row : *listed)
        if (!row.empty()) sound.present.push_back(row.front());
    if (!job.fits(sound.present)) sound.refusal = StoreOutcome::Damaged;
    return sound;
}

// One of the Chromium family's works.
class ChromiumJob : public DatabaseJob {
public:
    ChromiumJob(DatabaseWork work, std::string_view tables, Erasure erasure, const KeptPages& kept)
        : work_(work), named_(splitNames(tables)), erasure_(erasure), kept_(kept) {}
    Erasure erasure() const override { return erasure_; }
    bool fits(const std::vector<std::string>& tables) override {
        present_ = tables;
        chosen_ = tablesToEmpty(work_, present_, named_);
        return chosen_.has_value();
    }
    bool run(Database& db) override { return chosen_ && doWork(db, work_, *chosen_, present_, kept_); }
    std::optional<std::uint64_t> count(Database& db) override {
        if (!chosen_) return std::nullopt;
        return countWork(db, work_, *chosen_, named_, present_, kept_);
    }

private:
    DatabaseWork work_;
    std::vector<std::string> named_;
    Erasure erasure_;
    const KeptPages& kept_;
    std::vector<std::string> present_;
    std::optional<std::vector<std::string>> chosen_;
};

} // namespace

std::string quoted(const std::string& identifier) {
    std::string text = "\"";
    for (char c : identifier) text += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text + "\"";
}

bool has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::optional<std::uint64_t> countOf(Database& db, const std::string& sql) {
    const auto rows = db.query(sql);
    if (!rows || rows->size() != 1 || rows->front().size() != 1) return std::nullopt;
    try {
        return std::stoull(rows->front().front());
    } catch (...) {
        return std::nullopt;
    }
}

DatabaseResult cleanDatabase(EntryHandle& folder, std::string_view name, DatabaseWork work, std::string_view tables,
                             Erasure erasure, const KeptPages& kept) {
    ChromiumJob job(work, tables, erasure, kept);
    return cleanDatabase(folder, name, job);
}

DatabaseResult planDatabase(EntryHandle& folder, std::string_view name, DatabaseWork work, std::string_view tables,
                            const KeptPages& kept) {
    ChromiumJob job(work, tables, Erasure::Rebuild, kept);
    return planDatabase(folder, name, job);
}

DatabaseResult planDatabase(EntryHandle& folder, std::string_view name, DatabaseJob& job) {
    auto db = folder.openChildDatabaseCopy(name, kPlannedDatabaseLimit);
    if (!db) return {folder.lastChildMissing() ? StoreOutcome::Absent : StoreOutcome::Refused, 0};
    // What the cleaning would refuse, the plan counts for nothing.
    const Soundness sound = soundnessOf(*db, job);
    if (sound.refusal != StoreOutcome::Cleaned) return refuse(*db, sound.refusal);
    const auto count = job.count(*db);
    if (!count) return refuse(*db);
    db->close();
    return {StoreOutcome::Cleaned, *count};
}

DatabaseResult cleanDatabase(EntryHandle& folder, std::string_view name, DatabaseJob& job) {
    auto db = folder.openChildDatabase(name);
    if (!db) return {folder.lastChildMissing() ? StoreOutcome::Absent : StoreOutcome::Refused, 0};
    // Before anything is read: the first read takes a shared lock and the first write an
    // exclusive one, and neither is let go before the close. A reader that comes between the
    // commit and the end of the rebuild waits or fails; one already there makes the commit
    // fail, and nothing is written.
    if (!single(db->query("PRAGMA locking_mode = EXCLUSIVE"), "exclusive")) return refuse(*db);
    // A large store is read through a mapping, not a request per page.
    db->execute("PRAGMA mmap_size = 268435456");
    const Soundness sound = soundnessOf(*db, job);
    if (sound.refusal != StoreOutcome::Cleaned) return refuse(*db, sound.refusal);

    const bool writeAheadLog = single(db->query("PRAGMA journal_mode"), "wal");
    const bool overwrite = job.erasure() == Erasure::Overwrite;
    // A rollback journal goes when the transaction ends instead of keeping the old pages in
    // a file beside the database (held in exclusive mode, it goes at the close).
    if (!db->execute(overwrite ? "PRAGMA secure_delete = ON" : "PRAGMA secure_delete = OFF") ||
        !single(db->query("PRAGMA secure_delete"), overwrite ? "1" : "0") ||
        (!writeAheadLog && !rollbackJournalGoes(db->query("PRAGMA journal_mode = DELETE"))))
        return refuse(*db);
    if (!db->execute("BEGIN IMMEDIATE")) return refuse(*db);
    const std::uint64_t count = job.count(*db).value_or(0);
    if (!job.run(*db) || !db->execute("COMMIT")) {
        db->execute("ROLLBACK");
        return refuse(*db);
    }
    // Rebuilt from the rows that stay, the file keeps no page the deleted rows stood in.
    // Should that fail, their bytes may still be there, and the end says so.
    // The rows went all the same: they are counted.
    const auto rebuildFailed = [&] {
        db->close();
        return DatabaseResult{StoreOutcome::RebuildFailed, count};
    };
    if (!overwrite && !db->execute("VACUUM")) return rebuildFailed();
    // The log's copies of the old pages go into the file, where they were erased, and the
    // log is cut to nothing; a log that keeps them keeps what went.
    if (writeAheadLog) {
        const auto checkpoint = db->query("PRAGMA wal_checkpoint(TRUNCATE)");
        if (!checkpoint || checkpoint->empty() || checkpoint->front().empty() || checkpoint->front()[0] != "0")
            return rebuildFailed();
    }
    if (!db->close()) return {StoreOutcome::Refused, 0};
    return {StoreOutcome::Cleaned, count};
}

StoreProblem problemOf(StoreOutcome outcome) {
    switch (outcome) {
    case StoreOutcome::Damaged: return StoreProblem::Damaged;
    case StoreOutcome::HoldsTrigger: return StoreProblem::HoldsTrigger;
    case StoreOutcome::RebuildFailed: return StoreProblem::RebuildFailed;
    default: return StoreProblem::Refused;
    }
}

} // namespace tv::engine::browsers
