#include "engine/browsers/GatedBrowsers.h"

namespace tv::engine::browsers {

std::vector<GatedBrowser> gated(PlatformServices& platform, std::vector<ChromiumInstallation>& installations) {
    std::vector<GatedBrowser> browsers;
    for (ChromiumInstallation& installation : installations) {
        if (!installation.reachable) continue;
        browsers.push_back({installation.browser->name, kChromiumWindowClass, {installation.browser->program},
                            [&platform, &installation] { return isRunning(platform, installation); },
                            [&installation] { installation.leftAlone = true; }});
    }
    return browsers;
}

std::vector<GatedBrowser> gated(PlatformServices& platform, std::vector<FirefoxInstallation>& installations) {
    std::vector<GatedBrowser> browsers;
    for (FirefoxInstallation& installation : installations) {
        if (!installation.reachable) continue;
        browsers.push_back({installation.tree->name, kFirefoxWindowClass,
                            std::vector<std::string>(std::begin(kFirefoxPrograms), std::end(kFirefoxPrograms)),
                            [&platform, &installation] { return isRunning(platform, installation); },
                            [&installation] { installation.leftAlone = true; }});
    }
    return browsers;
}

} // namespace tv::engine::browsers
