#include "engine/browsers/ChromiumCleaner.h"

#include "engine/FolderOps.h"
#include "engine/Names.h"
#include "engine/browsers/BrowserFiles.h"
#include "engine/browsers/DatabaseCleaning.h"
#include "engine/browsers/EachInstallation.h"
#include "engine/browsers/PlainFolders.h"

namespace tv::engine::browsers {

namespace {

// Where a table's path starts, relative to the user-data folder: the folder itself, or each
// profile. Every folder is reached from the user-data folder, one name at a time, so that a
// profile that is a link is never entered.
std::vector<std::string> basesOf(PlatformServices& platform, const ChromiumInstallation& installation,
                                 ChromiumPlace place) {
    if (place == ChromiumPlace::UserData) return {std::string()};
    std::vector<std::string> profiles;
    for (const std::string& profile : installation.profiles)
        if (openChromiumProfile(platform, installation, profile).reach == Reach::Open) profiles.push_back(profile);
    return profiles;
}

std::string relativeJoined(const std::string& base, std::string_view relative) {
    return base.empty() ? std::string(relative) : joinPath(base, relative);
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
        if (folder.reach == Reach::Open) return visit(relative);
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
    InstallationTask(TaskWork& work, const ChromiumInstallation& installation, bool running, BrowserTaskResult& result)
        : work_(work), installation_(installation), running_(running), result_(result) {}

    void run(bool historyKept) {
        // A profile folder that is a link, or that refuses to open, is named once and left
        // alone; a folder without what every profile holds is no profile.
        std::vector<std::string> refused;
        for (const std::string& profile : installation_.profiles) {
            const Reach reached = openChromiumProfile(work_.platform, installation_, profile).reach;
            if (reached == Reach::Open) profiles_.push_back(profile);
            if (reached == Reach::Refused) refused.push_back(profile);
        }
        several_ = profiles_.size() + refused.size() > 1;
        for (const std::string& profile : refused) note(StoreOutcome::Refused, profile, {});
        for (const FileTarget& target : kChromiumFiles)
            if (target.task == work_.task)
                for (const std::string& base : bases(target.place)) note(files(base, target), base, target.path);
        for (const DatabaseTarget& target : kChromiumDatabases) {
            if (target.task != work_.task || (target.work == DatabaseWork::TypedTraces && !historyKept)) continue;
            for (const std::string& base : bases(target.place)) note(database(base, target), base, target.path);
        }
    }

private:
    std::vector<std::string> bases(ChromiumPlace place) const {
        return place == ChromiumPlace::Profile ? profiles_ : std::vector<std::string>{std::string()};
    }

    // The profile as its user knows it; none when the browser has only one, or for what the
    // whole installation shares.
    std::string profileOf(const std::string& base) const {
        return base.empty() || !several_ ? std::string() : profileName(installation_, base);
    }

    Place placeOf(const std::string& base, std::string_view store) const {
        return {{}, installation_.browser->name, profileOf(base), std::string(store), false};
    }

    std::string keyOf(const std::string& base, std::string_view store) const {
        return work_.key("chromium", installation_.userData + "|" + base + "|" + std::string(store));
    }

    // A store that stayed, under `base` (a profile, or the user-data folder itself); `what` is
    // its path in the tables, or nothing for the profile as a whole.
    void note(StoreOutcome outcome, const std::string& base, std::string_view what) {
        if (!stayed(outcome)) return;
        result_.storeLeft = true;
        if (work_.planning()) return;
        // Of alternatives, the last names the store.
        const std::string store(what.substr(what.rfind('|') + 1));
        // A profile as a whole is named whatever the number of profiles: it is what stayed.
        work_.storeLeft({work_.task, installation_.browser->name,
                         store.empty() ? profileName(installation_, base) : profileOf(base), store, problemOf(outcome),
                         joinPath(installation_.userData, relativeJoined(base, store))});
    }

    StoreOutcome files(const std::string& base, const FileTarget& target) {
        if (target.folderContents)
            return withPlainFolder(work_.platform, installation_, base, target.path, [&](const std::string& relative) {
                return cleanBrowserFolder(work_, installation_.userData, relative, placeOf(base, target.path),
                                          keyOf(base, target.path), running_);
            });
        return cleanBrowserFile(work_, installation_.userData, relativeJoined(base, target.path),
                                placeOf(base, target.path), keyOf(base, target.path), running_);
    }

    StoreOutcome database(const std::string& base, const DatabaseTarget& target) {
        const auto [folderPath, name] = splitLast(target.path);
        ReachedFolder folder = openPlainFolder(work_.platform, installation_.userData, relativeJoined(base, folderPath));
        if (folder.reach != Reach::Open) return folder.reach == Reach::Missing ? StoreOutcome::Absent : StoreOutcome::Refused;
        const std::string key = keyOf(base, target.path);
        if (work_.keptByChoice(key)) return StoreOutcome::Cleaned;
        KeptPages kept;
        std::optional<std::set<std::string>> bookmarked;
        if (target.work == DatabaseWork::UnbookmarkedIcons) {
            bookmarked = bookmarksOf(*folder.handle);
            if (bookmarked) kept.bookmarked = &*bookmarked;
        }
        // Chromium's databases need nothing of the browser to be read: they are rebuilt.
        const DatabaseResult result =
            work_.planning() ? planDatabase(*folder.handle, name, target.work, target.tables, kept)
                             : cleanDatabase(*folder.handle, name, target.work, target.tables, Erasure::Rebuild, kept);
        // Rows that went count, even when the file kept their pages.
        if (result.outcome == StoreOutcome::Cleaned || result.outcome == StoreOutcome::RebuildFailed) {
            Place place = placeOf(base, target.path);
            place.path = joinPath(installation_.userData, relativeJoined(base, target.path));
            work_.item(ItemKind::DatabaseRows, std::move(place), key, result.count, std::nullopt, running_);
        }
        return result.outcome;
    }

    TaskWork& work_;
    const ChromiumInstallation& installation_;
    const bool running_;
    BrowserTaskResult& result_;
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

BrowserTaskResult cleanChromiumTask(TaskWork& work, std::vector<ChromiumInstallation>& installations, bool historyKept) {
    return cleanEachInstallation(
        work, installations,
        [](PlatformServices& p, const ChromiumInstallation& installation) { return isRunning(p, installation); },
        holdLock,
        [&](const ChromiumInstallation& installation) {
            return StoreLeft{work.task, installation.browser->name, {}, {}, StoreProblem::Refused, installation.userData};
        },
        [&](const ChromiumInstallation& installation, bool running, BrowserTaskResult& result) {
            InstallationTask(work, installation, running, result).run(historyKept);
        });
}

int countChromiumCacheFiles(PlatformServices& platform, RunCallback& callback,
                            const std::vector<ChromiumInstallation>& installations) {
    int count = 0;
    for (const ChromiumInstallation& installation : installations) {
        if (!installation.reachable) continue;
        for (const FileTarget& target : kChromiumFiles) {
            if (target.task != tkInternetFiles) continue;
            for (const std::string& base : basesOf(platform, installation, target.place))
                withPlainFolder(platform, installation, base, target.path, [&](const std::string& relative) {
                    count += CountFiles(platform, callback, joinPath(installation.userData, relative));
                    return StoreOutcome::Cleaned;
                });
        }
    }
    return count;
}

} // namespace tv::engine::browsers
