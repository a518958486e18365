#pragma once
// The folder walks of the cleaning tasks and of the main window's counts, and the paths
// they start from.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RunCallback.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

// What a purge left of its target: a file gone before the purge reached it is neither kept
// nor counted as staying.
struct PurgeTally {
    int met = 0; // files the purge came to (one progress step each)
    int removed = 0;                // files that went
    std::uint64_t bytesRemoved = 0; // their listed lengths
    // Entries still there after it: files it could not delete (in use, read-only, refused,
    // not proven) and links that would not go, and, counted read-only, every file below a
    // folder it left by rule or could not list to the end.
    int stayed = 0;
    // Folders whose contents it could not even count: refused, unreadable, or not proven to be
    // what the listing showed. The first of them is named.
    int unreached = 0;
    std::string firstUnreached;
};

// What a purge leaves where it stands besides what it cannot remove.
struct PurgeExceptions {
    // Files a store keeps for itself and empties through its own interface: not traces, so
    // not counted when they will not go.
    std::vector<std::string> storeFiles;
    // A folder left as it is (the program's own): its files are counted as staying.
    std::string keptFolder;
    // Folders that another cleaner of the same task handles: neither entered nor counted.
    std::vector<std::string> handledFolders;
};

// Deletes every file below `path` and removes the emptied subfolders; the folder itself
// stays. Steps the front end's bar once per file met, deleted or not. Links are removed,
// never entered. Every entry is opened by its one name from the folder it was listed in and
// deleted through that handle once the handle proved to be that entry; anything else stays,
// and is accounted for in the tally. Stops, deleting nothing more, once the front end says
// the run may not go on. An empty path is the front end's PathError notice, and nothing more.
PurgeTally PurgeFolder(PlatformServices& platform, RunCallback& callback, const std::string& path,
                       const PurgeExceptions& exceptions = {});

// What a purge of `path` would try to remove, through the same walk and the same checks,
// writing nothing: the files, their listed lengths, and the folders it could not reach.
struct FolderPlan {
    int files = 0;
    std::uint64_t bytes = 0;
    int unreached = 0;
    std::string firstUnreached;
};
FolderPlan PlanFolder(PlatformServices& platform, RunCallback& callback, const std::string& path,
                      const PurgeExceptions& exceptions = {});

// The number of files below `path`, all levels, links not followed: exactly the files a
// purge of the unchanged tree would try. Returns what it has once the run may not go on.
int CountFiles(PlatformServices& platform, RunCallback& callback, const std::string& path);

// The path of a special folder, or an empty text.
std::string RenvoiDossier(PlatformServices& platform, int csidl);

// The temporary folder with its trailing backslash, or an empty text.
std::string TempFolderPath(PlatformServices& platform);

// The walks pump pending messages before the first file and then at most this often:
// a pump per file costs more than the walk itself.
inline constexpr std::uint64_t kPumpIntervalMs = 15;

} // namespace tv::engine
