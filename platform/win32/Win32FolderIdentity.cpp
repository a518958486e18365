#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string_view>
#include <vector>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

const KNOWNFOLDERID& knownFolderId(KnownFolder folder) {
    switch (folder) {
    case KnownFolder::Windows: return FOLDERID_Windows;
    case KnownFolder::System: return FOLDERID_System;
    case KnownFolder::Profile: return FOLDERID_Profile;
    case KnownFolder::ProgramFiles: return FOLDERID_ProgramFiles;
    case KnownFolder::ProgramFilesX86: return FOLDERID_ProgramFilesX86;
    case KnownFolder::Desktop: return FOLDERID_Desktop;
    case KnownFolder::Documents: return FOLDERID_Documents;
    }
    return FOLDERID_Windows;
}

// "\\?\C:\a" -> "C:\a", "\\?\UNC\server\share" -> "\\server\share".
std::wstring withoutLongPrefix(std::wstring path) {
    constexpr std::wstring_view unc = L"\\\\?\\UNC\\", local = L"\\\\?\\";
    if (path.compare(0, unc.size(), unc) == 0) return L"\\\\" + path.substr(unc.size());
    if (path.compare(0, local.size(), local) == 0) return path.substr(local.size());
    return path;
}

// The long name of every component, where a system hands back a short (8.3) one.
std::wstring longNames(const std::wstring& path) {
    const std::wstring full = systemPath(narrow(path));
    const DWORD needed = GetLongPathNameW(full.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = GetLongPathNameW(full.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return path;
    return withoutLongPrefix(std::wstring(buffer.data(), length));
}

} // namespace

std::string Win32Platform::knownFolderPath(KnownFolder folder) {
    PWSTR raw = nullptr;
    const HRESULT result = SHGetKnownFolderPath(knownFolderId(folder), KF_FLAG_DONT_VERIFY, nullptr, &raw);
    CoTaskMemPtr<wchar_t> owned(raw); // released on failure too
    if (FAILED(result) || !raw) return {};
    return narrowUntilNul(raw);
}

std::string Win32Platform::finalFolderPath(const std::string& path) {
    if (path.empty()) return {};
    // Opening the folder itself (not a link to it) follows every link and junction on the
    // way; the system then names what was really opened.
    FileHandle folder(CreateFileW(systemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(folder.get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = GetFinalPathNameByHandleW(folder.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < buffer.size()) return narrow(longNames(withoutLongPrefix(std::wstring(buffer.data(), length))));
        buffer.assign(length + 1, L'\0');
    }
    return {};
}

} // namespace tv::win32
