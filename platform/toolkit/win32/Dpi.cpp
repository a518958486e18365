#include "platform/toolkit/win32/Dpi.h"

#include <memory>
#include <string>

namespace tv::toolkit::win32 {

namespace {

template <class Function>
Function lookUp(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // Through the generic function type: the usual way to convert what GetProcAddress gives.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

struct LibraryRelease {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryRelease>;

// From the system folder only, never from beside the program.
Library systemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return Library(LoadLibraryW(path.c_str()));
}

struct User32Calls {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    using ForWindow = UINT(WINAPI*)(HWND);
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    using SetAware = BOOL(WINAPI*)();

    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    SetContext setContext = lookUp<SetContext>(user32, "SetProcessDpiAwarenessContext");
    ForWindow forWindow = lookUp<ForWindow>(user32, "GetDpiForWindow");
    AdjustForDpi adjustForDpi = lookUp<AdjustForDpi>(user32, "AdjustWindowRectExForDpi");
    SetAware setAware = lookUp<SetAware>(user32, "SetProcessDPIAware");
};

const User32Calls& user32() {
    static const User32Calls calls;
    return calls;
}

constexpr int kPerMonitorAware = 2; // PROCESS_PER_MONITOR_DPI_AWARE of shcore

} // namespace

void becomeDpiAware() {
    // Where a call exists, its refusal means the manifest has decided already: no fallback.
    const User32Calls& calls = user32();
    if (calls.setContext) { // Windows 10
        calls.setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        return;
    }
    if (Library shcore = systemLibrary(L"shcore.dll")) { // Windows 8.1
        using SetAwareness = HRESULT(WINAPI*)(int);
        if (auto set = lookUp<SetAwareness>(shcore.get(), "SetProcessDpiAwareness")) {
            set(kPerMonitorAware);
            return;
        }
    }
    if (calls.setAware) calls.setAware(); // Windows 7 and 8
}

UINT windowDpi(HWND window) {
    if (!window) return 0;
    if (user32().forWindow) return user32().forWindow(window);
    return legacyWindowDpi(window);
}

void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    if (user32().adjustForDpi && user32().adjustForDpi(&rect, style, FALSE, exStyle, dpi)) return;
    legacyAdjustWindowRect(rect, style, exStyle);
}

UINT legacyWindowDpi(HWND window) {
    HDC dc = GetDC(window);
    if (!dc) return 0;
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(window, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 0;
}

void legacyAdjustWindowRect(RECT& rect, DWORD style, DWORD exStyle) {
    // Without per-monitor calls the process is aware of the system's DPI only, which is what
    // the frame metrics of this call are measured in.
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

} // namespace tv::toolkit::win32
