#include "engine/browsers/ChromiumCleaner.h"

#include "engine/FolderOps.h"
#include "engine/browsers/BrowserFiles.h"
#include "engine/browsers/DatabaseCleaning.h"
#include "engine/browsers/EachInstallation.h"
#include "engine/browsers/PlainFolders.h"

namespace tv::engine::browsers {

namespace {

std::string joined(const std::string& folder, std::string_view relative) {
    return folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + std::string(relative);
}

// Where a table's path starts, relative to the user-data folder: the folder itself, or each
// profile. Every folder is reached from the user-data folder, one name at a time, so that a
// profile that is a link is never entered.
std::vector<std::string> basesOf(PlatformServices& platform, const ChromiumInstallation& installation, Place place) {
    if (place == Place::UserData) return {std::string()};
    std::vector<std::string> profiles;
    for (const std::string& profile : installation.profiles)
        if (openChromiumProfile(platform, installation, profile).reach == Reach::Open) profiles.push_back(profile);
    return profiles;
}

std::string relativeJoined(const std::string& base, std::string_view relative) {
    return base.empty() ? std::string(relative) : relative.empty() ? base : joined(base, relative);
}

// The first of the alternatives "a|b" that is there: the folder to purge, or nothing.
template <typename Visit>
StoreOutcome withPlainFolder(PlatformServices& platform, const ChromiumInstallation& installation,
                             const std::string& base, std::string_view alternatives, Visit visit) {
    StoreOutcome outcome = StoreOutcome::Absent;
    while (!alternatives.empty()) {
        const auto bar = alternatives.find('|');
        const std::string relative = relativeJoined(base, alternatives.substr(0, bar));
        alternatives = bar == std::string_view::npos ? std::string_view() : alternatives.substr(bar + 1);
        ReachedFolder folder = openPlainFolder(platform, installation.userData, relative);
        if (folder.reach == Reach::Open) return visit(joined(installation.userData, relative));
        if (folder.reach == Reach::Refused) outcome = StoreOutcome::Refused;
    }
    return outcome;
}

// The addresses the profile's bookmarks point to, in every file it keeps them in. No such
// file: nothing to keep. One that is there but cannot be read: nothing is known to be safe to
// remove, and the icons stay.
std::optional<std::set<std::string>> bookmarksOf(EntryHandle& profile) {
    std::set<std::string> all;
    for (const char* file : kBookmarksFiles) {
        const auto text = profile.readChildFile(file, kJsonFileLimit);
        if (!text && profile.lastChildMissing()) continue;
        const auto addresses = text ? bookmarkedAddresses(*text) : std::nullopt;
        if (!addresses) return std::nullopt;
        all.insert(addresses->begin(), addresses->end());
    }
    return all;
}

class InstallationTask {
public:
    InstallationTask(PlatformServices& platform, const RunDisplay& display, const ChromiumInstallation& installation,
                     BrowserTaskResult& result)
        : platform_(platform), display_(display), installation_(installation), result_(result) {}

    void run(std::size_t task, bool historyKept) {
        task_ = task;
        // A profile folder that is a link, or that refuses to open, is named once and left
        // alone; a folder without what every profile holds is no profile.
        std::vector<std::string> refused;
        for (const std::string& profile : installation_.profiles) {
            const Reach reached = openChromiumProfile(platform_, installation_, profile).reach;
            if (reached == Reach::Open) profiles_.push_back(profile);
            if (reached == Reach::Refused) refused.push_back(profile);
        }
        several_ = profiles_.size() + refused.size() > 1;
        for (const std::string& profile : refused) note(StoreOutcome::Refused, profile, {});
        for (const FileTarget& target : kChromiumFiles)
            if (target.task == task)
                for (const std::string& base : bases(target.place)) note(files(base, target), base, target.path);
        for (const DatabaseTarget& target : kChromiumDatabases) {
            if (target.task != task || (target.work == DatabaseWork::TypedTraces && !historyKept)) continue;
            for (const std::string& base : bases(target.place)) note(database(base, target), base, target.path);
        }
    }

private:
    std::vector<std::string> bases(Place place) const {
        return place == Place::Profile ? profiles_ : std::vector<std::string>{std::string()};
    }

    std::string profileOf(const std::string& base) const {
        return base.empty() ? std::string() : profileName(installation_, base);
    }

