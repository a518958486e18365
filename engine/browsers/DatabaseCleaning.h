#pragma once
// One browser database cleaned as the task says, or left exactly as it was: a file that is
// not a sound database of the kind expected, or that another program holds, is not written.

#include <set>
#include <string>
#include <string_view>

#include "engine/browsers/ChromiumFamily.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

enum class StoreOutcome { Absent, Cleaned, Refused };

// How the deleted rows are made unreadable in the file.
enum class Erasure {
    // The file is rebuilt from what stays, and what went is cut off: fast however large the
    // store, for databases that need nothing of their browser to be read.
    Rebuild,
    // Deleted content is overwritten where it stood: for databases whose indexes or
    // triggers need their browser's own functions, which a rebuild would call.
    Overwrite,
};

// What a database cleaning may need to know besides the file: the addresses bookmarks point
// to (nothing when the bookmarks could not be read).
struct KeptPages {
    const std::set<std::string>* bookmarked = nullptr;
};

// Cleans the database `name` of `folder`: checked first, then the work in one transaction,
// the deleted content erased, and nothing of the old pages left in a journal or a
// write-ahead log.
StoreOutcome cleanDatabase(EntryHandle& folder, std::string_view name, DatabaseWork work, std::string_view tables,
                           Erasure erasure, const KeptPages& kept = {});

} // namespace tv::engine::browsers
