#pragma once
// The Chromium-family browsers of the current user as their folders show them: each user-data
// folder found, and the profiles its "Local State" lists.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/browsers/ChromiumFamily.h"
#include "engine/browsers/PlainFolders.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// Larger settings or bookmark files than this are not the browser's.
inline constexpr std::size_t kJsonFileLimit = 64u * 1024 * 1024;

struct ChromiumInstallation {
    const ChromiumBrowser* browser = nullptr;
    std::string userData;              // the user-data folder's path
    std::vector<std::string> profiles; // profile folder names, "Default" first
    std::map<std::string, std::string> profileNames; // folder name -> the name its user gave it
    bool reachable = true;             // false: behind a link or refused; left alone
    bool leftAlone = false;            // running, or its user declined to close it
};

// Every browser of the table that has a user-data folder below the user's local application
// data. Never fails: what cannot be read is an installation that is not reachable. Local
// application data that is not on a drive of this machine is not looked into at all.
std::vector<ChromiumInstallation> findChromiumInstallations(PlatformServices& platform);

// The profile folders "Local State" lists, "Default" always among them; names that are not
// one plain folder name are dropped.
std::vector<std::string> profilesOf(const std::optional<std::string>& localState);

// The names "Local State" gives the profiles it lists, by folder name.
std::map<std::string, std::string> profileNamesOf(const std::optional<std::string>& localState);

// The profile's own name, or its folder's when it has none.
std::string profileName(const ChromiumInstallation& installation, const std::string& profile);

// The profile folder `profile` of the user-data folder, reached as itself; a folder that lacks
// what every profile holds is no profile (Missing).
ReachedFolder openChromiumProfile(PlatformServices& platform, const ChromiumInstallation& installation,
                                  const std::string& profile);

// The addresses the bookmarks of a "Bookmarks" file point to; nothing when it cannot be read.
std::optional<std::set<std::string>> bookmarkedAddresses(const std::string& bookmarksJson);

// Whether the browser runs: its lock file is there and cannot be opened.
bool isRunning(PlatformServices& platform, const ChromiumInstallation& installation);

} // namespace tv::engine::browsers
