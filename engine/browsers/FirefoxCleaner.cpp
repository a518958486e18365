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
        // A section that points nowhere has nothing to clean; one behind a link, or that
        // refuses to open, is named and left alone.
        ReachedFolder folder = openPlainFolder(work_.platform, profile.data.base, profile.data.relative);
        if (folder.reach != Reach::Open) {
            if (folder.reach == Reach::Refused) note(StoreOutcome::Refused, profile, profile.name);
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

private:
    std::string profileName(const FirefoxProfile& profile) const {
        return installation_.profiles.size() < 2 ? std::string() : profile.name;
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
        if (result.outcome == StoreOutcome::Cleaned) {
            engine::Place place = placeOf(profile, target.name);
            place.path = joinPath(profile.data.path(), target.name);
            work_.item(ItemKind::DatabaseRows, std::move(place), key, result.count, std::nullopt, running_);
        }
        return result.outcome;
    }

    void note(StoreOutcome outcome, const FirefoxProfile& profile, std::string_view what) {
        if (outcome != StoreOutcome::Refused) return;
        result_.storeLeft = true;
        if (work_.planning()) return;
        work_.storeLeft({work_.task, installation_.tree->name, profileName(profile), std::string(what), StoreProblem::Refused});
    }

    TaskWork& work_;
    const FirefoxInstallation& installation_;
    const bool running_;
    BrowserTaskResult& result_;
    bool placesKept_ = false;
};

} // namespace

BrowserTaskResult cleanFirefoxTask(TaskWork& work, std::vector<FirefoxInstallation>& installations, bool historyKept) {
    return cleanEachInstallation(
        work, installations,
        [](PlatformServices& p, const FirefoxInstallation& installation) { return isRunning(p, installation); },
        [](const FirefoxInstallation& installation) { return std::string(installation.tree->name); },
        [&](const FirefoxInstallation& installation, bool running, BrowserTaskResult& result) {
            ProfileTask profileTask(work, installation, running, result);
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
        for (const FirefoxProfile& profile : installation.profiles)
            for (const FirefoxFile& target : kFirefoxFiles)
                if (target.task == tkInternetFiles)
                    count += countBrowserFolder(platform, callback, profile.cache.base, below(profile.cache, target.path));
    return count;
}

} // namespace tv::engine::browsers
