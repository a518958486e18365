#pragma once
// What the browsers' end-to-end tests share: files planted and read back in the prefix,
// stand-ins for running browsers, and the Internet group's run driven as a user drives it.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ProgramDriver.h"
#include "tests/win/BrowserSupport.h"
#include "tests/win/WinTestSupport.h"

namespace tv::e2e::browsers {

namespace wt = tv::wintest;

inline const std::wstring kMainTitle = widen("Tarmel veilo 2   - Surfez sur le web en toute discrétion -");

inline std::string specialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? tv::win32::narrowUntilNul(path) : "";
}
inline std::string localAppData() { return specialFolder(CSIDL_LOCAL_APPDATA); }

inline void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(wt::longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

inline std::string readFile(const std::string& path) {
    HANDLE h = CreateFileW(wt::longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(h, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(h);
    return bytes;
}

inline void makeFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        CreateDirectoryW(wt::longForm(path.substr(0, at)).c_str(), nullptr);
        if (at == std::string::npos) break;
    }
}

// Every file below a folder with its bytes, by relative path; the lock files aside.
inline std::map<std::string, std::string> snapshot(const std::string& folder, const std::string& relative = "") {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(widen(folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        const std::string name = tv::win32::narrowUntilNul(data.cFileName);
        if (name == "." || name == ".." || name == "lockfile" || name == "parent.lock") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files.merge(snapshot(folder + "\\" + name, relative + name + "\\"));
        else
            files[relative + name] = readFile(folder + "\\" + name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

// A running browser: the stand-in, copied to where the browser installs its program, holding
// the lock file of `folder` and drawing a window of the browser's class.
class RunningBrowser {
public:
    RunningBrowser(const wt::ScratchFolder& scratch, const std::string& program, const std::string& folder, bool staysOpen,
                   const std::string& windowClass = "Chrome_WidgetWin_1", const std::string& lockFile = "lockfile")
        : lock_(folder + "\\" + lockFile) {
        const std::string path = scratch / program;
        makeFolders(path.substr(0, path.find_last_of('\\')));
        if (!CopyFileW(tv::e2e::windowsPath(TV_CHROMIUM_STAND_IN).c_str(), widen(path).c_str(), FALSE)) return;
        std::wstring commandLine = L"\"" + widen(path) + L"\" \"" + widen(folder) + L"\" " +
                                   (staysOpen ? L"stay" : L"close") + L" " + widen(windowClass) + L" " + widen(lockFile);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(widen(path).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_.info))
            return;
        waitUntil([&] { return holdsLock(); }, 20000);
    }
    // Held with no sharing: a deletion cannot even open it.
    bool holdsLock() const {
        HANDLE h = CreateFileW(widen(lock_).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
        CloseHandle(h);
        return false;
    }
    bool ended(DWORD timeoutMs) const { return WaitForSingleObject(process_.info.hProcess, timeoutMs) == WAIT_OBJECT_0; }

private:
    std::string lock_;
    wt::StartedProcess process_;
};

// The Internet group's run: its master box, Start, yes to closing the browsers that run (the
// question names them as `running` says, when some run), and no to the start page; what the
// status panel says at the end.
inline std::wstring runInternetTasks(const ProgramDriver& program, HWND main, const std::string& running = "") {
    HWND master = ProgramDriver::childrenWithText(main, L"Nettoyage complet").at(0);
    ProgramDriver::click(master);
    EXPECT_TRUE(waitUntil([&] { return SendMessageW(master, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    ProgramDriver::click(ProgramDriver::childAt(main, 505, 338, 65, 65));
    HWND question = program.waitForBox(L"Confirm", widen("Internet Explorer va être fermé"));
    if (!question) return L"no first question";
    if (!ProgramDriver::answer(question, L"&Yes")) return L"no Yes button";
    if (!running.empty()) {
        HWND browsers = program.waitForBox(L"Confirm", widen(running));
        if (!browsers) return L"no question naming the running browsers";
        if (!ProgramDriver::answer(browsers, L"&Yes")) return L"no Yes button";
    }
    HWND offer = program.waitForBox(L"Confirm", widen("page de démarrage"));
    if (!offer) return L"no start-page offer";
    if (!ProgramDriver::answer(offer, L"&No")) return L"no No button";
    std::wstring end;
    waitUntil([&] {
        for (const auto& text : ProgramDriver::childTexts(main))
            // The closing text is the status panel's only one of several lines once the run
            // has begun (the greeting, before it, has some too).
            if (text.find(L'\r') != std::wstring::npos && text.find(L"Bonjour") != 0) end = text;
        return !end.empty();
    }, 60000);
    return end;
}

} // namespace tv::e2e::browsers
