#pragma once
// The Chromium-family browsers of the current user as their folders show them: each user-data
// folder found, and the profiles its "Local State" lists.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/browsers/ChromiumFamily.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// Larger settings or bookmark files than this are not the browser's.
inline constexpr std::size_t kJsonFileLimit = 64u * 1024 * 1024;

struct ChromiumInstallation {
    const ChromiumBrowser* browser = nullptr;
    std::string userData;              // the user-data folder's path
    std::vector<std::string> profiles; // profile folder names, "Default" first
    bool reachable = true;             // false: behind a link or refused; left alone
    bool leftAlone = false;            // running, or its user declined to close it
};

// Every browser of the table that has a user-data folder below the user's local application
// data. Never fails: what cannot be read is an installation that is not reachable.
std::vector<ChromiumInstallation> findChromiumInstallations(PlatformServices& platform);

// The profile folders "Local State" lists, "Default" always among them; names that are not
// one plain folder name are dropped.
std::vector<std::string> profilesOf(const std::optional<std::string>& localState);

// The addresses the bookmarks of a "Bookmarks" file point to; nothing when it cannot be read.
std::optional<std::set<std::string>> bookmarkedAddresses(const std::string& bookmarksJson);

// Whether the browser runs: its lock file is there and cannot be opened.
bool isRunning(PlatformServices& platform, const ChromiumInstallation& installation);

} // namespace tv::engine::browsers
