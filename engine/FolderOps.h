#pragma once
// The folder walks of the cleaning tasks and of the main window's counts, and the paths
// they start from.

#include <cstdint>
#include <string>

#include "platform/PlatformServices.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"

namespace tv::engine {

// What a purge did with the files it met: a file gone before the purge reached it is
// neither kept nor counted as staying.
struct PurgeTally {
    int met = 0;    // files the purge came to (one progress step each)
    int stayed = 0; // files still there after it: in use, read-only, refused, or not proven
};

// Deletes every file below `path` and removes the emptied subfolders; the folder itself
// stays. Steps `bar` once per file met, deleted or not. Links are removed, never entered.
// Every entry is opened by its one name from the folder it was listed in and deleted
// through that handle once the handle proved to be that entry; anything else stays.
// Stops, deleting nothing more, once the main window has been closed.
PurgeTally PurgeFolder(PlatformServices& platform, toolkit::Application& app, toolkit::ProgressBar& bar,
                       const std::string& path);

// The number of files below `path`, all levels, links not followed: exactly the files a
// purge of the unchanged tree would try. Returns what it has once the main window closes.
int CountFiles(PlatformServices& platform, toolkit::Application& app, const std::string& path);

// The path of a special folder, or an empty text.
std::string RenvoiDossier(PlatformServices& platform, int csidl);

// The temporary folder with its trailing backslash, or an empty text.
std::string TempFolderPath(PlatformServices& platform);

// The walks pump pending messages before the first file and then at most this often:
// a pump per file costs more than the walk itself.
inline constexpr std::uint64_t kPumpIntervalMs = 15;

} // namespace tv::engine
