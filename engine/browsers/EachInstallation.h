#pragma once
// One task's turn through a family's installations: a browser that runs, or that started
// since the gate, is left alone and counted as left open; one that cannot be reached is named.

#include <vector>

#include "engine/RunDisplay.h"
#include "engine/browsers/BrowserTaskResult.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// `isRunning(platform, installation)` and `nameOf(installation)` tell about one installation;
// `clean(installation, result)` does the task's share in it.
template <typename Installation, typename IsRunning, typename NameOf, typename Clean>
BrowserTaskResult cleanEachInstallation(PlatformServices& platform, const RunDisplay& display,
                                        std::vector<Installation>& installations, IsRunning isRunning, NameOf nameOf,
                                        Clean clean) {
    BrowserTaskResult result;
    for (Installation& installation : installations) {
        if (display.app.terminated()) break;
        if (!installation.leftAlone && installation.reachable && isRunning(platform, installation))
            installation.leftAlone = true;
        if (installation.leftAlone) {
            result.leftOpen.push_back(nameOf(installation));
            continue;
        }
        if (!installation.reachable) {
            result.notCleaned.push_back(nameOf(installation));
            continue;
        }
        clean(installation, result);
        result.cleanedAny = true;
    }
    return result;
}

} // namespace tv::engine::browsers