    // A store that stayed, under `base` (a profile, or the user-data folder itself); `what` is
    // its path in the tables, or nothing for the profile as a whole.
    void note(StoreOutcome outcome, const std::string& base, std::string_view what) {
        if (!stayed(outcome)) return;
        // Of alternatives, the last names the store.
        const std::string store(what.substr(what.rfind('|') + 1));
        const std::string path = joined(installation_.userData, relativeJoined(base, store));
        result_.storesStayed.push_back(
            {task_, installation_.browser->name, profileOf(base), several_, store, path, problemOf(outcome)});
        // Of a path, its last name.
        const std::string_view named = store.empty() ? std::string_view(base) : splitLast(store).second;
        const std::string line = std::string(installation_.browser->name) + " (" + std::string(named) + ")";
        for (const std::string& known : result_.notCleaned)
            if (known == line) return;
        result_.notCleaned.push_back(line);
    }

    // What a purge left: the files are counted, and a folder it could not list is named.
    void purged(const std::string& base, const PurgeTally& tally) {
        result_.filesStayed += tally.stayed;
        if (tally.unreached == 0) return;
        result_.foldersUnreached += tally.unreached;
        result_.foldersStayed.push_back({tally.firstUnreached, installation_.browser->name, profileOf(base), several_});
    }

    ReachedFolder reach(const std::string& base, std::string_view folderPath) {
        return openPlainFolder(platform_, installation_.userData, relativeJoined(base, folderPath));
    }

    StoreOutcome files(const std::string& base, const FileTarget& target) {
        if (target.folderContents)
            return withPlainFolder(platform_, installation_, base, target.path, [&](const std::string& path) {
                // What stays is counted as files, not named as a store.
                purged(base, PurgeFolder(platform_, display_.app, display_.bar, path));
                return StoreOutcome::Cleaned;
            });
        return deleteBrowserFile(platform_, installation_.userData, relativeJoined(base, target.path));
    }

    StoreOutcome database(const std::string& base, const DatabaseTarget& target) {
        const auto [folderPath, name] = splitLast(target.path);
        ReachedFolder folder = reach(base, folderPath);
        if (folder.reach != Reach::Open) return folder.reach == Reach::Missing ? StoreOutcome::Absent : StoreOutcome::Refused;
        KeptPages kept;
        std::optional<std::set<std::string>> bookmarked;
        if (target.work == DatabaseWork::UnbookmarkedIcons) {
            bookmarked = bookmarksOf(*folder.handle);
            if (bookmarked) kept.bookmarked = &*bookmarked;
        }
        // Chromium's databases need nothing of the browser to be read: they are rebuilt.
        return cleanDatabase(*folder.handle, name, target.work, target.tables, Erasure::Rebuild, kept);
    }

    PlatformServices& platform_;
    const RunDisplay& display_;
    const ChromiumInstallation& installation_;
    BrowserTaskResult& result_;
    std::size_t task_ = 0;
    std::vector<std::string> profiles_; // those that open as plain folders and are profiles
    bool several_ = false;              // the browser has more than one profile
};

// The browser's own lock in its user-data folder, taken as the browser takes it; when it is
// not there it is made, as the browser makes it, and goes again at the end.
InstallationHold holdLock(PlatformServices& platform, const ChromiumInstallation& installation) {
    InstallationHold hold;
    ReachedFolder userData = openPlainFolder(platform, installation.userData, {});
    hold.gone = userData.reach == Reach::Missing;
    hold.refused = userData.reach == Reach::Refused;
    if (userData.reach != Reach::Open) return hold;
    FileHold lock = userData.handle->holdChildFile(kChromiumLockFile);
    hold.running = lock.inUse;
    hold.refused = !lock.held && !lock.inUse;
    if (lock.held) hold.locks.push_back(std::move(lock.held));
    return hold;
}

} // namespace

BrowserTaskResult cleanChromiumTask(PlatformServices& platform, const RunDisplay& display,
                                    std::vector<ChromiumInstallation>& installations, std::size_t task,
                                    bool historyKept) {
    return cleanEachInstallation(
        platform, display, installations, task, holdLock,
        [](const ChromiumInstallation& installation) {
            StoreStayed whole;
            whole.browser = installation.browser->name;
            whole.path = installation.userData;
            return whole;
        },
        [&](const ChromiumInstallation& installation, BrowserTaskResult& result) {
            InstallationTask(platform, display, installation, result).run(task, historyKept);
        });
}

int countChromiumCacheFiles(PlatformServices& platform, toolkit::Application& app,
                            const std::vector<ChromiumInstallation>& installations) {
    int count = 0;
    for (const ChromiumInstallation& installation : installations) {
        if (!installation.reachable) continue;
        for (const FileTarget& target : kChromiumFiles) {
            if (target.task != tkInternetFiles) continue;
            for (const std::string& base : basesOf(platform, installation, target.place))
                withPlainFolder(platform, installation, base, target.path, [&](const std::string& path) {
                    count += CountFiles(platform, app, path);
                    return StoreOutcome::Cleaned;
                });
        }
    }
    return count;
}

} // namespace tv::engine::browsers
