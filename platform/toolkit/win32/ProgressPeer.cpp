#include "platform/toolkit/win32/ControlPeers.h"

#include <commctrl.h>

#include "platform/toolkit/win32/Win32Backend.h"

namespace tv::toolkit::win32 {

ProgressPeer::ProgressPeer(ProgressBar& bar, Win32Backend& backend) : NativeControl(bar, backend) {
    create(PROGRESS_CLASSW, 0, 0);
    flush();
}

ProgressPeer::~ProgressPeer() { backend().forget(*this); }

void ProgressPeer::flush() {
    const auto& bar = static_cast<const ProgressBar&>(control());
    if (bar.min() != sentMin_ || bar.max() != sentMax_) {
        SendMessageW(hwnd(), PBM_SETRANGE32, static_cast<WPARAM>(bar.min()), static_cast<LPARAM>(bar.max()));
        sentMin_ = bar.min();
        sentMax_ = bar.max();
        sentPosition_ = -1; // a new range may have moved the native position
    }
    if (bar.step() != sentStep_) {
        SendMessageW(hwnd(), PBM_SETSTEP, static_cast<WPARAM>(bar.step()), 0);
        sentStep_ = bar.step();
    }
    if (bar.position() != sentPosition_) {
        SendMessageW(hwnd(), PBM_SETPOS, static_cast<WPARAM>(bar.position()), 0);
        sentPosition_ = bar.position();
    }
}

void ProgressPeer::applyOther(Property property) {
    if (property == Property::Progress) backend().deferUntilPump(*this);
}

} // namespace tv::toolkit::win32
