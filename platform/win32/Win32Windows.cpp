#include <windows.h>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

WindowHandle Win32Platform::findWindow(const std::string& className) {
    return reinterpret_cast<WindowHandle>(FindWindowW(widen(className).c_str(), nullptr));
}

WindowHandle Win32Platform::parentWindow(WindowHandle window) {
    return reinterpret_cast<WindowHandle>(GetParent(reinterpret_cast<HWND>(window)));
}

bool Win32Platform::postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    return PostMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

void Win32Platform::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

std::uint64_t Win32Platform::tickMilliseconds() { return GetTickCount64(); }

} // namespace tv::win32
