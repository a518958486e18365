#include <windows.h>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

class Win32FolderEnumeration : public FolderEnumeration {
public:
    Win32FolderEnumeration(FindHandle handle, const WIN32_FIND_DATAW& first) : handle_(std::move(handle)) {
        take(first);
    }
    const FolderEntry& current() const override { return entry_; }
    bool next() override {
        WIN32_FIND_DATAW data;
        if (!FindNextFileW(handle_.get(), &data)) return false;
        take(data);
        return true;
    }

private:
    void take(const WIN32_FIND_DATAW& data) {
        entry_.name = narrowUntilNul(data.cFileName);
        entry_.attributes = data.dwFileAttributes;
    }

    FindHandle handle_;
    FolderEntry entry_;
};

// The short (8.3) names are never read, and large batches save round trips to the file
// system; a system that knows neither option gets the plain call.
HANDLE findFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        h = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
    return h;
}

// A junction or folder link goes, never what it leads to. Where the system cannot open the
// link itself (it hands back the folder behind it), nothing is removed: removing that handle
// would remove the other folder when it happens to be empty.
bool removeLink(const std::wstring& link) {
    FileHandle handle(CreateFileW(link.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle) return false;
    FILE_ATTRIBUTE_TAG_INFO opened{};
    if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &opened, sizeof opened) ||
        (opened.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return false;
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

} // namespace

std::unique_ptr<FolderEnumeration> Win32Platform::enumerateFolder(const std::string& pattern) {
    WIN32_FIND_DATAW data;
    FindHandle handle(findFirst(systemPath(pattern), data));
    if (!handle) return nullptr;
    return std::make_unique<Win32FolderEnumeration>(std::move(handle), data);
}

bool Win32Platform::deleteFile(const std::string& path) { return DeleteFileW(systemPath(path).c_str()) != 0; }

bool Win32Platform::removeFolder(const std::string& path) {
    const std::wstring folder = systemPath(path);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return RemoveDirectoryW(folder.c_str()) != 0;
    return removeLink(folder);
}

} // namespace tv::win32
