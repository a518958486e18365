#pragma once
// One task's turn through a family's installations: each one's own lock is taken, with no
// sharing, before anything of it is written and held until its share of the task is done; a
// browser that holds it (it runs, or started since the gate) is left alone and counted as
// left open; an installation that cannot be reached, or whose lock cannot be taken, is named.

#include <memory>
#include <vector>

#include "engine/RunDisplay.h"
#include "engine/browsers/BrowserTaskResult.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// What taking an installation's locks came to.
struct InstallationHold {
    std::vector<std::unique_ptr<HeldFile>> locks; // held for as long as this lives
    bool running = false;                         // a browser holds one of them
    bool refused = false;                         // one could not be taken: nothing is written
    bool gone = false;                            // the installation's folder is not there any more
};

// `hold(platform, installation)` takes its locks; `describe(installation)` gives its browser's
// name and its folder, to name it; `clean(installation, result)` does the task's share in it.
template <typename Installation, typename Hold, typename Describe, typename Clean>
BrowserTaskResult cleanEachInstallation(PlatformServices& platform, const RunDisplay& display,
                                        std::vector<Installation>& installations, std::size_t task, Hold hold,
                                        Describe describe, Clean clean) {
    BrowserTaskResult result;
    for (Installation& installation : installations) {
        if (display.app.terminated()) break;
        InstallationHold held;
        if (!installation.leftAlone && installation.reachable) {
            held = hold(platform, installation);
            if (held.running) installation.leftAlone = true;
        }
        StoreStayed whole = describe(installation);
        if (installation.leftAlone) {
            result.leftOpen.push_back(whole.browser);
            continue;
        }
        if (!installation.reachable || held.refused) {
            result.notCleaned.push_back(whole.browser);
            whole.task = task;
            whole.why = installation.reachable ? StoreProblem::Refused : StoreProblem::Unreachable;
            result.storesStayed.push_back(std::move(whole));
            continue;
        }
        if (held.gone) continue;
        clean(installation, result);
        result.cleanedAny = true;
    }
    return result;
}

} // namespace tv::engine::browsers
