#include "engine/browsers/FirefoxProfiles.h"

#include <algorithm>

namespace tv::engine::browsers {

namespace {

// Larger files than this are not Firefox's profiles.ini.
constexpr std::size_t kProfilesIniLimit = 1024u * 1024;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "[Profile0]", "[Profile12]": the sections Firefox reads as profiles.
bool isProfileSection(std::string_view header) {
    if (!startsWithNoCase(header, "profile")) return false;
    const std::string_view number = header.substr(7);
    return !number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string joinedNames(std::string_view first, std::string_view second) {
    if (first.empty()) return std::string(second);
    if (second.empty()) return std::string(first);
    return std::string(first) + "\\" + std::string(second);
}

// The names of a path written with either separator; nothing when one of them is not a
// plain name. Empty parts (a doubled or final separator) are no name.
std::optional<std::string> plainNames(std::string_view path) {
    std::string names;
    while (!path.empty()) {
        const auto at = path.find_first_of("\\/");
        const std::string_view name = path.substr(0, at);
        path = at == std::string_view::npos ? std::string_view() : path.substr(at + 1);
        if (name.empty()) continue;
        if (!isPlainName(name)) return std::nullopt;
        names = joinedNames(names, name);
    }
    if (names.empty()) return std::nullopt;
    return names;
}

// An absolute path split into the root it starts from ("C:\", "\\server\share\",
// "\\?\UNC\server\share\") and the names below it. Any other path that starts with two
// separators (a device, a long path of no drive, a share that does not read as one) is kept
// whole as its own root: it is no drive of this machine, never opened, only named.
std::optional<FolderPlace> absolutePlace(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    std::string_view rest = path;
    const FolderPlace whole{path, {}};
    bool separators = startsWithNoCase(rest, "\\\\");
    std::string shareRoot;
    if (startsWithNoCase(rest, "\\\\?\\UNC\\")) {
        shareRoot = "\\\\?\\UNC\\";
    } else if (startsWithNoCase(rest, "\\\\?\\")) {
        rest.remove_prefix(4); // a drive's long form reads as the drive
        separators = rest.size() < 2 || rest[1] != ':';
    } else if (startsWithNoCase(rest, "\\\\.\\")) {
        return whole;
    } else if (startsWithNoCase(rest, "\\\\")) {
        shareRoot = "\\\\";
    }
    std::string root;
    if (!shareRoot.empty()) {
        rest.remove_prefix(shareRoot.size());
        const auto server = rest.find('\\');
        const auto share = server == std::string_view::npos ? server : rest.find('\\', server + 1);
        if (share == std::string_view::npos || !isPlainName(rest.substr(0, server)) ||
            !isPlainName(rest.substr(server + 1, share - server - 1)))
            return whole;
        root = shareRoot + std::string(rest.substr(0, share + 1));
        rest.remove_prefix(share + 1);
    } else {
        const bool drive = rest.size() >= 3 &&
                           ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z')) &&
                           rest[1] == ':' && rest[2] == '\\';
        if (!drive) return separators ? std::optional<FolderPlace>(whole) : std::nullopt;
        root = std::string(rest.substr(0, 3));
        rest.remove_prefix(3);
    }
    const auto names = plainNames(rest);
    if (!names) return separators ? std::optional<FolderPlace>(whole) : std::nullopt;
    return FolderPlace{root, *names};
}

} // namespace

std::string FolderPlace::path() const {
    if (relative.empty()) return base;
    return base + (base.empty() || base.back() == '\\' ? "" : "\\") + relative;
}

std::vector<ProfileEntry> profileEntries(const std::string& ini) {
    std::vector<ProfileEntry> entries;
    std::string_view text = ini;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool inProfile = false;
    ProfileEntry current;
    auto flush = [&] {
        if (inProfile && !current.path.empty()) entries.push_back(current);
        current = {};
    };
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            flush();
            const auto close = line.find(']');
            inProfile = close != std::string_view::npos && isProfileSection(trimmed(line.substr(1, close - 1)));
            continue;
        }
        const auto equals = line.find('=');
        if (!inProfile || equals == std::string_view::npos) continue;
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if (startsWithNoCase(key, "name") && key.size() == 4) current.name = std::string(value);
        if (startsWithNoCase(key, "path") && key.size() == 4) current.path = std::string(value);
        if (startsWithNoCase(key, "isrelative") && key.size() == 10) current.relative = value == "1";
    }
    flush();
    return entries;
}

