#pragma once
// What one Internet task did in the browsers of one family, and every place of theirs that
// stayed, as data: each store with its browser, its profile and why, each folder that could
// not be listed with its browser and profile.

#include <cstddef>
#include <string>
#include <vector>

#include "engine/RunReport.h"

namespace tv::engine::browsers {

// A store left as it was, or in part (its rows gone but not their pages).
struct StoreStayed {
    std::size_t task = 0;
    std::string browser;          // "Google Chrome"
    std::string profile;          // the profile's own name ("Travail"); empty for what the whole installation shares
    bool severalProfiles = false; // the browser has more than one profile: its name tells them apart
    std::string store;            // as the tables name it ("History", "Network\\Cookies"); empty: the profile or
                                  // installation as a whole
    std::string path;             // where it is
    StoreProblem why = StoreProblem::Refused;
};

// A folder of a browser's data whose contents could not be listed: what is below it stays.
struct FolderStayed {
    std::string path;
    std::string browser;
    std::string profile;
    bool severalProfiles = false;
};

struct BrowserTaskResult {
    int filesStayed = 0;                  // cache and session files a purge could not remove
    std::vector<std::string> notCleaned;  // "Google Chrome (History)" for each store that stayed, whatever the reason
    bool cleanedAny = false;              // some installation went through the task
    std::vector<std::string> leftOpen;    // browsers left alone because they run
    std::vector<StoreStayed> storesStayed;
    int foldersUnreached = 0;                // folders whose contents no purge could reach
    std::vector<FolderStayed> foldersStayed; // the first of them in each purge
};

// The run report's forms of the same: the profile is named only where there are several.
inline StoreLeft toStoreLeft(const StoreStayed& stayed) {
    return {stayed.task, stayed.browser, stayed.severalProfiles ? stayed.profile : std::string(), stayed.store,
            stayed.why};
}
inline FolderLeft toFolderLeft(const FolderStayed& stayed) {
    return {stayed.path, stayed.browser, stayed.severalProfiles ? stayed.profile : std::string()};
}

} // namespace tv::engine::browsers
