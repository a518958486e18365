// An unattended program's session on the real system, its standard streams, its own path
// and the local time.

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

std::atomic<bool> interruptSeen{false};

// Runs on a thread of the system's: it only raises the flag that the run reads.
BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    interruptSeen = true;
    return TRUE;
}

class Win32UnattendedSession : public UnattendedSession {
public:
    Win32UnattendedSession()
        : previousErrorMode_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX)),
          // The apartment the window's run has: the browser's history store lives in one.
          comReady_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
        interruptSeen = false;
        handlerSet_ = SetConsoleCtrlHandler(onConsoleControl, TRUE) != FALSE;
        // A console that the system made for this program alone (the Task Scheduler's run, a
        // double click) is put away: a run nobody watches shows no window. A console shared
        // with the command prompt or the script that started it stays as it is.
        DWORD processes[2] = {};
        if (GetConsoleProcessList(processes, 2) == 1)
            if (HWND console = GetConsoleWindow()) ShowWindow(console, SW_HIDE);
    }
    ~Win32UnattendedSession() override {
        if (handlerSet_) SetConsoleCtrlHandler(onConsoleControl, FALSE);
        if (comReady_) CoUninitialize();
        SetErrorMode(previousErrorMode_);
    }
    Win32UnattendedSession(const Win32UnattendedSession&) = delete;
    Win32UnattendedSession& operator=(const Win32UnattendedSession&) = delete;

    bool ready() const override { return comReady_; }
    bool interrupted() const override { return interruptSeen; }

private:
    UINT previousErrorMode_;
    bool comReady_;
    bool handlerSet_ = false;
};

// The console takes its characters in pieces of this size at most.
constexpr size_t kConsoleChunk = 8192;

} // namespace

std::unique_ptr<UnattendedSession> Win32Platform::startUnattended() {
    return std::make_unique<Win32UnattendedSession>();
}

bool Win32Platform::writeStandard(StandardStream stream, std::string_view utf8) {
    HANDLE handle = GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        // A console shows characters, whatever its code page: « é » reads right.
        const std::wstring wide = widen(utf8);
        for (size_t at = 0; at < wide.size();) {
            DWORD written = 0;
            const DWORD piece = static_cast<DWORD>(std::min(kConsoleChunk, wide.size() - at));
            if (!WriteConsoleW(handle, wide.data() + at, piece, &written, nullptr) || written == 0) return false;
            at += written;
        }
        return true;
    }
    // A file or a pipe takes the UTF-8 bytes as they are.
    for (size_t at = 0; at < utf8.size();) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(1 << 20, utf8.size() - at));
        if (!WriteFile(handle, utf8.data() + at, piece, &written, nullptr) || written == 0) return false;
        at += written;
    }
    return true;
}

std::string Win32Platform::programFile() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return narrow(std::wstring_view(buffer.data(), length));
        if (buffer.size() > 32768) return {};
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

LocalTime Win32Platform::localTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

} // namespace tv::win32