std::optional<FirefoxProfile> placeProfile(const ProfileEntry& entry, const FolderPlace& roaming,
                                           const FolderPlace& local) {
    FirefoxProfile profile;
    if (entry.relative) {
        const auto names = plainNames(entry.path);
        if (!names) return std::nullopt;
        profile.data = {roaming.base, joinedNames(roaming.relative, *names)};
        profile.cache = {local.base, joinedNames(local.relative, *names)};
    } else {
        // A profile of its own folder keeps its caches in it.
        const auto place = absolutePlace(entry.path);
        if (!place) return std::nullopt;
        profile.data = profile.cache = *place;
    }
    profile.name = std::string(splitLast(profile.data.relative).second);
    if (profile.name.empty()) profile.name = entry.path;
    profile.displayName = entry.name.empty() ? profile.name : entry.name;
    return profile;
}

std::vector<FirefoxInstallation> findFirefoxInstallations(PlatformServices& platform) {
    std::vector<FirefoxInstallation> found;
    const std::string localData = platform.specialFolderPath(kCsidlLocalAppData);
    for (const FirefoxTree& tree : kFirefoxTrees) {
        const std::string roamingData = tree.packaged ? localData : platform.specialFolderPath(kCsidlAppData);
        if (roamingData.empty() || localData.empty()) continue;
        // A roaming folder on a share (folder redirection) is never looked into: no network
        // host is asked whether a profile is there.
        if (platform.driveKind(roamingData) != DriveKind::Local) continue;
        ReachedFolder root = openPlainFolder(platform, roamingData, tree.roaming);
        if (root.reach == Reach::Missing) continue;
        FirefoxInstallation installation;
        installation.tree = &tree;
        installation.reachable = root.reach == Reach::Open;
        if (installation.reachable) {
            const auto ini = root.handle->readChildFile(kProfilesIni, kProfilesIniLimit);
            if (!ini && root.handle->lastChildMissing()) continue; // no profile yet
            installation.reachable = ini.has_value();
            if (ini)
                for (const ProfileEntry& entry : profileEntries(*ini)) {
                    const auto profile = placeProfile(entry, {roamingData, tree.roaming}, {localData, tree.local});
                    if (!profile) continue;
                    const DriveKind data = platform.driveKind(profile->data.base);
                    const DriveKind cache = platform.driveKind(profile->cache.base);
                    if (data == DriveKind::Local && cache == DriveKind::Local)
                        installation.profiles.push_back(*profile);
                    else if (data != DriveKind::Absent && cache != DriveKind::Absent)
                        installation.offMachine.push_back(*profile);
                }
        }
        found.push_back(std::move(installation));
    }
    return found;
}

ReachedFolder openFirefoxProfile(PlatformServices& platform, const FirefoxProfile& profile) {
    ReachedFolder folder = openPlainFolder(platform, profile.data.base, profile.data.relative);
    if (folder.reach != Reach::Open) return folder;
    for (const char* marker : kFirefoxProfileMarkers)
        if (holdsFile(*folder.handle, marker)) return folder;
    return {Reach::Missing, nullptr};
}

bool isRunning(PlatformServices& platform, const FirefoxInstallation& installation) {
    for (const FirefoxProfile& profile : installation.profiles) {
        ReachedFolder folder = openFirefoxProfile(platform, profile);
        if (folder.reach != Reach::Open) continue;
        // Held with no sharing, it cannot be opened; one left by a Firefox that ended opens.
        if (!folder.handle->openChild(kFirefoxLockFile, EntryKind::File) && !folder.handle->lastChildMissing())
            return true;
    }
    return false;
}

} // namespace tv::engine::browsers
