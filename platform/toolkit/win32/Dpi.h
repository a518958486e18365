#pragma once
// The system's DPI services. The per-monitor calls came with Windows 10 and the program
// also starts on Windows 7 and 8, so they are looked up at run time, with the older
// equivalents where the system lacks them.

#include <windows.h>

namespace tv::toolkit::win32 {

// Per-monitor aware where the system can do it, else aware of the system's DPI.
void becomeDpiAware();
// The DPI the window is drawn at; 0 when it cannot be told.
UINT windowDpi(HWND window);
// Grows a client rectangle to the window's outer rectangle at that DPI.
void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// The older equivalents, for systems without the per-monitor calls.
UINT legacyWindowDpi(HWND window);
void legacyAdjustWindowRect(RECT& rect, DWORD style, DWORD exStyle);

} // namespace tv::toolkit::win32
