#include "engine/browsers/FirefoxCleaner.h"

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
    ProfileTask(PlatformServices& platform, const RunDisplay& display, const FirefoxInstallation& installation,
                BrowserTaskResult& result, std::size_t task)
        : platform_(platform), display_(display), installation_(installation), result_(result), task_(task) {}

    void run(const FirefoxProfile& profile, bool historyKept) {
        // A section that points nowhere, or to a folder that is no profile, has nothing to
        // clean; one behind a link, or that refuses to open, is named and left alone.
        ReachedFolder folder = openFirefoxProfile(platform_, profile);
        if (folder.reach != Reach::Open) {
            if (folder.reach == Reach::Refused) note(StoreOutcome::Refused, profile, profile.data, {});
            return;
        }
        for (const FirefoxFile& target : kFirefoxFiles)
            if (target.task == task_) note(file(profile, target), profile, placeOf(profile, target), target.path);
        FirefoxKeptPages keptPages;
        for (const FirefoxDatabase& target : kFirefoxDatabases) {
            if (target.task != task_ || (target.work == FirefoxWork::PlacesTyped && !historyKept)) continue;
            note(cleanFirefoxDatabase(*folder.handle, target, keptPages), profile, profile.data, target.name);
        }
    }

    // A profile away from this machine is never opened: it is named as a whole.
    void offMachine(const FirefoxProfile& profile) {
        result_.storesStayed.push_back({task_, installation_.tree->name, profile.displayName,
                                        installation_.severalProfiles(), {}, profile.data.path(),
                                        StoreProblem::NetworkPath});
        legacyLine(profile.name);
    }

private:
    static const FolderPlace& placeOf(const FirefoxProfile& profile, const FirefoxFile& target) {
        return target.place == FirefoxPlace::Cache ? profile.cache : profile.data;
    }

    StoreOutcome file(const FirefoxProfile& profile, const FirefoxFile& target) {
        const FolderPlace& place = placeOf(profile, target);
        if (!target.folderContents) return deleteBrowserFile(platform_, place.base, below(place, target.path));
        PurgeTally left;
        const StoreOutcome outcome =
            purgeBrowserFolder(platform_, display_, place.base, below(place, target.path), left);
        result_.filesStayed += left.stayed;
        if (left.unreached > 0) {
            result_.foldersUnreached += left.unreached;
            result_.foldersStayed.push_back(
                {left.firstUnreached, installation_.tree->name, profile.displayName, installation_.severalProfiles()});
        }
        return outcome;
    }

    // A store that stayed, `what` in `place`; nothing for the profile as a whole.
    void note(StoreOutcome outcome, const FirefoxProfile& profile, const FolderPlace& place, std::string_view what) {
        if (!stayed(outcome)) return;
        const std::string store(what);
        const std::string path = store.empty() ? place.path() : FolderPlace{place.base, below(place, store)}.path();
        result_.storesStayed.push_back({task_, installation_.tree->name, profile.displayName,
                                        installation_.severalProfiles(), store, path, problemOf(outcome)});
        legacyLine(store.empty() ? profile.name : store);
    }

    void legacyLine(const std::string& what) {
        const std::string line = std::string(installation_.tree->name) + " (" + what + ")";
        for (const std::string& known : result_.notCleaned)
            if (known == line) return;
        result_.notCleaned.push_back(line);
    }

    PlatformServices& platform_;
    const RunDisplay& display_;
    const FirefoxInstallation& installation_;
    BrowserTaskResult& result_;
    std::size_t task_;
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

BrowserTaskResult cleanFirefoxTask(PlatformServices& platform, const RunDisplay& display,
                                   std::vector<FirefoxInstallation>& installations, std::size_t task, bool historyKept) {
    return cleanEachInstallation(
        platform, display, installations, task, holdLocks,
        [&](const FirefoxInstallation& installation) {
            StoreStayed whole;
            whole.browser = installation.tree->name;
            const int roaming = installation.tree->packaged ? kCsidlLocalAppData : kCsidlAppData;
            whole.path = FolderPlace{platform.specialFolderPath(roaming), installation.tree->roaming}.path();
            return whole;
        },
        [&](const FirefoxInstallation& installation, BrowserTaskResult& result) {
            ProfileTask profileTask(platform, display, installation, result, task);
            for (const FirefoxProfile& profile : installation.offMachine) profileTask.offMachine(profile);
            for (const FirefoxProfile& profile : installation.profiles) {
                if (display.app.terminated()) break;
                profileTask.run(profile, historyKept);
            }
        });
}

int countFirefoxCacheFiles(PlatformServices& platform, toolkit::Application& app,
                           const std::vector<FirefoxInstallation>& installations) {
    int count = 0;
    for (const FirefoxInstallation& installation : installations)
        for (const FirefoxProfile& profile : installation.profiles) {
            if (openFirefoxProfile(platform, profile).reach != Reach::Open) continue;
            for (const FirefoxFile& target : kFirefoxFiles)
                if (target.task == tkInternetFiles)
                    count += countBrowserFolder(platform, app, profile.cache.base, below(profile.cache, target.path));
        }
    return count;
}

} // namespace tv::engine::browsers
