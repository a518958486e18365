#pragma once
// What screen readers learn of the controls that draw themselves. The system's own proxy
// calls every such window a plain "client" area: a clickable picture, panel or label is told
// as a push button (a link for a label) with its name, focus and default action, a label as
// read-only text, and a picture that only decorates as invisible.

#include <windows.h>

namespace tv::toolkit::win32 {

class NativeControl;

// The answer to WM_GETOBJECT for the control's client area; 0 when the system's proxy
// describes it well enough (plain panels and the native controls).
LRESULT accessibleObjectFor(NativeControl& peer, WPARAM wParam);

} // namespace tv::toolkit::win32
