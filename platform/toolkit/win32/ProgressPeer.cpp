#include "platform/toolkit/win32/ControlPeers.h"

#include <commctrl.h>

namespace tv::toolkit::win32 {

ProgressPeer::ProgressPeer(ProgressBar& bar, Win32Backend& backend) : NativeControl(bar, backend) {
    create(PROGRESS_CLASSW, 0, 0);
    applyProgress();
}

void ProgressPeer::applyProgress() {
    const auto& bar = static_cast<const ProgressBar&>(control());
    SendMessageW(hwnd(), PBM_SETRANGE32, static_cast<WPARAM>(bar.min()), static_cast<LPARAM>(bar.max()));
    SendMessageW(hwnd(), PBM_SETSTEP, static_cast<WPARAM>(bar.step()), 0);
    SendMessageW(hwnd(), PBM_SETPOS, static_cast<WPARAM>(bar.position()), 0);
}

void ProgressPeer::applyOther(Property property) {
    if (property == Property::Progress) applyProgress();
}

} // namespace tv::toolkit::win32
