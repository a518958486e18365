#pragma once
// What the Windows tests share: a scratch folder under the temporary folder, files and
// folders planted in it by wide-character calls (independent of the code under test), and
// folder links.

#include <windows.h>
#include <winioctl.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostTools.h"
#include "platform/win32/Utf8.h"

namespace tv::wintest {

inline bool underWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::wstring longForm(const std::string& path) { return win32::systemPath(path); }

inline DWORD attributesOf(const std::string& path) { return GetFileAttributesW(longForm(path).c_str()); }
inline bool exists(const std::string& path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }

inline void makeFolder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryW(longForm(path).c_str(), nullptr)) << path << " error " << GetLastError();
}

inline void makeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path << " error " << GetLastError();
    DWORD written = 0;
    WriteFile(h, "x", 1, &written, nullptr);
    CloseHandle(h);
    if (attributes != FILE_ATTRIBUTE_NORMAL) {
        ASSERT_TRUE(SetFileAttributesW(longForm(path).c_str(), attributes)) << path;
    }
}

enum class LinkKind { None, Junction, HostSymlink };

namespace detail {

// A mount-point reparse point on an empty folder: what a junction is.
inline bool makeJunction(const std::string& link, const std::string& target) {
    if (!CreateDirectoryW(longForm(link).c_str(), nullptr)) return false;
    HANDLE h = CreateFileW(longForm(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        RemoveDirectoryW(longForm(link).c_str());
        return false;
    }
    const std::wstring substitute = L"\\??\\" + win32::widen(target);
    const WORD substituteBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    // Tag, data length, reserved; then the mount-point header and both names with their NULs.
    std::vector<BYTE> buffer(8 + 8 + substituteBytes + 2 + 2, 0);
    auto put16 = [&](size_t at, WORD v) { memcpy(&buffer[at], &v, 2); };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    memcpy(&buffer[0], &tag, 4);
    put16(4, static_cast<WORD>(buffer.size() - 8));
    put16(8, 0);
    put16(10, substituteBytes);
    put16(12, static_cast<WORD>(substituteBytes + 2));
    put16(14, 0);
    memcpy(&buffer[16], substitute.c_str(), substituteBytes);
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    nullptr, 0, &returned, nullptr);
    CloseHandle(h);
    if (!ok) RemoveDirectoryW(longForm(link).c_str());
    return ok != FALSE;
}

// Wine cannot make reparse points; a symbolic link of the host's file system is what it
// shows as one.
inline bool makeHostSymlink(const std::string& link, const std::string& target) {
    const std::string from = unixName(link), to = unixName(target);
    return !from.empty() && !to.empty() &&
           runHost(L"Z:\\bin\\ln -s " + quoted(to) + L" " + quoted(from),
                   [&] { return GetFileAttributesW(longForm(link).c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// Wine removes a host link only through the host: its own removal reaches the folder behind.
inline void removeHostSymlink(const std::string& link) {
    const std::string name = unixName(link);
    if (!name.empty())
        runHost(L"Z:\\bin\\rm -f " + quoted(name),
                [&] { return GetFileAttributesW(longForm(link).c_str()) == INVALID_FILE_ATTRIBUTES; });
}

} // namespace detail

// Removes a tree whatever its attributes, without following links into other folders.
inline void removeTree(const std::string& folder) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((longForm(folder) + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = win32::narrowUntilNul(data.cFileName);
            if (name == "." || name == "..") continue;
            const std::string child = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                if (underWine())
                    detail::removeHostSymlink(child);
                else
                    RemoveDirectoryW(longForm(child).c_str());
                continue;
            }
            SetFileAttributesW(longForm(child).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(longForm(child).c_str());
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    RemoveDirectoryW(longForm(folder).c_str());
}

// A fresh, empty folder under the temporary folder for one test; gone afterwards.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        path_ = win32::narrowUntilNul(temp) + "TarmelVeiloTests-" + name + "-" + std::to_string(GetCurrentProcessId());
        removeTree(path_);
        CreateDirectoryW(longForm(path_).c_str(), nullptr);
    }
    ~ScratchFolder() {
        removeTree(path_);
        // Wine hides a host link whose folder has gone, so only the host can finish the job.
        if (exists(path_) && underWine()) {
            const std::string name = detail::unixName(path_);
            if (!name.empty()) detail::runHost(L"Z:\\bin\\rm -rf " + detail::quoted(name), [&] { return !exists(path_); });
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& child) const { return path_ + "\\" + child; }

private:
    std::string path_;
};

// A link at `link` to the folder `target`: a junction where the system makes them, a host
// symbolic link under Wine. The link is checked to show as a reparse-point folder.
inline LinkKind makeFolderLink(const std::string& link, const std::string& target) {
    LinkKind kind = LinkKind::None;
    if (detail::makeJunction(link, target))
        kind = LinkKind::Junction;
    else if (underWine() && detail::makeHostSymlink(link, target))
        kind = LinkKind::HostSymlink;
    const DWORD attributes = attributesOf(link);
    const DWORD wanted = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & wanted) != wanted) return LinkKind::None;
    return kind;
}

// Whether the URL cache holds an entry for that address.
inline bool cacheHolds(const std::wstring& url) {
    DWORD size = 0;
    if (GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size)) return true;
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

// Puts a real entry with a small file into the URL cache, as a browser would.
inline void commitCacheEntry(const std::wstring& url) {
    wchar_t file[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryW(url.c_str(), 0, L"txt", file, 0)) << GetLastError();
    HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "cached", 6, &written, nullptr);
    CloseHandle(h);
    const FILETIME none{};
    ASSERT_TRUE(CommitUrlCacheEntryW(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                                     nullptr))
        << GetLastError();
    ASSERT_TRUE(cacheHolds(url));
}

} // namespace tv::wintest
