#include "engine/browsers/InternetExplorerWindows.h"

#include "engine/browsers/InternetExplorerFamily.h"

namespace tv::engine::browsers {

namespace {

// A frame's close request goes to the top of its parent chain: closing that window takes
// the frame with it.
WindowHandle topOfParentChain(PlatformServices& platform, WindowHandle window) {
    for (WindowHandle parent = platform.parentWindow(window); parent != 0; parent = platform.parentWindow(window))
        window = parent;
    return window;
}

} // namespace

bool CloseBrowserWindows(PlatformServices& platform, RunCallback& callback) {
    callback.closingInternetExplorer();
    int attempts = 0;
    while (platform.findWindow(kBrowserFrameClass) != 0) {
        if (++attempts > kCloseAttemptLimit) return false;
        platform.sleep(kCloseAttemptPauseMs);
        // The frame may have gone during the pause; then nothing is sent.
        const WindowHandle frame = platform.findWindow(kBrowserFrameClass);
        if (frame == 0) continue;
        platform.postMessage(topOfParentChain(platform, frame), kWmSysCommand, kScClose, 0);
    }
    return true;
}

} // namespace tv::engine::browsers
