#pragma once
// Firefox and what each Internet task removes from its profiles, read as tables. Everything
// not named here stays: bookmarks and the pages and icons they point to, saved logins, keys,
// certificates, settings, bookmark backups, extensions, every other file and table, and each
// database's schema and moz_meta rows.

#include <cstddef>

#include "engine/TaskSelection.h"

namespace tv::engine::browsers {

// One tree of profiles: profiles.ini and the profiles below its folder, and the twin folder
// of the local application data where the caches live.
struct FirefoxTree {
    const char* name;    // as its users know it
    const char* roaming; // below the user's roaming application data, or local when `packaged`
    const char* local;   // below the user's local application data
    bool packaged;       // the Microsoft Store build keeps both trees in its package's folder
};

inline constexpr FirefoxTree kFirefoxTrees[] = {
    {"Mozilla Firefox", "Mozilla\\Firefox", "Mozilla\\Firefox", false},
    {"Mozilla Firefox", "Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\Roaming\\Mozilla\\Firefox",
     "Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\Local\\Mozilla\\Firefox", true},
};

inline constexpr const char* kProfilesIni = "profiles.ini";
// What a profile folder holds, one or the other: a folder with neither is no profile, and is
// left alone.
inline constexpr const char* kFirefoxProfileMarkers[] = {"prefs.js", "times.json"};
// The file a running Firefox holds open in its profile with no sharing; it stays once
// Firefox has ended.
inline constexpr const char* kFirefoxLockFile = "parent.lock";
// The class of Firefox's top-level windows (Thunderbird draws its own with it too).
inline constexpr const char* kFirefoxWindowClass = "MozillaWindowClass";
// Its program, below the folder it is installed in, for each build that shares profiles.ini,
// and for the Store build.
inline constexpr const char* kFirefoxPrograms[] = {
    "Mozilla Firefox\\firefox.exe",
    "Firefox Developer Edition\\firefox.exe",
    "Firefox Nightly\\firefox.exe",
    "Firefox Package Root\\firefox.exe",
};

enum class FirefoxWork {
    EmptyNamedTables,  // the tables named that the file has; at least one must be there
    PlacesHistory,     // visits and pages no bookmark points to; bookmarked pages' visit data
    PlacesTyped,       // what was typed in the address bar, and the typed flag of pages
    UnbookmarkedIcons, // the pages and icons of pages no bookmark points to
    SearchBarEntries,  // the search bar's entries of the form history
};

struct FirefoxDatabase {
    std::size_t task;
    const char* name;   // in the profile
    FirefoxWork work;
    const char* tables; // comma-separated: the tables emptied, or those the work needs; at least one,
                        // or all of them, must be there
};

// In this order: the icons follow the pages, whose bookmarks say which icons stay.
inline constexpr FirefoxDatabase kFirefoxDatabases[] = {
    {tkCookies, "cookies.sqlite", FirefoxWork::EmptyNamedTables, "moz_cookies"},
    {tkHistory, "places.sqlite", FirefoxWork::PlacesHistory, "moz_places,moz_bookmarks,moz_historyvisits"},
    {tkHistory, "favicons.sqlite", FirefoxWork::UnbookmarkedIcons, "moz_icons,moz_pages_w_icons,moz_icons_to_pages"},
    {tkTypedUrls, "places.sqlite", FirefoxWork::PlacesTyped, "moz_places,moz_inputhistory"},
    {tkTypedUrls, "formhistory.sqlite", FirefoxWork::SearchBarEntries, "moz_formhistory"},
    {tkAutoComplete, "formhistory.sqlite", FirefoxWork::EmptyNamedTables, "moz_formhistory,moz_history_to_sources,moz_sources"},
};

// Where a file's path starts: the profile, or its twin in the local application data.
enum class FirefoxPlace { Profile, Cache };

// Files deleted whole, and folders whose contents are purged (the folders stay).
struct FirefoxFile {
    std::size_t task;
    FirefoxPlace place;
    const char* path;
    bool folderContents;
};

inline constexpr FirefoxFile kFirefoxFiles[] = {
    {tkInternetFiles, FirefoxPlace::Cache, "cache2", true},
    {tkInternetFiles, FirefoxPlace::Cache, "startupCache", true},
    {tkInternetFiles, FirefoxPlace::Cache, "thumbnails", true},
    {tkInternetFiles, FirefoxPlace::Cache, "jumpListCache", true},
    {tkHistory, FirefoxPlace::Profile, "sessionstore.jsonlz4", false},
    {tkHistory, FirefoxPlace::Profile, "sessionstore-backups", true},
};

} // namespace tv::engine::browsers
