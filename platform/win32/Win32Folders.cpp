#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

std::string Win32Platform::specialFolderPath(int csidl) {
    ITEMIDLIST* list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, csidl, &list) != S_OK) return {};
    CoTaskMemPtr<ITEMIDLIST> owned(list);
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListW(owned.get(), path)) return {};
    return narrowUntilNul(path);
}

std::string Win32Platform::tempFolderPath() {
    // The usual buffer first; a longer temporary path is asked for again at its size.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return {};
        if (length < buffer.size()) return narrow(std::wstring_view(buffer.data(), length));
        buffer.assign(length + 1, L'\0');
    }
    return {};
}

std::string Win32Platform::programFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) break;
        if (buffer.size() > 32768) return {};
        buffer.assign(buffer.size() * 2, L'\0');
    }
    std::wstring_view file(buffer.data(), length);
    const size_t slash = file.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) return {};
    return narrow(file.substr(0, slash)) + "\\";
}

} // namespace tv::win32
