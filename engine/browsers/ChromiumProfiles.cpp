#include "engine/browsers/ChromiumProfiles.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace tv::engine::browsers {

std::vector<std::string> profilesOf(const std::optional<std::string>& localState) {
    std::vector<std::string> profiles = {kDefaultProfile};
    if (!localState) return profiles;
    const auto json = nlohmann::json::parse(*localState, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return profiles;
    const auto profile = json.find("profile");
    if (profile == json.end() || !profile->is_object()) return profiles;
    const auto cache = profile->find("info_cache");
    if (cache == profile->end() || !cache->is_object()) return profiles;
    for (const auto& [name, info] : cache->items()) {
        if (!isPlainName(name)) continue;
        const bool known = std::any_of(profiles.begin(), profiles.end(), [&](const std::string& p) { return equalsNoCase(p, name); });
        if (!known) profiles.push_back(name);
    }
    return profiles;
}

std::map<std::string, std::string> profileNamesOf(const std::optional<std::string>& localState) {
    std::map<std::string, std::string> names;
    if (!localState) return names;
    const auto json = nlohmann::json::parse(*localState, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return names;
    const auto profile = json.find("profile");
    if (profile == json.end() || !profile->is_object()) return names;
    const auto cache = profile->find("info_cache");
    if (cache == profile->end() || !cache->is_object()) return names;
    for (const auto& [folder, info] : cache->items()) {
        if (!info.is_object()) continue;
        const auto name = info.find("name");
        if (name != info.end() && name->is_string() && !name->get<std::string>().empty())
            names[folder] = name->get<std::string>();
    }
    return names;
}

std::string profileName(const ChromiumInstallation& installation, const std::string& profile) {
    const auto named = installation.profileNames.find(profile);
    return named == installation.profileNames.end() ? profile : named->second;
}

ReachedFolder openChromiumProfile(PlatformServices& platform, const ChromiumInstallation& installation,
                                  const std::string& profile) {
    ReachedFolder folder = openPlainFolder(platform, installation.userData, profile);
    if (folder.reach == Reach::Open && !holdsFile(*folder.handle, kProfileMarker)) return {Reach::Missing, nullptr};
    return folder;
}

std::optional<std::set<std::string>> bookmarkedAddresses(const std::string& bookmarksJson) {
    const auto json = nlohmann::json::parse(bookmarksJson, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return std::nullopt;
    const auto roots = json.find("roots");
    if (roots == json.end() || !roots->is_object()) return std::nullopt;
    std::set<std::string> addresses;
    // Folders nest as deep as the user made them: a stack of our own, not the call stack.
    std::vector<const nlohmann::json*> pending;
    for (const auto& [name, root] : roots->items()) pending.push_back(&root);
    while (!pending.empty()) {
        const nlohmann::json& node = *pending.back();
        pending.pop_back();
        if (!node.is_object()) continue;
        const auto url = node.find("url");
        if (url != node.end() && url->is_string()) addresses.insert(url->get<std::string>());
        const auto children = node.find("children");
        if (children != node.end() && children->is_array())
            for (const auto& child : *children) pending.push_back(&child);
    }
    return addresses;
}

std::vector<ChromiumInstallation> findChromiumInstallations(PlatformServices& platform) {
    std::vector<ChromiumInstallation> found;
    const std::string localData = platform.specialFolderPath(kCsidlLocalAppData);
    // No local application data to read, or none on this machine: no browser of ours is known
    // to be there, and no network host is asked.
    if (localData.empty() || platform.driveKind(localData) != DriveKind::Local) return found;
    ReachedFolder local = openPlainFolder(platform, localData, {});
    if (local.reach != Reach::Open) return found;
    for (const ChromiumBrowser& browser : kChromiumBrowsers) {
        ReachedFolder userData = openPlainFolder(*local.handle, browser.userData);
        if (userData.reach == Reach::Missing) continue;
        ChromiumInstallation installation;
        installation.browser = &browser;
        installation.userData = localData + (localData.back() == '\\' ? "" : "\\") + browser.userData;
        installation.reachable = userData.reach == Reach::Open;
        if (installation.reachable) {
            const auto localState = userData.handle->readChildFile(kLocalStateFile, kJsonFileLimit);
            installation.profiles = profilesOf(localState);
            installation.profileNames = profileNamesOf(localState);
        }
        found.push_back(std::move(installation));
    }
    return found;
}

bool isRunning(PlatformServices& platform, const ChromiumInstallation& installation) {
    ReachedFolder userData = openPlainFolder(platform, installation.userData, {});
    if (userData.reach != Reach::Open) return false;
    // Held with no sharing, it cannot be opened for deletion; a lock file left by a browser
    // that ended opens as any file does.
    return !userData.handle->openChild(kChromiumLockFile, EntryKind::File) && !userData.handle->lastChildMissing();
}

} // namespace tv::engine::browsers
