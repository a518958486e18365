#pragma once
// What the Windows tests and the end-to-end tests share about outside programs: a real
// browser with its frame window, and the recycle bin.

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cwchar>
#include <string>

namespace tv::wintest {

inline long long recycleBinItems() {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    if (FAILED(SHQueryRecycleBinW(nullptr, &info))) return -1;
    return info.i64NumItems;
}

// Under Wine the recycle bin is the Unix user's own trash; emptying it is only safe when the
// test run has been given a trash of its own.
inline bool recycleBinIsScratch() {
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return !wine || GetEnvironmentVariableW(L"XDG_DATA_HOME", nullptr, 0) != 0;
}

// The environment of this process with the browser's own rendering library allowed back:
// the test environment switches it off, and the browser will not start without it.
inline std::wstring browserEnvironment() {
    std::wstring block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) {
        if (_wcsnicmp(p, L"WINEDLLOVERRIDES=", 17) == 0) continue;
        block += p;
        block += L'\0';
    }
    FreeEnvironmentStringsW(strings);
    block += L"WINEDLLOVERRIDES=mscoree=";
    block += L'\0';
    return block;
}

// Ends the browser it started if the test leaves it behind.
class StartedProcess {
public:
    ~StartedProcess() {
        if (info.hProcess) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(info.hProcess, 1);
                WaitForSingleObject(info.hProcess, 10000);
            }
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    PROCESS_INFORMATION info{};
};

inline HWND waitForWindow(const wchar_t* className, DWORD processId, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (HWND w = FindWindowW(className, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == processId) return w;
        }
        Sleep(100);
    }
    return nullptr;
}

// Starts the system's browser without a page; false when it could not be started.
inline bool startBrowser(StartedProcess& browser) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system) + L"\\iexplore.exe";
    std::wstring commandLine = L"iexplore.exe -nohome"; // no page: nothing to render, nothing to download
    std::wstring environment = browserEnvironment();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          environment.data(), nullptr, &startup, &browser.info) != FALSE;
}

} // namespace tv::wintest
