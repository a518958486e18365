#pragma once
// The browsers built on Chromium and what each Internet task removes from their profiles,
// read as tables. Everything not named here stays: bookmarks, passwords, addresses, cards,
// search engines, extensions, settings, every other file and table, and each database's
// schema and meta rows.

#include <cstddef>

#include "engine/TaskSelection.h"

namespace tv::engine::browsers {

struct ChromiumBrowser {
    const char* name;     // as its users know it
    const char* userData; // below the user's local application data
    const char* program;  // its program, below the folder it is installed in
};

inline constexpr ChromiumBrowser kChromiumBrowsers[] = {
    {"Google Chrome", "Google\\Chrome\\User Data", "Google\\Chrome\\Application\\chrome.exe"},
    {"Microsoft Edge", "Microsoft\\Edge\\User Data", "Microsoft\\Edge\\Application\\msedge.exe"},
    {"Brave", "BraveSoftware\\Brave-Browser\\User Data", "BraveSoftware\\Brave-Browser\\Application\\brave.exe"},
    {"Vivaldi", "Vivaldi\\User Data", "Vivaldi\\Application\\vivaldi.exe"},
    {"Chromium", "Chromium\\User Data", "Chromium\\Application\\chrome.exe"},
};

// The class of the browsers' top-level windows (other programs draw theirs with it too).
inline constexpr const char* kChromiumWindowClass = "Chrome_WidgetWin_1";
// The file a running browser holds open in its user-data folder, with no sharing.
inline constexpr const char* kChromiumLockFile = "lockfile";
inline constexpr const char* kLocalStateFile = "Local State";
// Every file a profile keeps bookmarks in: its own, and those of the account signed in.
inline constexpr const char* kBookmarksFiles[] = {"Bookmarks", "AccountBookmarks"};
// What every profile folder holds: a folder without it is no profile, and is left alone.
inline constexpr const char* kProfileMarker = "Preferences";
inline constexpr const char* kDefaultProfile = "Default";

// Where a path of the tables below starts.
enum class ChromiumPlace { Profile, UserData };

enum class DatabaseWork {
    EmptyAllTables,    // every table but meta, whatever the version's tables are
    EmptyNamedTables,  // the tables named that the file has; at least one must be there
    UnbookmarkedIcons, // the page mappings and icons of pages no bookmark points to
    TypedTraces,       // search terms typed in the address bar, and the typed counts
};

struct DatabaseTarget {
    std::size_t task;
    ChromiumPlace place;
    const char* path;   // relative, backslash-separated
    DatabaseWork work;
    const char* tables; // comma-separated: the named tables, or the one that says what the file is
};

inline constexpr DatabaseTarget kChromiumDatabases[] = {
    {tkCookies, ChromiumPlace::Profile, "Network\\Cookies", DatabaseWork::EmptyNamedTables, "cookies"},
    {tkCookies, ChromiumPlace::Profile, "Cookies", DatabaseWork::EmptyNamedTables, "cookies"},
    {tkHistory, ChromiumPlace::Profile, "History", DatabaseWork::EmptyAllTables, "urls"},
    {tkHistory, ChromiumPlace::Profile, "Favicons", DatabaseWork::UnbookmarkedIcons, "icon_mapping"},
    {tkHistory, ChromiumPlace::Profile, "Top Sites", DatabaseWork::EmptyAllTables, "top_sites"},
    {tkHistory, ChromiumPlace::Profile, "DIPS", DatabaseWork::EmptyAllTables, "bounces"},
    {tkHistory, ChromiumPlace::UserData, "segmentation_platform\\ukm_db", DatabaseWork::EmptyAllTables, "urls"},
    {tkTypedUrls, ChromiumPlace::Profile, "Shortcuts", DatabaseWork::EmptyNamedTables, "omni_box_shortcuts"},
    {tkTypedUrls, ChromiumPlace::Profile, "Network Action Predictor", DatabaseWork::EmptyAllTables, "network_action_predictor"},
    {tkTypedUrls, ChromiumPlace::Profile, "History", DatabaseWork::TypedTraces, "keyword_search_terms"},
    {tkAutoComplete, ChromiumPlace::Profile, "Web Data", DatabaseWork::EmptyNamedTables, "autofill,autocomplete"},
};

// Files deleted whole, and folders whose contents are purged (the folders stay). A path with
// alternatives ("a|b") purges the first that is there.
struct FileTarget {
    std::size_t task;
    ChromiumPlace place;
    const char* path;
    bool folderContents;
};

inline constexpr FileTarget kChromiumFiles[] = {
    {tkInternetFiles, ChromiumPlace::Profile, "Cache\\Cache_Data|Cache", true},
    {tkInternetFiles, ChromiumPlace::Profile, "Code Cache", true},
    {tkInternetFiles, ChromiumPlace::Profile, "GPUCache", true},
    {tkInternetFiles, ChromiumPlace::UserData, "ShaderCache", true},
    {tkInternetFiles, ChromiumPlace::UserData, "GrShaderCache", true},
    {tkInternetFiles, ChromiumPlace::UserData, "GraphiteDawnCache", true},
    {tkHistory, ChromiumPlace::Profile, "Visited Links", false},
    {tkHistory, ChromiumPlace::Profile, "History Provider Cache", false},
    {tkHistory, ChromiumPlace::Profile, "DownloadMetadata", false},
    {tkHistory, ChromiumPlace::Profile, "Current Session", false},
    {tkHistory, ChromiumPlace::Profile, "Current Tabs", false},
    {tkHistory, ChromiumPlace::Profile, "Last Session", false},
    {tkHistory, ChromiumPlace::Profile, "Last Tabs", false},
    {tkHistory, ChromiumPlace::Profile, "Sessions", true},
    {tkHistory, ChromiumPlace::Profile, "Sessions_Encrypted", true},
};

} // namespace tv::engine::browsers
