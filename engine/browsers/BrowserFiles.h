#pragma once
// A browser's plain files and cache folders, reached one name at a time from a folder that
// opens as it is: a link on the way is never followed.

#include <string>
#include <string_view>

#include "engine/RunCallback.h"
#include "engine/TaskWork.h"
#include "engine/browsers/DatabaseCleaning.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// Deletes the file `relative` below `base` through its own handle (a link of that name goes
// as a link); planning, measures it. The file is the item `place`, known by `key`.
StoreOutcome cleanBrowserFile(TaskWork& work, const std::string& base, std::string_view relative, Place place,
                              const std::string& key, bool browserRunning = false);

// Purges the contents of the folder `relative` below `base` (the folder stays); planning,
// walks what the purge would remove. What stays is counted as files, what cannot be listed as
// folders unreached, both in the task's report.
StoreOutcome cleanBrowserFolder(TaskWork& work, const std::string& base, std::string_view relative, Place place,
                                const std::string& key, bool browserRunning = false);

// The files below the folder `relative` of `base`, as the purge would meet them.
int countBrowserFolder(PlatformServices& platform, RunCallback& callback, const std::string& base,
                       std::string_view relative);

} // namespace tv::engine::browsers
