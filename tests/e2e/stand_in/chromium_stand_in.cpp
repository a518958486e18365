// Stands in for a running browser: started as
//   <browser>.exe <folder> close|stay [<window class> [<lock file>]]
// it holds the folder's lock file ("lockfile" in a Chromium-family user-data folder,
// "parent.lock" in a Firefox profile) open with no sharing, as the browser does, and shows a
// top-level window of the browser's class ("Chrome_WidgetWin_1" unless named). Asked to
// close, it lets the lock go and ends ("close"), or stays as a browser kept by its background
// apps does ("stay"). The lock file stays on disk, as Firefox leaves its own. It ends on its
// own after two minutes, so that no test leaves it behind.

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

bool staysOpen = false;

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        if (!staysOpen) DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 3) return 1;
    const std::wstring lockPath = std::wstring(arguments[1]) + L"\\" + (count > 4 ? arguments[4] : L"lockfile");
    const std::wstring windowClass = count > 3 ? arguments[3] : L"Chrome_WidgetWin_1";
    staysOpen = std::wstring(arguments[2]) == L"stay";
    LocalFree(arguments);

    HANDLE lock = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock == INVALID_HANDLE_VALUE) return 2;

    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = frameProcedure;
    frameClass.hInstance = instance;
    frameClass.lpszClassName = windowClass.c_str();
    RegisterClassW(&frameClass);
    HWND frame = CreateWindowExW(0, frameClass.lpszClassName, L"Stand-in browser", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                 100, nullptr, nullptr, instance, nullptr);
    if (!frame) return 3;
    SetTimer(frame, 1, 120000, [](HWND window, UINT, UINT_PTR, DWORD) {
        staysOpen = false;
        DestroyWindow(window);
    });

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    // The lock goes once the browser has written its last data.
    CloseHandle(lock);
    return 0;
}
