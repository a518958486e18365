#pragma once
// The host behind Wine, for the tests and the benchmarks: the host's name of a path, and the
// host's own programs started from the Windows side.

#include <windows.h>

#include <string>

#include "platform/win32/Utf8.h"

namespace tv::wintest::detail {

inline std::string unixName(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (!proc) return {};
    auto toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(proc));
    // The last component need not exist yet.
    const size_t slash = path.find_last_of('\\');
    char* folder = toUnix(win32::widen(path.substr(0, slash)).c_str());
    if (!folder) return {};
    std::string result = std::string(folder) + "/" + path.substr(slash + 1);
    HeapFree(GetProcessHeap(), 0, folder);
    return result;
}

// Wine starts the host's own programs like any other, but its handle on them does not
// wait for their end: the caller waits for their effect instead, ten seconds unless told.
template <typename Done>
bool runHost(std::wstring command, Done done, int waitMilliseconds = 10000) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < waitMilliseconds; waited += 10) {
        if (done()) return true;
        Sleep(10);
    }
    return false;
}

inline std::wstring quoted(const std::string& text) { return L"\"" + win32::widen(text) + L"\""; }

} // namespace tv::wintest::detail
