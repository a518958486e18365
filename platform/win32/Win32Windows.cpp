#include <windows.h>

#include <vector>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
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

std::vector<WindowHandle> Win32Platform::topLevelWindows(const std::string& className) {
    struct Search {
        std::wstring className;
        std::vector<WindowHandle> found;
    } search{widen(className), {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            wchar_t name[256] = {};
            const int length = GetClassNameW(window, name, 256);
            if (length > 0 && search.className == std::wstring_view(name, static_cast<size_t>(length)))
                search.found.push_back(reinterpret_cast<WindowHandle>(window));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Win32Platform::windowProgramPath(WindowHandle window) {
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &processId) || processId == 0) return {};
    ProcessHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    std::vector<wchar_t> path(32768);
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) return {};
    return narrow(std::wstring_view(path.data(), length));
}

void Win32Platform::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

std::uint64_t Win32Platform::tickMilliseconds() { return GetTickCount64(); }

} // namespace tv::win32
