#include "engine/browsers/FirefoxDatabases.h"

#include <vector>

namespace tv::engine::browsers {

namespace {

std::vector<std::string> columnsOf(Database& db, const std::string& table) {
    std::vector<std::string> columns;
    const auto rows = db.query("PRAGMA table_info(" + quoted(table) + ")");
    if (rows)
        for (const auto& row : *rows)
            if (row.size() > 1) columns.push_back(row[1]);
    return columns;
}

// "col = value" for each column the table has, comma-separated; a version without a column
// has nothing of it to reset.
std::string assignments(const std::vector<std::string>& columns,
                        std::initializer_list<std::pair<const char*, const char*>> wanted) {
    std::string text;
    for (const auto& [column, value] : wanted)
        if (has(columns, column)) text += (text.empty() ? "" : ", ") + quoted(column) + " = " + value;
    return text;
}

std::optional<std::set<std::string>> firstColumn(Database& db, const std::string& sql) {
    const auto rows = db.query(sql);
    if (!rows) return std::nullopt;
    std::set<std::string> values;
    for (const auto& row : *rows)
        if (!row.empty()) values.insert(row.front());
    return values;
}

// The site an address belongs to: its scheme and host, "https://example.org".
std::string siteOf(const std::string& address) {
    const auto scheme = address.find("://");
    if (scheme == std::string::npos) return address;
    return address.substr(0, address.find('/', scheme + 3));
}

class FirefoxJob : public DatabaseJob {
public:
    FirefoxJob(const FirefoxDatabase& target, FirefoxKeptPages& keptPages)
        : work_(target.work), required_(target.tables), keptPages_(keptPages) {}

    // Every table the target names must be there; the icons' cleaning also needs to know
    // which pages stay.
    bool fits(const std::vector<std::string>& tables) override {
        present_ = tables;
        std::string_view required = required_;
        while (!required.empty()) {
            const auto comma = required.find(',');
            if (!has(tables, std::string(required.substr(0, comma)))) return false;
            required = comma == std::string_view::npos ? std::string_view() : required.substr(comma + 1);
        }
        return work_ != FirefoxWork::UnbookmarkedIcons || keptPages_.has_value();
    }

    std::optional<std::uint64_t> count(Database& db) override {
        switch (work_) {
        case FirefoxWork::PlacesHistory: {
            // The pages that go, and the bookmarked ones whose visits go.
            const auto pages = countOf(db, "SELECT count(*) FROM moz_places WHERE NOT (" + keptPage(db) +
                                               ") OR visit_count > 0");
            if (planning_) keptPages_ = firstColumn(db, "SELECT url FROM moz_places WHERE url IS NOT NULL AND (" +
                                                            keptPage(db) + ")");
            return pages;
        }
        case FirefoxWork::PlacesTyped: {
            const auto typed = has(columnsOf(db, "moz_places"), "typed")
                                   ? countOf(db, "SELECT count(*) FROM moz_places WHERE typed <> 0")
                                   : std::optional<std::uint64_t>(0);
            const auto input = has(present_, "moz_inputhistory") ? countOf(db, "SELECT count(*) FROM moz_inputhistory")
                                                                 : std::optional<std::uint64_t>(0);
            if (!typed || !input) return std::nullopt;
            return *typed + *input;
        }
        case FirefoxWork::UnbookmarkedIcons: {
            const auto pages = db.query("SELECT page_url FROM moz_pages_w_icons");
            if (!pages || !keptPages_) return std::nullopt;
            std::uint64_t count = 0;
            for (const auto& row : *pages)
                if (!row.empty() && !keptPages_->count(row[0])) ++count;
            return count;
        }
        case FirefoxWork::SearchBarEntries:
            return countOf(db, "SELECT count(*) FROM moz_formhistory WHERE fieldname = 'searchbar-history'");
        case FirefoxWork::EmptyNamedTables: break;
        }
        return std::nullopt;
    }

    void planning() { planning_ = true; }

