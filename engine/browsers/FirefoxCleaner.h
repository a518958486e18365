#pragma once
// What the Internet tasks remove from Firefox's profiles, task by task, following the tables
// of FirefoxFamily.h. A Firefox that runs is never written to.

#include <vector>

#include "engine/RunCallback.h"
#include "engine/TaskWork.h"
#include "engine/browsers/BrowserTaskResult.h"
#include "engine/browsers/FirefoxProfiles.h"

namespace tv::engine::browsers {

// Runs, or plans, the task's share in every installation's profiles. `historyKept` says
// whether the history task is not part of this run, so that typed addresses are taken out of
// history on their own.
BrowserTaskResult cleanFirefoxTask(TaskWork& work, std::vector<FirefoxInstallation>& installations, bool historyKept);

// The cache files of every profile, as the cache task would meet them.
int countFirefoxCacheFiles(PlatformServices& platform, RunCallback& callback,
                           const std::vector<FirefoxInstallation>& installations);

} // namespace tv::engine::browsers
