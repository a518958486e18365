#include "engine/BrowserCleaners.h"

namespace tv::engine {

namespace {

// A frame's close request goes to the top of its parent chain: closing that window takes
// the frame with it.
WindowHandle topOfParentChain(PlatformServices& platform, WindowHandle window) {
    for (WindowHandle parent = platform.parentWindow(window); parent != 0; parent = platform.parentWindow(window))
        window = parent;
    return window;
}

} // namespace

bool CloseBrowserWindows(PlatformServices& platform, const RunDisplay& display) {
    display.app.setScreenCursor(toolkit::Cursor::Hourglass);
    display.caption.show();
    display.status.setCaption(kClosingBrowserText);

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

} // namespace tv::engine