    bool run(Database& db) override {
        switch (work_) {
        case FirefoxWork::PlacesHistory: return placesHistory(db);
        case FirefoxWork::PlacesTyped: return placesTyped(db);
        case FirefoxWork::UnbookmarkedIcons: return unbookmarkedIcons(db);
        case FirefoxWork::SearchBarEntries: return searchBarEntries(db);
        case FirefoxWork::EmptyNamedTables: break;
        }
        return false;
    }

private:
    bool emptyIfPresent(Database& db, std::initializer_list<const char*> tables) {
        for (const char* table : tables)
            if (has(present_, table) && !db.execute("DELETE FROM " + quoted(table))) return false;
        return true;
    }

    // Rows of a table that point to pages no longer there.
    bool dropOrphans(Database& db, std::initializer_list<const char*> tables) {
        for (const char* table : tables)
            if (has(present_, table) &&
                !db.execute("DELETE FROM " + quoted(table) + " WHERE place_id NOT IN (SELECT id FROM moz_places)"))
                return false;
        return true;
    }

    // Every visit and what was learnt from it; the pages bookmarks (or their keywords) point
    // to stay, with nothing left of their visits.
    // The pages the history's cleaning keeps: those bookmarks (or their keywords) point to.
    std::string keptPage(Database& db) {
        std::string kept = "SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL";
        if (has(present_, "moz_keywords")) kept += " UNION SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL";
        std::string condition = "id IN (" + kept + ")";
        if (has(columnsOf(db, "moz_places"), "foreign_count")) condition += " OR foreign_count > 0";
        return condition;
    }

    bool placesHistory(Database& db) {
        const std::vector<std::string> pageColumns = columnsOf(db, "moz_places");
        const std::string keptPage = this->keptPage(db);
        if (!emptyIfPresent(db, {"moz_historyvisits", "moz_historyvisits_extra", "moz_inputhistory",
                                 "moz_places_metadata", "moz_places_metadata_search_queries"}))
            return false;
        if (has(present_, "moz_annos")) {
            std::string annos = "DELETE FROM moz_annos WHERE place_id NOT IN (SELECT id FROM moz_places WHERE " + keptPage + ")";
            if (has(present_, "moz_anno_attributes"))
                annos += " OR anno_attribute_id IN (SELECT id FROM moz_anno_attributes WHERE name LIKE 'downloads/%')";
            if (!db.execute(annos)) return false;
        }
        if (!db.execute("DELETE FROM moz_places WHERE NOT (" + keptPage + ")") ||
            !dropOrphans(db, {"moz_places_extra", "moz_newtab_shortcuts_interaction"}))
            return false;
        const std::string reset = assignments(pageColumns, {{"visit_count", "0"}, {"last_visit_date", "NULL"},
                                                            {"typed", "0"}, {"frecency", "-1"},
                                                            {"recalc_frecency", "1"}, {"alt_frecency", "NULL"},
                                                            {"recalc_alt_frecency", "1"}});
        if (!reset.empty() && !db.execute("UPDATE moz_places SET " + reset)) return false;
        if (has(present_, "moz_origins")) {
            const std::string origins = assignments(columnsOf(db, "moz_origins"),
                                                    {{"frecency", "0"}, {"recalc_frecency", "1"},
                                                     {"alt_frecency", "NULL"}, {"recalc_alt_frecency", "1"}});
            if (!db.execute("DELETE FROM moz_origins WHERE id NOT IN "
                            "(SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL)") ||
                (!origins.empty() && !db.execute("UPDATE moz_origins SET " + origins)))
                return false;
        }
        keptPages_ = firstColumn(db, "SELECT url FROM moz_places WHERE url IS NOT NULL");
        return keptPages_.has_value();
    }

    bool placesTyped(Database& db) {
        return emptyIfPresent(db, {"moz_inputhistory"}) &&
               (!has(columnsOf(db, "moz_places"), "typed") || db.execute("UPDATE moz_places SET typed = 0 WHERE typed <> 0"));
    }

