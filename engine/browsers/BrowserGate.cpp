#include "engine/browsers/BrowserGate.h"

#include <algorithm>

#include "engine/Names.h"

namespace tv::engine::browsers {

namespace {

// Other programs draw their windows with a browser's class too: only the windows of the
// browser's own program, in its own install folder, are asked to close, each once.
void askToClose(PlatformServices& platform, const GatedBrowser& browser, std::vector<WindowHandle>& asked) {
    for (WindowHandle window : platform.topLevelWindows(browser.windowClass)) {
        if (std::find(asked.begin(), asked.end(), window) != asked.end()) continue;
        const std::string path = platform.windowProgramPath(window);
        for (const std::string& program : browser.programs)
            if (endsWithNoCase(path, "\\" + program)) {
                platform.postMessage(window, kWmClose, 0, 0);
                asked.push_back(window);
                break;
            }
    }
}

} // namespace

void closeRunningBrowsers(PlatformServices& platform, RunCallback& callback, const std::vector<GatedBrowser>& browsers,
                          GateMode mode) {
    std::vector<const GatedBrowser*> running;
    std::vector<std::string> names;
    for (const GatedBrowser& browser : browsers)
        if (browser.running()) {
            running.push_back(&browser);
            // Two installations of one browser are one name to the user.
            addOnce(names, browser.name);
        }
    if (running.empty()) return;
    const bool close = mode == GateMode::Close ||
                       (mode == GateMode::Ask && callback.ask(Question::CloseBrowsers, names) == Answer::Yes);
    if (!close || !callback.mayGoOn()) {
        for (const GatedBrowser* browser : running) browser->leaveAlone();
        return;
    }
    callback.closingBrowsers();
    std::vector<WindowHandle> asked;
    for (const GatedBrowser* browser : running) askToClose(platform, *browser, asked);
    // Each browser lets its lock file go once it has written its last data; the front end is
    // kept alive meanwhile.
    const std::uint64_t start = platform.tickMilliseconds();
    while (!running.empty() && platform.tickMilliseconds() - start < kBrowserCloseWaitMs && callback.mayGoOn()) {
        platform.sleep(kBrowserClosePollMs);
        callback.pump();
        running.erase(std::remove_if(running.begin(), running.end(),
                                     [](const GatedBrowser* browser) { return !browser->running(); }),
                      running.end());
    }
    for (const GatedBrowser* browser : running) browser->leaveAlone();
}

} // namespace tv::engine::browsers
