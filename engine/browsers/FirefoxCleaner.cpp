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
                BrowserTaskResult& result)
        : platform_(platform), display_(display), installation_(installation), result_(result) {}

    void run(const FirefoxProfile& profile, std::size_t task, bool historyKept) {
        // A section that points nowhere has nothing to clean; one behind a link, or that
        // refuses to open, is named and left alone.
        ReachedFolder folder = openPlainFolder(platform_, profile.data.base, profile.data.relative);
        if (folder.reach != Reach::Open) {
            if (folder.reach == Reach::Refused) note(StoreOutcome::Refused, profile.name);
            return;
        }
        for (const FirefoxFile& target : kFirefoxFiles)
            if (target.task == task) note(file(profile, target), target.path);
        FirefoxKeptPages keptPages;
        for (const FirefoxDatabase& target : kFirefoxDatabases) {
            if (target.task != task || (target.work == FirefoxWork::PlacesTyped && !historyKept)) continue;
            note(cleanFirefoxDatabase(*folder.handle, target, keptPages), target.name);
        }
    }

private:
    StoreOutcome file(const FirefoxProfile& profile, const FirefoxFile& target) {
        const FolderPlace& place = target.place == FirefoxPlace::Cache ? profile.cache : profile.data;
        if (!target.folderContents) return deleteBrowserFile(platform_, place.base, below(place, target.path));
        return purgeBrowserFolder(platform_, display_, place.base, below(place, target.path), result_.filesStayed);
    }

    void note(StoreOutcome outcome, std::string_view what) {
        if (outcome != StoreOutcome::Refused) return;
        const std::string line = std::string(installation_.tree->name) + " (" + std::string(what) + ")";
        for (const std::string& known : result_.notCleaned)
            if (known == line) return;
        result_.notCleaned.push_back(line);
    }

    PlatformServices& platform_;
    const RunDisplay& display_;
    const FirefoxInstallation& installation_;
    BrowserTaskResult& result_;
};

} // namespace

BrowserTaskResult cleanFirefoxTask(PlatformServices& platform, const RunDisplay& display,
                                   std::vector<FirefoxInstallation>& installations, std::size_t task, bool historyKept) {
    return cleanEachInstallation(
        platform, display, installations,
        [](PlatformServices& p, const FirefoxInstallation& installation) { return isRunning(p, installation); },
        [](const FirefoxInstallation& installation) { return std::string(installation.tree->name); },
        [&](const FirefoxInstallation& installation, BrowserTaskResult& result) {
            ProfileTask profileTask(platform, display, installation, result);
            for (const FirefoxProfile& profile : installation.profiles) {
                if (display.app.terminated()) break;
                profileTask.run(profile, task, historyKept);
            }
        });
}

int countFirefoxCacheFiles(PlatformServices& platform, toolkit::Application& app,
                           const std::vector<FirefoxInstallation>& installations) {
    int count = 0;
    for (const FirefoxInstallation& installation : installations)
        for (const FirefoxProfile& profile : installation.profiles)
            for (const FirefoxFile& target : kFirefoxFiles)
                if (target.task == tkInternetFiles)
                    count += countBrowserFolder(platform, app, profile.cache.base, below(profile.cache, target.path));
    return count;
}

} // namespace tv::engine::browsers
