#pragma once
// One browser database cleaned as the task says, or left exactly as it was: a file that is
// not a sound database of the kind expected, or that another program holds, is not written.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RunReport.h"
#include "engine/browsers/ChromiumFamily.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

enum class StoreOutcome {
    Absent,
    Cleaned,
    Refused,       // held by another program, denied, or behind a link
    Damaged,       // not a sound database, or not the store expected
    HoldsTrigger,  // its schema runs code of its own when its rows are deleted
    RebuildFailed, // its rows went, but the file (or its log) may still hold their pages
};

// Whether the store is still there as it was, or in part.
inline bool stayed(StoreOutcome outcome) { return outcome != StoreOutcome::Absent && outcome != StoreOutcome::Cleaned; }
// Why, as the run's report says it.
StoreProblem problemOf(StoreOutcome outcome);

// What a database cleaning may need to know besides the file: the addresses bookmarks point
// to (nothing when the bookmarks could not be read).
struct KeptPages {
    const std::set<std::string>* bookmarked = nullptr;
};

// How the deleted rows are made unreadable in the file.
enum class Erasure {
    // The file is rebuilt from what stays, and what went is cut off: fast however large the
    // store, for databases that need nothing of their browser to be read.
    Rebuild,
    // Deleted content is overwritten where it stood: for databases whose indexes or
    // triggers may need their browser's own functions, which a rebuild would call.
    Overwrite,
};

// What is done inside one database once it is known to be sound.
class DatabaseJob {
public:
    virtual ~DatabaseJob() = default;
    virtual Erasure erasure() const { return Erasure::Overwrite; }
    // Whether the tables the file has make it the database expected.
    virtual bool fits(const std::vector<std::string>& tables) = 0;
    // The deletions and updates, inside the transaction; false at the first that fails.
    virtual bool run(Database& db) = 0;
    // What the work would remove, as its user counts it (addresses, cookies, entries), read
    // and changing nothing; nothing when it cannot be read.
    virtual std::optional<std::uint64_t> count(Database& db) = 0;
};

// What became of a database, and how many of its rows the work removed (or would remove).
struct DatabaseResult {
    StoreOutcome outcome = StoreOutcome::Absent;
    std::uint64_t count = 0;
};

// Cleans the database `name` of `folder`: checked first, then the job in one transaction,
// the deleted content erased as the job says, and nothing of the old pages left in a
// journal or a write-ahead log. No other connection reads the file between the first
// deletion and the end of its erasure. A file whose schema holds a trigger is not written:
// the browsers write none, and one would run inside the transaction.
DatabaseResult cleanDatabase(EntryHandle& folder, std::string_view name, DatabaseJob& job);

// What the cleaning would remove, through the same checks, from a read-only copy of the file
// and its log: nothing of them is locked or written, whoever holds them.
DatabaseResult planDatabase(EntryHandle& folder, std::string_view name, DatabaseJob& job);

// The same with one of the works of the Chromium family's tables.
DatabaseResult cleanDatabase(EntryHandle& folder, std::string_view name, DatabaseWork work, std::string_view tables,
                             Erasure erasure, const KeptPages& kept = {});
DatabaseResult planDatabase(EntryHandle& folder, std::string_view name, DatabaseWork work, std::string_view tables,
                            const KeptPages& kept = {});

// The largest database a plan reads into memory.
inline constexpr std::size_t kPlannedDatabaseLimit = 1024u * 1024 * 1024;

// The number a query of one row and one column gives; nothing when it gives none.
std::optional<std::uint64_t> countOf(Database& db, const std::string& sql);

// A name made safe to stand for a table or a column in a statement.
std::string quoted(const std::string& identifier);
bool has(const std::vector<std::string>& names, const std::string& name);

} // namespace tv::engine::browsers
