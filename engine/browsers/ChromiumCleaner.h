#pragma once
// What the Internet tasks remove from the Chromium-family browsers' profiles, task by task,
// following the tables of ChromiumFamily.h. A browser that runs is never written to.

#include <vector>

#include "engine/RunCallback.h"
#include "engine/TaskWork.h"
#include "engine/browsers/BrowserTaskResult.h"
#include "engine/browsers/ChromiumProfiles.h"

namespace tv::engine::browsers {

// Runs, or plans, the task's share in every installation. `historyKept` says whether the
// history task is not part of this run, so that typed addresses are taken out of history on
// their own.
BrowserTaskResult cleanChromiumTask(TaskWork& work, std::vector<ChromiumInstallation>& installations, bool historyKept);

// The cache files of every installation, as the cache task would meet them.
int countChromiumCacheFiles(PlatformServices& platform, RunCallback& callback,
                            const std::vector<ChromiumInstallation>& installations);

} // namespace tv::engine::browsers
