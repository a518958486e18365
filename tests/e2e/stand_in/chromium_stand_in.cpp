// Stands in for a running Chromium-family browser: started as
//   <browser>.exe <user-data folder> close|stay
// it holds the folder's lock file open with no sharing, as the browser does, and shows a
// top-level window of the browsers' class. Asked to close, it lets the lock go and ends
// ("close"), or stays as a browser kept by its background apps does ("stay"). It ends on its
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
    const std::wstring lockPath = std::wstring(arguments[1]) + L"\\lockfile";
    staysOpen = std::wstring(arguments[2]) == L"stay";
    LocalFree(arguments);

    HANDLE lock = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock == INVALID_HANDLE_VALUE) return 2;

    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = frameProcedure;
    frameClass.hInstance = instance;
    frameClass.lpszClassName = L"Chrome_WidgetWin_1";
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