    // The pages no bookmark points to and the icons nothing kept uses. An icon of a site's
    // root serves every page of that site without a mapping: it stays while a bookmark
    // points into that site.
    bool unbookmarkedIcons(Database& db) {
        const auto pages = db.query("SELECT id, page_url FROM moz_pages_w_icons");
        if (!pages) return false;
        std::vector<std::string> gonePages;
        for (const auto& row : *pages)
            if (row.size() == 2 && !keptPages_->count(row[1])) gonePages.push_back(row[0]);
        if (!db.executeEach("DELETE FROM moz_pages_w_icons WHERE id = ?", gonePages) ||
            !db.execute("DELETE FROM moz_icons_to_pages WHERE page_id NOT IN (SELECT id FROM moz_pages_w_icons)"))
            return false;
        std::set<std::string> keptSites;
        for (const std::string& page : *keptPages_) keptSites.insert(siteOf(page));
        const auto unmapped = db.query("SELECT id, icon_url, root FROM moz_icons "
                                       "WHERE id NOT IN (SELECT icon_id FROM moz_icons_to_pages)");
        if (!unmapped) return false;
        std::vector<std::string> goneIcons;
        for (const auto& row : *unmapped)
            if (row.size() == 3 && (row[2] == "0" || row[2].empty() || !keptSites.count(siteOf(row[1]))))
                goneIcons.push_back(row[0]);
        return db.executeEach("DELETE FROM moz_icons WHERE id = ?", goneIcons);
    }

    bool searchBarEntries(Database& db) {
        const std::string entries = "SELECT id FROM moz_formhistory WHERE fieldname = 'searchbar-history'";
        return (!has(present_, "moz_history_to_sources") ||
                db.execute("DELETE FROM moz_history_to_sources WHERE history_id IN (" + entries + ")")) &&
               db.execute("DELETE FROM moz_formhistory WHERE fieldname = 'searchbar-history'") &&
               (!has(present_, "moz_sources") || !has(present_, "moz_history_to_sources") ||
                db.execute("DELETE FROM moz_sources WHERE id NOT IN (SELECT source_id FROM moz_history_to_sources)"));
    }

    FirefoxWork work_;
    std::string_view required_;
    FirefoxKeptPages& keptPages_;
    std::vector<std::string> present_;
    bool planning_ = false;
};

} // namespace

DatabaseResult cleanFirefoxDatabase(EntryHandle& profile, const FirefoxDatabase& target, FirefoxKeptPages& keptPages) {
    if (target.work == FirefoxWork::EmptyNamedTables)
        // Firefox's own functions may stand in its schema: deleted rows are overwritten, never rebuilt.
        return cleanDatabase(profile, target.name, DatabaseWork::EmptyNamedTables, target.tables, Erasure::Overwrite);
    const bool places = target.work == FirefoxWork::PlacesHistory;
    if (places) keptPages.reset();
    FirefoxJob job(target, keptPages);
    const DatabaseResult result = cleanDatabase(profile, target.name, job);
    if (places && result.outcome != StoreOutcome::Cleaned) {
        // No places.sqlite: no bookmark, no icon to keep. One that refused: nothing is known.
        keptPages.reset();
        if (result.outcome == StoreOutcome::Absent) keptPages.emplace();
    }
    return result;
}

DatabaseResult planFirefoxDatabase(EntryHandle& profile, const FirefoxDatabase& target, FirefoxKeptPages& keptPages) {
    if (target.work == FirefoxWork::EmptyNamedTables)
        return planDatabase(profile, target.name, DatabaseWork::EmptyNamedTables, target.tables);
    const bool places = target.work == FirefoxWork::PlacesHistory;
    if (places) keptPages.reset();
    FirefoxJob job(target, keptPages);
    job.planning();
    const DatabaseResult result = planDatabase(profile, target.name, job);
    if (places && result.outcome != StoreOutcome::Cleaned) {
        keptPages.reset();
        if (result.outcome == StoreOutcome::Absent) keptPages.emplace();
    }
    return result;
}

} // namespace tv::engine::browsers
