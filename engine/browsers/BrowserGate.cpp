#include "engine/browsers/BrowserGate.h"

#include <algorithm>

#include "engine/BrowserCleaners.h"
#include "engine/CleaningRun.h"

namespace tv::engine::browsers {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view end) {
    if (text.size() < end.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

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

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " et " : ", ") + names[i];
    return text;
}

} // namespace

std::string closeBrowsersQuestion(const std::vector<std::string>& names) {
    const std::string nbsp = "\u00A0";
    if (names.size() == 1)
        return names.front() + " est ouvert et va être fermé pour être nettoyé.\rVoulez-vous continuer" + nbsp + "?";
    return "Ces navigateurs sont ouverts et vont être fermés pour être nettoyés" + nbsp + ": " + listed(names) +
           ".\rVoulez-vous continuer" + nbsp + "?";
}

void closeRunningBrowsers(PlatformServices& platform, const RunDisplay& display, const std::vector<GatedBrowser>& browsers) {
    std::vector<const GatedBrowser*> running;
    std::vector<std::string> names;
    for (const GatedBrowser& browser : browsers)
        if (browser.running()) {
            running.push_back(&browser);
            // Two installations of one browser are one name to the user.
            if (std::find(names.begin(), names.end(), browser.name) == names.end()) names.push_back(browser.name);
        }
    if (running.empty()) return;
    auto& app = display.app;
    const auto answer = app.messageBox(closeBrowsersQuestion(names), kConfirmCaption, toolkit::MessageButtons::YesNo,
                                       toolkit::MessageIcon::Question);
    if (answer != toolkit::MessageResult::Yes || app.terminated()) {
        for (const GatedBrowser* browser : running) browser->leaveAlone();
        return;
    }
    display.status.setCaption(kClosingBrowserText);
    std::vector<WindowHandle> asked;
    for (const GatedBrowser* browser : running) askToClose(platform, *browser, asked);
    // Each browser lets its lock file go once it has written its last data; the window is
    // kept alive meanwhile.
    const std::uint64_t start = platform.tickMilliseconds();
    while (!running.empty() && platform.tickMilliseconds() - start < kBrowserCloseWaitMs && !app.terminated()) {
        platform.sleep(kBrowserClosePollMs);
        app.processMessages();
        running.erase(std::remove_if(running.begin(), running.end(),
                                     [](const GatedBrowser* browser) { return !browser->running(); }),
                      running.end());
    }
    for (const GatedBrowser* browser : running) browser->leaveAlone();
}

} // namespace tv::engine::browsers
