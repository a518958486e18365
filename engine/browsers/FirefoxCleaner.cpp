#include "engine/browsers/FirefoxCleaner.h"

#include "engine/Names.h"
#include "engine/browsers/BrowserFiles.h"
#include "engine/browsers/EachInstallation.h"
#include "engine/browsers/FirefoxDatabases.h"
#include "engine/browsers/PlainFolders.h"

namespace tv::engine::browsers {

namespace {

std::string below(const FolderPlace& place, std::string_view name) {
    return place.relative.empty() ? std::string(name) : place.relative + "\\" + std::string(name);
}

class ProfileTask {
public:
    ProfileTask(TaskWork& work, const FirefoxInstallation& installation, bool running, BrowserTaskResult& result)
        : work_(work), installation_(installation), running_(running), result_(result) {}

    void run(const FirefoxProfile& profile, bool historyKept) {
        // A section that points nowhere, or to a folder that is no profile, has nothing to
        // clean; one behind a link, or that refuses to open, is named and left alone.
        ReachedFolder folder = openFirefoxProfile(work_.platform, profile);
        if (folder.reach != Reach::Open) {
            if (folder.reach == Reach::Refused) note(StoreOutcome::Refused, profile, {});
            return;
        }
        for (const FirefoxFile& target : kFirefoxFiles)
            if (target.task == work_.task) note(file(profile, target), profile, target.path);
        FirefoxKeptPages keptPages;
        placesKept_ = false;
        for (const FirefoxDatabase& target : kFirefoxDatabases) {
            if (target.task != work_.task || (target.work == FirefoxWork::PlacesTyped && !historyKept)) continue;
            note(database(*folder.handle, profile, target, keptPages), profile, target.name);
        }
    }

    // A profile away from this machine is never opened: it is named as a whole.
    void offMachine(const FirefoxProfile& profile) {
        result_.storeLeft = true;
        if (work_.planning()) return;
        work_.storeLeft(
            {work_.task, installation_.tree->name, profile.displayName, {}, StoreProblem::NetworkPath, profile.data.path()});
    }

private:
    std::string profileName(const FirefoxProfile& profile) const {
        return installation_.severalProfiles() ? profile.displayName : std::string();
    }

    engine::Place placeOf(const FirefoxProfile& profile, std::string_view store) const {
        return {{}, installation_.tree->name, profileName(profile), std::string(store), false};
    }

    std::string keyOf(const FirefoxProfile& profile, std::string_view store) const {
        return work_.key("firefox", profile.data.path() + "|" + std::string(store));
    }

    StoreOutcome file(const FirefoxProfile& profile, const FirefoxFile& target) {
        const FolderPlace& place = target.place == FirefoxPlace::Cache ? profile.cache : profile.data;
        const std::string relative = below(place, target.path);
        if (!target.folderContents)
            return cleanBrowserFile(work_, place.base, relative, placeOf(profile, target.path), keyOf(profile, target.path),
                                    running_);
        return cleanBrowserFolder(work_, place.base, relative, placeOf(profile, target.path), keyOf(profile, target.path),
                                  running_);
    }

    StoreOutcome database(EntryHandle& folder, const FirefoxProfile& profile, const FirefoxDatabase& target,
                          FirefoxKeptPages& keptPages) {
        const std::string key = keyOf(profile, target.name);
        // The icons follow the pages: pages kept by the user's choice keep their icons too.
        if (target.work == FirefoxWork::UnbookmarkedIcons && placesKept_) return StoreOutcome::Cleaned;
        if (work_.keptByChoice(key)) {
            if (target.work == FirefoxWork::PlacesHistory) placesKept_ = true;
            return StoreOutcome::Cleaned;
        }
        const DatabaseResult result = work_.planning() ? planFirefoxDatabase(folder, target, keptPages)
                                                       : cleanFirefoxDatabase(folder, target, keptPages);
        // Rows that went count, even when the file kept their pages.
        if (result.outcome == StoreOutcome::Cleaned || result.outcome == StoreOutcome::RebuildFailed) {
            engine::Place place = placeOf(profile, target.name);
            place.path = joinPath(profile.data.path(), target.name);
            work_.item(ItemKind::DatabaseRows, std::move(place), key, result.count, std::nullopt, running_);
        }
        return result.outcome;
    }

    void note(StoreOutcome outcome, const FirefoxProfile& profile, std::string_view what) {
        if (!stayed(outcome)) return;
        result_.storeLeft = true;
        if (work_.planning()) return;
        // A profile as a whole is named whatever the number of profiles: it is what stayed.
        work_.storeLeft({work_.task, installation_.tree->name, what.empty() ? profile.displayName : profileName(profile),
                         std::string(what), problemOf(outcome), joinPath(profile.data.path(), what)});
    }

    TaskWork& work_;
    const FirefoxInstallation& installation_;
    const bool running_;
    BrowserTaskResult& result_;
    bool placesKept_ = false;
};

// Firefox's own lock in each profile, taken as Firefox takes it; a profile whose lock was not
// there gets one for the time of the task, which goes again at the end.
InstallationHold holdLocks(PlatformServices& platform, const FirefoxInstallation& installation) {
    InstallationHold hold;
    for (const FirefoxProfile& profile : installation.profiles) {
        ReachedFolder folder = openFirefoxProfile(platform, profile);
        if (folder.reach != Reach::Open) continue; // no profile, or one the task names itself
        FileHold lock = folder.handle->holdChildFile(kFirefoxLockFile);
        if (lock.inUse) hold.running = true;
        if (!lock.held && !lock.inUse) hold.refused = true;
        if (lock.held) hold.locks.push_back(std::move(lock.held));
    }
    // Not one lock more than needed is kept by an installation that will not be written.
    if (hold.running || hold.refused) hold.locks.clear();
    return hold;
}

} // namespace

BrowserTaskResult cleanFirefoxTask(TaskWork& work, std::vector<FirefoxInstallation>& installations, bool historyKept) {
    return cleanEachInstallation(
        work, installations,
        [](PlatformServices& p, const FirefoxInstallation& installation) { return isRunning(p, installation); },
        holdLocks,
        [&](const FirefoxInstallation& installation) {
            const int roaming = installation.tree->packaged ? kCsidlLocalAppData : kCsidlAppData;
            return StoreLeft{work.task, installation.tree->name, {}, {}, StoreProblem::Refused,
                             FolderPlace{work.platform.specialFolderPath(roaming), installation.tree->roaming}.path()};
        },
        [&](const FirefoxInstallation& installation, bool running, BrowserTaskResult& result) {
            ProfileTask profileTask(work, installation, running, result);
            for (const FirefoxProfile& profile : installation.offMachine) profileTask.offMachine(profile);
            for (const FirefoxProfile& profile : installation.profiles) {
                if (!work.mayGoOn()) break;
                profileTask.run(profile, historyKept);
            }
        });
}

int countFirefoxCacheFiles(PlatformServices& platform, RunCallback& callback,
                           const std::vector<FirefoxInstallation>& installations) {
    int count = 0;
    for (const FirefoxInstallation& installation : installations)
        for (const FirefoxProfile& profile : installation.profiles) {
            if (openFirefoxProfile(platform, profile).reach != Reach::Open) continue;
            for (const FirefoxFile& target : kFirefoxFiles)
                if (target.task == tkInternetFiles)
                    count += countBrowserFolder(platform, callback, profile.cache.base, below(profile.cache, target.path));
        }
    return count;
}

} // namespace tv::engine::browsers
