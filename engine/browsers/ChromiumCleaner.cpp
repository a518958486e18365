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
std::vector<std::string> basesOf(const ChromiumInstallation& installation, ChromiumPlace place) {
    if (place == ChromiumPlace::UserData) return {std::string()};
    return installation.profiles;
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

class InstallationTask {
public:
    InstallationTask(TaskWork& work, const ChromiumInstallation& installation, bool running, BrowserTaskResult& result)
        : work_(work), installation_(installation), running_(running), result_(result) {}

    void run(bool historyKept) {
        // A profile folder that is a link, or that refuses to open, is named once and left alone.
        for (const std::string& profile : installation_.profiles) {
            const Reach reached = openPlainFolder(work_.platform, installation_.userData, profile).reach;
            if (reached == Reach::Open) profiles_.push_back(profile);
            if (reached == Reach::Refused) note(StoreOutcome::Refused, profile, profile);
        }
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
        return place == ChromiumPlace::Profile ? profiles_ : basesOf(installation_, place);
    }

    // The profile as its user knows it; none when the browser has only one.
    std::string profileName(const std::string& base) const {
        return base.empty() || installation_.profiles.size() < 2 ? std::string() : base;
    }

    Place placeOf(const std::string& base, std::string_view store) const {
        return {{}, installation_.browser->name, profileName(base), std::string(store), false};
    }

    std::string keyOf(const std::string& base, std::string_view store) const {
        return work_.key("chromium", installation_.userData + "|" + base + "|" + std::string(store));
    }

    void note(StoreOutcome outcome, const std::string& base, std::string_view what) {
        if (outcome != StoreOutcome::Refused) return;
        result_.storeLeft = true;
        if (work_.planning()) return;
        // Of alternatives, the last names the store.
        work_.storeLeft({work_.task, installation_.browser->name, profileName(base),
                         std::string(what.substr(what.rfind('|') + 1)), StoreProblem::Refused});
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
        const DatabaseResult result =
            work_.planning() ? planDatabase(*folder.handle, name, target.work, target.tables, kept)
                             : cleanDatabase(*folder.handle, name, target.work, target.tables, Erasure::Rebuild, kept);
        if (result.outcome == StoreOutcome::Cleaned) {
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
    std::vector<std::string> profiles_; // those that open as plain folders
};

} // namespace

BrowserTaskResult cleanChromiumTask(TaskWork& work, std::vector<ChromiumInstallation>& installations, bool historyKept) {
    return cleanEachInstallation(
        work, installations,
        [](PlatformServices& p, const ChromiumInstallation& installation) { return isRunning(p, installation); },
        [](const ChromiumInstallation& installation) { return std::string(installation.browser->name); },
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
            for (const std::string& base : basesOf(installation, target.place))
                withPlainFolder(platform, installation, base, target.path, [&](const std::string& relative) {
                    count += CountFiles(platform, callback, joinPath(installation.userData, relative));
                    return StoreOutcome::Cleaned;
                });
        }
    }
    return count;
}

} // namespace tv::engine::browsers
