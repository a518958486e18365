#pragma once
// Firefox's databases cleaned as its tables say, or left exactly as they were.

#include <optional>
#include <set>
#include <string>

#include "engine/browsers/DatabaseCleaning.h"
#include "engine/browsers/FirefoxFamily.h"

namespace tv::engine::browsers {

// The addresses of the pages that stay in places.sqlite, those bookmarks point to: what its
// history cleaning leaves, and what the icons' cleaning keeps. Nothing when places.sqlite
// could not be read: then no icon is known to be safe to remove.
using FirefoxKeptPages = std::optional<std::set<std::string>>;

// Cleans one database of a profile's folder. The history cleaning of places.sqlite sets
// `keptPages`; the icons' cleaning reads it.
DatabaseResult cleanFirefoxDatabase(EntryHandle& profile, const FirefoxDatabase& target, FirefoxKeptPages& keptPages);

// What that cleaning would remove, from a read-only copy; the plan of places.sqlite sets
// `keptPages` to the pages the cleaning would leave.
DatabaseResult planFirefoxDatabase(EntryHandle& profile, const FirefoxDatabase& target, FirefoxKeptPages& keptPages);

} // namespace tv::engine::browsers
