// A file appended to (a journal), opened by its one name relative to its folder's handle:
// a link there is opened as the link and refused, never followed, and a name that the system
// opens through all the same (a host's link under Wine) is found out by where the handle
// landed. A missing file is made with "create new", which no link can redirect.

#include <windows.h>
#include <winternl.h>

#include <climits>
#include <vector>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

using NtCreateFileFunction = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                              PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034L);
constexpr NTSTATUS kStatusObjectNameCollision = static_cast<NTSTATUS>(0xC0000035L);

NtCreateFileFunction ntCreateFile() {
    static const auto function = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll ? reinterpret_cast<NtCreateFileFunction>(
                           reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtCreateFile")))
                     : nullptr;
    }();
    return function;
}

class Win32AppendFile : public AppendFile {
public:
    explicit Win32AppendFile(FileHandle file) : file_(std::move(file)) {}
    bool append(std::string_view bytes) override {
        for (size_t at = 0; at < bytes.size();) {
            DWORD written = 0;
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(1 << 20, bytes.size() - at));
            if (!WriteFile(file_.get(), bytes.data() + at, piece, &written, nullptr) || written == 0) return false;
            at += written;
        }
        return FlushFileBuffers(file_.get()) != FALSE;
    }

private:
    FileHandle file_;
};

// The final path of a handle, without its "\\?\" prefix; empty when the system cannot tell.
std::wstring finalPathOf(HANDLE handle) {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= path.size()) return {};
    return std::wstring(path.data(), length);
}

bool sameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The folder, as the caller named it (a link on the way to it is the caller's choice).
FileHandle openFolder(const std::wstring& folder) {
    std::vector<wchar_t> full(folder.size() + MAX_PATH);
    DWORD length = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) return {};
    const std::wstring absolute = systemPath(narrow(std::wstring_view(full.data(), length)));
    return FileHandle(CreateFileW(absolute.c_str(), FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

} // namespace

AppendOpening Win32Platform::openForAppend(const std::string& path) {
    const std::wstring wide = widen(path);
    const size_t slash = wide.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? wide : wide.substr(slash + 1);
    if (name.empty() || name == L"." || name == L".." || name.find(L':') != std::wstring::npos ||
        name.size() * sizeof(wchar_t) > USHRT_MAX || !ntCreateFile())
        return {nullptr, false, ERROR_INVALID_NAME};
    std::wstring folderPath = slash == std::wstring::npos ? L"." : wide.substr(0, slash);
    if (folderPath.empty() || folderPath.back() == L':') folderPath += L'\\'; // "\j.txt", "C:\j.txt"
    FileHandle folder = openFolder(folderPath);
    if (!folder) return {nullptr, false, GetLastError()};

    UNICODE_STRING objectName{};
    objectName.Buffer = const_cast<PWSTR>(name.data());
    objectName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, folder.get(), nullptr);
    // Appends only, never writes over; others may read the journal, nobody may remove it
    // while it is open.
    auto open = [&](ULONG disposition, NTSTATUS& status) {
        IO_STATUS_BLOCK io{};
        HANDLE opened = nullptr;
        status = ntCreateFile()(&opened, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io,
                                nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ, disposition,
                                FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT,
                                nullptr, 0);
        return FileHandle(status >= 0 && opened ? opened : INVALID_HANDLE_VALUE);
    };
    NTSTATUS status = 0;
    FileHandle file = open(FILE_OPEN, status);
    if (!file && status == kStatusObjectNameNotFound) file = open(FILE_CREATE, status);
    if (!file && status == kStatusObjectNameCollision) {
        // Made meanwhile by another, or a link that leads nowhere: opened as it now is.
        file = open(FILE_OPEN, status);
        if (!file && status == kStatusObjectNameNotFound) return {nullptr, true, 0};
    }
    if (!file) return {nullptr, false, RtlNtStatusToDosError(status)};

    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &info, sizeof info))
        return {nullptr, false, GetLastError()};
    if (info.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return {nullptr, true, 0};
    // Where the handle landed must be the name in its folder: anywhere else, a link led there.
    const std::wstring folderFinal = finalPathOf(folder.get());
    const std::wstring fileFinal = finalPathOf(file.get());
    const size_t fileSlash = fileFinal.find_last_of(L'\\');
    if (folderFinal.empty() || fileSlash == std::wstring::npos) return {nullptr, false, ERROR_PATH_NOT_FOUND};
    std::wstring_view folderPart(fileFinal.data(), fileSlash);
    std::wstring_view folderSeen(folderFinal);
    if (!folderSeen.empty() && folderSeen.back() == L'\\') folderSeen.remove_suffix(1); // a drive's root
    if (!sameText(folderPart, folderSeen) || !sameText(std::wstring_view(fileFinal).substr(fileSlash + 1), name))
        return {nullptr, true, 0};
    return {std::make_unique<Win32AppendFile>(std::move(file)), false, 0};
}

} // namespace tv::win32
