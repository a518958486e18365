#pragma once
// A browser's plain files and cache folders, reached one name at a time from a folder that
// opens as it is: a link on the way is never followed.

#include <string>
#include <string_view>

#include "engine/FolderOps.h"
#include "engine/RunDisplay.h"
#include "engine/browsers/DatabaseCleaning.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// Deletes the file `relative` below `base` through its own handle: a link of that name goes
// as a link.
StoreOutcome deleteBrowserFile(PlatformServices& platform, const std::string& base, std::string_view relative);

// Purges the contents of the folder `relative` below `base`; the folder stays. What the purge
// left (files that stayed, folders it could not list) is in `left`.
StoreOutcome purgeBrowserFolder(PlatformServices& platform, const RunDisplay& display, const std::string& base,
                                std::string_view relative, PurgeTally& left);

// The files below the folder `relative` of `base`, as the purge would meet them.
int countBrowserFolder(PlatformServices& platform, toolkit::Application& app, const std::string& base,
                       std::string_view relative);

} // namespace tv::engine::browsers
