#pragma once
// One task's turn through a family's installations. Running, each one's own lock is taken,
// with no sharing, before anything of it is written and held until its share of the task is
// done; a browser that holds it (it runs, or started since the gate) is left alone and counted
// as left open; an installation that cannot be reached, or whose lock cannot be taken, is
// named. A plan reads them all, running or not, and takes no lock: it writes nothing.

#include <vector>

#include "engine/TaskWork.h"
#include "engine/browsers/BrowserTaskResult.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// `isRunning(platform, installation)` tells, without writing, whether its browser runs;
// `hold(platform, installation)` takes its locks; `describe(installation)` names it (its
// browser and folder); `clean(installation, running, result)` does the task's share in it.
template <typename Installation, typename IsRunning, typename Hold, typename Describe, typename Clean>
BrowserTaskResult cleanEachInstallation(TaskWork& work, std::vector<Installation>& installations, IsRunning isRunning,
                                        Hold hold, Describe describe, Clean clean) {
    BrowserTaskResult result;
    for (Installation& installation : installations) {
        if (!work.mayGoOn()) break;
        StoreLeft whole = describe(installation);
        if (!installation.reachable) {
            whole.why = StoreProblem::Unreachable;
            if (!work.planning()) work.storeLeft(std::move(whole));
            result.storeLeft = true;
            continue;
        }
        if (work.planning()) {
            clean(installation, isRunning(work.platform, installation), result);
            continue;
        }
        InstallationHold held;
        if (!installation.leftAlone) {
            held = hold(work.platform, installation);
            if (held.running) installation.leftAlone = true;
        }
        if (installation.leftAlone) {
            work.browserLeftOpen(whole.browser);
            continue;
        }
        if (held.refused) {
            whole.why = StoreProblem::Refused;
            work.storeLeft(std::move(whole));
            result.storeLeft = true;
            continue;
        }
        if (held.gone) continue;
        clean(installation, false, result);
        result.cleanedAny = true;
    }
    return result;
}

} // namespace tv::engine::browsers
