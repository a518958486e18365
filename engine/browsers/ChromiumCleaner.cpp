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
std::vector<std::string> basesOf(const ChromiumInstallation& installation, Place place) {
    if (place == Place::UserData) return {std::string()};
    return installation.profiles;
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

class InstallationTask {
public:
    InstallationTask(PlatformServices& platform, const RunDisplay& display, const ChromiumInstallation& installation,
                     BrowserTaskResult& result)
        : platform_(platform), display_(display), installation_(installation), result_(result) {}

    void run(std::size_t task, bool historyKept) {
        // A profile folder that is a link, or that refuses to open, is named once and left alone.
        for (const std::string& profile : installation_.profiles) {
            const Reach reached = openPlainFolder(platform_, installation_.userData, profile).reach;
            if (reached == Reach::Open) profiles_.push_back(profile);
            if (reached == Reach::Refused) note(StoreOutcome::Refused, profile);
        }
        for (const FileTarget& target : kChromiumFiles)
            if (target.task == task)
                for (const std::string& base : bases(target.place)) note(files(base, target), target.path);
        for (const DatabaseTarget& target : kChromiumDatabases) {
            if (target.task != task || (target.work == DatabaseWork::TypedTraces && !historyKept)) continue;
            for (const std::string& base : bases(target.place)) note(database(base, target), target.path);
        }
    }

private:
    std::vector<std::string> bases(Place place) const {
        return place == Place::Profile ? profiles_ : basesOf(installation_, place);
    }

    void note(StoreOutcome outcome, std::string_view what) {
        if (outcome != StoreOutcome::Refused) return;
        // Of alternatives, the last names the store; of a path, its last name.
        const std::string_view store = splitLast(what.substr(what.rfind('|') + 1)).second;
        const std::string line = std::string(installation_.browser->name) + " (" + std::string(store) + ")";
        for (const std::string& known : result_.notCleaned)
            if (known == line) return;
        result_.notCleaned.push_back(line);
    }

    ReachedFolder reach(const std::string& base, std::string_view folderPath) {
        return openPlainFolder(platform_, installation_.userData, relativeJoined(base, folderPath));
    }

    StoreOutcome files(const std::string& base, const FileTarget& target) {
        if (target.folderContents)
            return withPlainFolder(platform_, installation_, base, target.path, [&](const std::string& path) {
                // What stays is counted as files, not named as a store.
                result_.filesStayed += PurgeFolder(platform_, display_.app, display_.bar, path).stayed;
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
            // No bookmarks file: nothing to keep. One that cannot be read: nothing is known
            // to be safe to remove, and the icons stay.
            const auto text = folder.handle->readChildFile(kBookmarksFile, kJsonFileLimit);
            if (text)
                bookmarked = bookmarkedAddresses(*text);
            else if (folder.handle->lastChildMissing())
                bookmarked.emplace();
            if (bookmarked) kept.bookmarked = &*bookmarked;
        }
        // Chromium's databases need nothing of the browser to be read: they are rebuilt.
        return cleanDatabase(*folder.handle, name, target.work, target.tables, Erasure::Rebuild, kept);
    }

    PlatformServices& platform_;
    const RunDisplay& display_;
    const ChromiumInstallation& installation_;
    BrowserTaskResult& result_;
    std::vector<std::string> profiles_; // those that open as plain folders
};

} // namespace

BrowserTaskResult cleanChromiumTask(PlatformServices& platform, const RunDisplay& display,
                                    std::vector<ChromiumInstallation>& installations, std::size_t task,
                                    bool historyKept) {
    return cleanEachInstallation(
        platform, display, installations,
        [](PlatformServices& p, const ChromiumInstallation& installation) { return isRunning(p, installation); },
        [](const ChromiumInstallation& installation) { return std::string(installation.browser->name); },
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
            for (const std::string& base : basesOf(installation, target.place))
                withPlainFolder(platform, installation, base, target.path, [&](const std::string& path) {
                    count += CountFiles(platform, app, path);
                    return StoreOutcome::Cleaned;
                });
        }
    }
    return count;
}

} // namespace tv::engine::browsers
