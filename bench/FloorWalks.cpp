#include "FloorWalks.h"

#include <winternl.h>

#include <cstddef>
#include <vector>

#include "platform/win32/Win32Handles.h"

namespace tv::bench {

namespace {

using win32::FileHandle;

// Holds a folder of a few thousand entries in one listing call.
constexpr DWORD kListingBytes = 256 * 1024;

// One listing buffer per level, so that a walk can descend while it reads a listing.
class ListingBuffers {
public:
    std::byte* at(std::size_t depth) {
        while (buffers_.size() <= depth) buffers_.emplace_back(kListingBytes);
        return buffers_[depth].data();
    }

private:
    std::vector<std::vector<std::byte>> buffers_;
};

bool isDotName(const wchar_t* name, std::size_t length) {
    return (length == 1 && name[0] == L'.') || (length == 2 && name[0] == L'.' && name[1] == L'.');
}

// Calls `visit(attributes, name, length)` for every entry of a filled listing buffer.
template <typename Info, typename Visit>
void forEachEntry(const std::byte* buffer, Visit&& visit) {
    for (const std::byte* at = buffer;;) {
        const auto* info = reinterpret_cast<const Info*>(at);
        const std::size_t length = info->FileNameLength / sizeof(wchar_t);
        if (!isDotName(info->FileName, length)) visit(info->FileAttributes, info->FileName, length);
        if (info->NextEntryOffset == 0) break;
        at += info->NextEntryOffset;
    }
}

// Known to Windows 10 1607 and later; the headers name it only for newer targets.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);

bool isFolder(ULONG attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool isLink(ULONG attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

FileHandle openFolder(const std::wstring& path, DWORD access) {
    return FileHandle(CreateFileW(path.c_str(), access | FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Lists an open folder through GetFileInformationByHandleEx, a buffer at a time.
template <typename Visit>
void listHandle(HANDLE folder, Listing listing, std::byte* buffer, Visit&& visit) {
    const FILE_INFO_BY_HANDLE_CLASS kind = listing == Listing::IdBoth ? FileIdBothDirectoryInfo : FileFullDirectoryInfo;
    while (GetFileInformationByHandleEx(folder, kind, buffer, kListingBytes)) {
        if (listing == Listing::IdBoth)
            forEachEntry<FILE_ID_BOTH_DIR_INFO>(buffer, visit);
        else
            forEachEntry<FILE_FULL_DIR_INFO>(buffer, visit);
    }
}

int handleCount(const std::wstring& path, Listing listing, ListingBuffers& buffers, std::size_t depth) {
    FileHandle folder = openFolder(path, 0);
    if (!folder) return 0;
    int total = 0;
    listHandle(folder.get(), listing, buffers.at(depth), [&](ULONG attributes, const wchar_t* name, std::size_t length) {
        if (!isFolder(attributes))
            ++total;
        else if (!isLink(attributes))
            total += handleCount(path + L'\\' + std::wstring(name, length), listing, buffers, depth + 1);
    });
    return total;
}

bool deleteThrough(HANDLE handle, Deletion deletion) {
    if (deletion == Deletion::PosixDisposition) {
        FILE_DISPOSITION_INFO_EX disposition{FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS};
        return SetFileInformationByHandle(handle, kFileDispositionInfoEx, &disposition, sizeof disposition) != 0;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

bool deleteFile(const std::wstring& path, Deletion deletion) {
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (deletion == Deletion::DeleteOnClose ? FILE_FLAG_DELETE_ON_CLOSE : 0);
    FileHandle file(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, flags, nullptr));
    if (!file) return true; // gone or refused: the walk goes on, as a purge does
    return deletion == Deletion::DeleteOnClose || deleteThrough(file.get(), deletion);
}

bool handlePurge(const std::wstring& path, Deletion deletion, ListingBuffers& buffers, std::size_t depth, bool top) {
    FileHandle folder = openFolder(path, top ? 0 : DELETE);
    if (!folder) return true;
    bool understood = true;
    listHandle(folder.get(), Listing::Full, buffers.at(depth), [&](ULONG attributes, const wchar_t* name, std::size_t length) {
        if (!understood) return;
        const std::wstring child = path + L'\\' + std::wstring(name, length);
        if (isFolder(attributes) && !isLink(attributes))
            understood = handlePurge(child, deletion, buffers, depth + 1, false);
        else
            understood = deleteFile(child, deletion);
    });
    // The folder goes through the handle it was listed through, now that it is empty.
    if (!top && understood) deleteThrough(folder.get(), deletion == Deletion::DeleteOnClose ? Deletion::Disposition : deletion);
    return understood;
}

// --- the native layer ----------------------------------------------------------------------

using NtOpenFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG, ULONG);
using NtQueryDirectoryFileCall = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID,
                                                  ULONG, FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using NtSetInformationFileCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
using NtCloseCall = NTSTATUS(NTAPI*)(HANDLE);

struct Native {
    NtOpenFileCall open = nullptr;
    NtQueryDirectoryFileCall list = nullptr;
    NtSetInformationFileCall setInformation = nullptr;
    NtCloseCall close = nullptr;
    bool available() const { return open && list && setInformation && close; }
};

template <typename Call>
Call lookUp(HMODULE module, const char* name) {
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Native& native() {
    static const Native calls = [] {
        Native n;
        if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
            n.open = lookUp<NtOpenFileCall>(ntdll, "NtOpenFile");
            n.list = lookUp<NtQueryDirectoryFileCall>(ntdll, "NtQueryDirectoryFile");
            n.setInformation = lookUp<NtSetInformationFileCall>(ntdll, "NtSetInformationFile");
            n.close = lookUp<NtCloseCall>(ntdll, "NtClose");
        }
        return n;
    }();
    return calls;
}

struct NativeTraits {
    static HANDLE none() { return nullptr; }
    static void close(HANDLE h) { native().close(h); }
};
using NativeHandle = win32::UniqueHandle<HANDLE, NativeTraits>;

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ULONG kFolderOptions =
    FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT;

// Opens `name` relative to `parent`, or as a full native path when there is no parent.
NativeHandle nativeOpen(HANDLE parent, const wchar_t* name, std::size_t length, ACCESS_MASK access, ULONG options) {
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name);
    text.Length = static_cast<USHORT>(length * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    if (native().open(&handle, access, &attributes, &io, kShareAll, options) < 0) return NativeHandle();
    return NativeHandle(handle);
}

template <typename Visit>
void listNative(HANDLE folder, std::byte* buffer, Visit&& visit) {
    IO_STATUS_BLOCK io{};
    while (native().list(folder, nullptr, nullptr, nullptr, &io, buffer, kListingBytes, FileDirectoryInformation, FALSE,
                         nullptr, FALSE) >= 0)
        forEachEntry<FILE_DIRECTORY_INFORMATION>(buffer, visit);
}

// "\\?\C:\..." as the native layer spells it: "\??\C:\...".
std::wstring nativePath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + path.substr(4);
    return L"\\??\\" + path;
}

int nativeCount(HANDLE folder, ListingBuffers& buffers, std::size_t depth) {
    int total = 0;
    listNative(folder, buffers.at(depth), [&](ULONG attributes, const wchar_t* name, std::size_t length) {
        if (!isFolder(attributes)) {
            ++total;
        } else if (!isLink(attributes)) {
            NativeHandle child = nativeOpen(folder, name, length, FILE_LIST_DIRECTORY | SYNCHRONIZE, kFolderOptions);
            if (child) total += nativeCount(child.get(), buffers, depth + 1);
        }
    });
    return total;
}

void nativePurge(HANDLE folder, ListingBuffers& buffers, std::size_t depth) {
    listNative(folder, buffers.at(depth), [&](ULONG attributes, const wchar_t* name, std::size_t length) {
        if (isFolder(attributes) && !isLink(attributes)) {
            NativeHandle child =
                nativeOpen(folder, name, length, DELETE | FILE_LIST_DIRECTORY | SYNCHRONIZE, kFolderOptions);
            if (!child) return;
            nativePurge(child.get(), buffers, depth + 1);
            FILE_DISPOSITION_INFO disposition{TRUE};
            IO_STATUS_BLOCK io{};
            native().setInformation(child.get(), &io, &disposition, sizeof disposition, FileDispositionInformation);
        } else {
            // Gone when the handle closes, at the end of this statement.
            nativeOpen(folder, name, length, DELETE,
                       FILE_NON_DIRECTORY_FILE | FILE_DELETE_ON_CLOSE | FILE_OPEN_REPARSE_POINT);
        }
    });
}

} // namespace

int handleCountFiles(const std::wstring& folder, Listing listing) {
    ListingBuffers buffers;
    return handleCount(folder, listing, buffers, 0);
}

bool handlePurgeFolder(const std::wstring& folder, Deletion deletion) {
    ListingBuffers buffers;
    return handlePurge(folder, deletion, buffers, 0, true);
}

bool posixDispositionWorks(const std::wstring& folder) {
    const std::wstring path = folder + L"\\posix-probe.tmp";
    FileHandle file(CreateFileW(path.c_str(), DELETE | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const bool works = deleteThrough(file.get(), Deletion::PosixDisposition);
    if (!works) deleteThrough(file.get(), Deletion::Disposition);
    return works;
}

bool nativeWalksAvailable() { return native().available(); }

void probeCalls(const std::wstring& folder, int files,
                const std::function<void(const char* name, const std::function<void()>& calls)>& slice) {
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return;
    std::vector<std::wstring> names, paths;
    for (int i = 0; i < files; ++i) {
        names.push_back(L"probe" + std::to_wstring(i) + L".tmp");
        paths.push_back(folder + L'\\' + names.back());
        FileHandle(CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    }
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    slice("call_open_by_path", [&] {
        for (const auto& path : paths)
            FileHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    });
    FileHandle parent = openFolder(folder, 0);
    if (native().available())
        slice("call_open_relative", [&] {
            for (const auto& name : names)
                nativeOpen(parent.get(), name.c_str(), name.size(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT);
        });
    std::vector<FileHandle> held;
    for (const auto& path : paths)
        held.emplace_back(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    slice("call_attribute_tag", [&] {
        for (const auto& h : held) {
            FILE_ATTRIBUTE_TAG_INFO tag{};
            GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag);
        }
    });
    slice("call_final_path", [&] {
        for (const auto& h : held) {
            wchar_t path[MAX_PATH * 2];
            GetFinalPathNameByHandleW(h.get(), path, MAX_PATH * 2, FILE_NAME_NORMALIZED);
        }
    });
    slice("call_disposition", [&] {
        for (const auto& h : held) deleteThrough(h.get(), Deletion::Disposition);
    });
    held.clear();
    parent.reset();
    for (const auto& path : paths) DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}

int nativeCountFiles(const std::wstring& folder) {
    const std::wstring top = nativePath(folder);
    NativeHandle handle = nativeOpen(nullptr, top.c_str(), top.size(), FILE_LIST_DIRECTORY | SYNCHRONIZE, kFolderOptions);
    if (!handle) return 0;
    ListingBuffers buffers;
    return nativeCount(handle.get(), buffers, 0);
}

void nativePurgeFolder(const std::wstring& folder) {
    const std::wstring top = nativePath(folder);
    NativeHandle handle = nativeOpen(nullptr, top.c_str(), top.size(), FILE_LIST_DIRECTORY | SYNCHRONIZE, kFolderOptions);
    if (!handle) return;
    ListingBuffers buffers;
    nativePurge(handle.get(), buffers, 0);
}

} // namespace tv::bench
