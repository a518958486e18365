#pragma once
// One task's turn through a family's installations: a browser that runs, or that started
// since the gate, is left alone and counted as left open; one that cannot be reached is named.
// A plan reads them all, running or not, writing nothing.

#include <vector>

#include "engine/TaskWork.h"
#include "engine/browsers/BrowserTaskResult.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// `isRunning(platform, installation)` and `nameOf(installation)` tell about one installation;
// `clean(installation, running, result)` does the task's share in it.
template <typename Installation, typename IsRunning, typename NameOf, typename Clean>
BrowserTaskResult cleanEachInstallation(TaskWork& work, std::vector<Installation>& installations, IsRunning isRunning,
                                        NameOf nameOf, Clean clean) {
    BrowserTaskResult result;
    for (Installation& installation : installations) {
        if (!work.mayGoOn()) break;
        const bool running = installation.reachable && isRunning(work.platform, installation);
        if (!installation.reachable) {
            if (!work.planning()) work.storeLeft({work.task, nameOf(installation), {}, {}, StoreProblem::Unreachable});
            result.storeLeft = true;
            continue;
        }
        if (work.planning()) {
            clean(installation, running, result);
            continue;
        }
        if (!installation.leftAlone && running) installation.leftAlone = true;
        if (installation.leftAlone) {
            work.browserLeftOpen(nameOf(installation));
            continue;
        }
        clean(installation, false, result);
        result.cleanedAny = true;
    }
    return result;
}

} // namespace tv::engine::browsers
