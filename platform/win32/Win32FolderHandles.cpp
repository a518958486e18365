// The folder walks' handles on the real system: each entry opened by its one name relative
// to the folder it was listed in, links never followed by the open, the listing read from
// the folder's handle in large batches, and deletion through the handle that was checked.

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <vector>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"
#include "platform/sqlite/DatabaseCopy.h"
#include "platform/sqlite/SqliteDatabase.h"

namespace tv::win32 {

namespace {

using NtCreateFileFunction = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                              PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryInformationFileFunction = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using NtQueryObjectFunction = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using NtQueryDirectoryFileFunction = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                      ULONG, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using NtSetInformationFileFunction = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);

constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022L);
constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034L);
constexpr NTSTATUS kStatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003AL);
constexpr NTSTATUS kStatusDeletePending = static_cast<NTSTATUS>(0xC0000056L);
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006L);
constexpr NTSTATUS kStatusNoSuchFile = static_cast<NTSTATUS>(0xC000000FL);
constexpr NTSTATUS kStatusSharingViolation = static_cast<NTSTATUS>(0xC0000043L);
constexpr ULONG_PTR kFileCreated = 2; // what a create that made the file says
constexpr NTSTATUS kStatusNotImplemented = static_cast<NTSTATUS>(0xC0000002L);
constexpr NTSTATUS kStatusInvalidInfoClass = static_cast<NTSTATUS>(0xC0000003L);
constexpr NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000DL);
constexpr NTSTATUS kStatusNotSupported = static_cast<NTSTATUS>(0xC00000BBL);
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileRenameInformationEx = 65;
constexpr ULONG kRenameReplaceIfExists = 0x1;
constexpr ULONG kRenamePosixSemantics = 0x2;
constexpr ULONG kFileIdBothDirectoryInformation = 37;
constexpr ULONG kFileInternalInformation = 6;
constexpr ULONG kObjectNameInformation = 1;
// Not in every SDK's list of classes.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
static_assert(sizeof(FILE_ID_BOTH_DIR_INFO) == 112, "the native listing's record layout");

// The native calls that open relative to a handle; looked up once, at run time.
struct NativeCalls {
    NtCreateFileFunction createFile = nullptr;
    NtQueryInformationFileFunction queryInformationFile = nullptr;
    NtQueryObjectFunction queryObject = nullptr;
    NtQueryDirectoryFileFunction queryDirectoryFile = nullptr;
    NtSetInformationFileFunction setInformationFile = nullptr;
    NativeCalls() {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        if (!ntdll) return;
        createFile = reinterpret_cast<NtCreateFileFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtCreateFile")));
        queryInformationFile = reinterpret_cast<NtQueryInformationFileFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryInformationFile")));
        queryObject = reinterpret_cast<NtQueryObjectFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryObject")));
        queryDirectoryFile = reinterpret_cast<NtQueryDirectoryFileFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryDirectoryFile")));
        setInformationFile = reinterpret_cast<NtSetInformationFileFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtSetInformationFile")));
    }
};

const NativeCalls& native() {
    static const NativeCalls calls;
    return calls;
}

// Whether the system knows deletion with POSIX semantics; it stops being tried once it
// says it does not.
bool posixDeletionKnown = true;
// The same for a rename over a file that is still open (Wine 8 has none).
bool posixRenameKnown = true;

// The record of a rename: the flags' first byte is the older call's "replace" switch.
struct RenameInformation {
    ULONG flags;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
};

// UTF-16 to UTF-8 into a text that keeps its storage from one entry to the next.
void narrowInto(std::wstring_view wide, std::string& into) {
    if (wide.empty() || wide.size() > static_cast<size_t>(INT_MAX) / 3) {
        into.clear();
        return;
    }
    into.resize(wide.size() * 3);
    const int written = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), into.data(),
                                            static_cast<int>(into.size()), nullptr, nullptr);
    into.resize(written > 0 ? static_cast<size_t>(written) : 0);
}

// The final path the system gives, with room for the longest path it has.
std::wstring_view finalPathName(HANDLE handle) {
    static thread_local std::vector<wchar_t> path(32768);
    const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= path.size()) return {};
    return std::wstring_view(path.data(), length);
}

// The handle's object name, in the long-path form when the system gives it as a drive
// path ("\??\C:\..."); empty otherwise.
std::wstring_view objectName(HANDLE handle) {
    if (!native().queryObject) return {};
    static thread_local std::vector<std::uint64_t> buffer(65536 / sizeof(std::uint64_t) + 4);
    ULONG returned = 0;
    if (native().queryObject(handle, kObjectNameInformation, buffer.data(),
                             static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t)), &returned) < 0)
        return {};
    auto* name = reinterpret_cast<UNICODE_STRING*>(buffer.data());
    if (!name->Buffer || name->Length < 4 * sizeof(wchar_t)) return {};
    std::wstring_view path(name->Buffer, name->Length / sizeof(wchar_t));
    if (path.substr(0, 4) != L"\\??\\") return {};
    name->Buffer[1] = L'\\'; // "\\?\", as the final path of a drive path reads
    return path;
}

// Where the system's object names are already final drive paths (Wine: the host's real
// path behind every link), they are the cheaper ask; elsewhere the final path is asked for.
bool objectNamesAreFinalPaths = false;

// One listing batch: the buffer the system fills at each call (a request of its own under
// Wine). A folder holds a copy of the part its batch filled, never more than this, so a
// folder of any size costs one batch while it is walked, and a small one what it lists.
constexpr size_t kListingBatch = 64 * 1024;

// A record of a batch of `size` bytes, read only where the batch holds all of it.
const FILE_ID_BOTH_DIR_INFO* recordAt(const std::byte* batch, size_t size, size_t at) {
    constexpr size_t header = offsetof(FILE_ID_BOTH_DIR_INFO, FileName);
    if (at % alignof(FILE_ID_BOTH_DIR_INFO) != 0 || at > size || size - at < header) return nullptr;
    const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(batch + at);
    if (record->FileNameLength > size - at - header ||
        static_cast<unsigned char>(record->ShortNameLength) > sizeof record->ShortName)
        return nullptr;
    return record;
}

// A file held with no sharing through its handle; one the hold created is deleted through
// that same handle before it closes.
class Win32HeldFile : public HeldFile {
public:
    Win32HeldFile(FileHandle handle, bool created) : handle_(std::move(handle)), created_(created) {}
    ~Win32HeldFile() override {
        if (!created_) return;
        FILE_DISPOSITION_INFO disposition{TRUE};
        SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition);
    }
    Win32HeldFile(const Win32HeldFile&) = delete;
    Win32HeldFile& operator=(const Win32HeldFile&) = delete;

private:
    FileHandle handle_;
    bool created_;
};

class Win32EntryHandle : public EntryHandle {
public:
    explicit Win32EntryHandle(FileHandle handle) : handle_(std::move(handle)) {}

    std::optional<std::uint32_t> attributes() override {
        FILE_ATTRIBUTE_TAG_INFO info{};
        if (!GetFileInformationByHandleEx(handle_.get(), FileAttributeTagInfo, &info, sizeof info)) return std::nullopt;
        return info.FileAttributes;
    }

    std::uint64_t fileId() override {
        if (!native().queryInformationFile) return 0;
        LARGE_INTEGER id{};
        IO_STATUS_BLOCK status{};
        if (native().queryInformationFile(handle_.get(), &status, &id, sizeof id, kFileInternalInformation) < 0)
            return 0;
        return static_cast<std::uint64_t>(id.QuadPart);
    }

    bool finalPath(std::string& into) override {
        std::wstring_view path = objectNamesAreFinalPaths ? objectName(handle_.get()) : finalPathName(handle_.get());
        if (path.empty()) return false;
        narrowInto(path, into);
        return !into.empty();
    }

    bool markForDeletion() override {
        if (posixDeletionKnown) {
            FILE_DISPOSITION_INFO_EX disposition{FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS};
            if (SetFileInformationByHandle(handle_.get(), kFileDispositionInfoEx, &disposition, sizeof disposition))
                return true;
            const DWORD error = GetLastError();
            if (error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION)
                posixDeletionKnown = false;
            else if (error != ERROR_NOT_SUPPORTED)
                return false; // refused (read-only, not empty, in use): the plain call would be too
        }
        FILE_DISPOSITION_INFO disposition{TRUE};
        return SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
    }

    bool startListing() override {
        more_ = true;
        broke_ = false;
        return readBatch(true) || !broke_;
    }

    bool listingBroke() const override { return broke_; }

    bool nextListed(ListedEntry& entry) override {
        const FILE_ID_BOTH_DIR_INFO* record = recordAt(batch_.data(), batch_.size(), next_);
        // The batch is used up: the next one is read where the system's listing stands. It
        // goes on after the last name it gave, so the entries this walk removed meanwhile
        // change nothing of what is still to come. An error there ends the listing.
        if (!record && more_ && readBatch(false)) record = recordAt(batch_.data(), batch_.size(), next_);
        if (!record) {
            more_ = false;
            return false;
        }
        next_ = record->NextEntryOffset != 0 ? next_ + record->NextEntryOffset : batch_.size();
        nameWide_ = std::wstring_view(record->FileName, record->FileNameLength / sizeof(wchar_t));
        altWide_ = std::wstring_view(record->ShortName, record->ShortNameLength / sizeof(wchar_t));
        narrowInto(nameWide_, name_);
        narrowInto(altWide_, alt_);
        entry.name = name_;
        entry.altName = alt_;
        entry.attributes = record->FileAttributes;
        entry.fileId = static_cast<std::uint64_t>(record->FileId.QuadPart);
        entry.size = record->EndOfFile.QuadPart > 0 ? static_cast<std::uint64_t>(record->EndOfFile.QuadPart) : 0;
        return true;
    }

    std::unique_ptr<EntryHandle> openChild(std::string_view name, EntryKind kind) override {
        if (!native().createFile || name.empty()) return nullptr;
        // The entry just listed is opened by the name the listing gave, not a converted copy.
        std::wstring_view wide;
        if (name == name_)
            wide = nameWide_;
        else if (name == alt_)
            wide = altWide_;
        else
            wide = askedWide_ = widen(name);
        if (wide.empty() || wide.size() * sizeof(wchar_t) > USHRT_MAX) return nullptr;
        const bool folder = kind == EntryKind::Folder;
        const ACCESS_MASK access = SYNCHRONIZE | FILE_READ_ATTRIBUTES | DELETE | (folder ? FILE_LIST_DIRECTORY : 0);
        HANDLE opened = open(wide, access, folder);
        // A folder that may be listed but not removed is still emptied.
        if (!opened && folder && lastStatus_ == kStatusAccessDenied) opened = open(wide, access & ~DELETE, folder);
        if (!opened) return nullptr;
        return std::make_unique<Win32EntryHandle>(FileHandle(opened));
    }

    bool lastChildMissing() const override {
        return lastStatus_ == kStatusObjectNameNotFound || lastStatus_ == kStatusObjectPathNotFound ||
               lastStatus_ == kStatusDeletePending;
    }

    std::optional<std::string> readChildFile(std::string_view name, std::size_t limit) override {
        FileHandle file = openPlainFile(name, FILE_READ_DATA);
        if (!file) return std::nullopt;
        std::string content;
        char chunk[16384];
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) return std::nullopt;
            if (read == 0) return content;
            if (content.size() + read > limit) return std::nullopt;
            content.append(chunk, read);
        }
    }

    std::unique_ptr<Database> openChildDatabase(std::string_view name) override {
        FileHandle file = openPlainFile(name, 0);
        if (!file) return nullptr;
        // The database library opens files by path: it is given the one this handle proved
        // to be a plain file, reached without a link.
        const std::wstring_view path = finalPathName(file.get());
        if (path.empty()) return nullptr;
        std::string utf8;
        narrowInto(path, utf8);
        return utf8.empty() ? nullptr : sqlite::openFile(utf8);
    }

    std::optional<std::uint64_t> childFileSize(std::string_view name) override {
        FileHandle file = openPlainFile(name, 0);
        LARGE_INTEGER size{};
        if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return std::nullopt;
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    std::unique_ptr<Database> openChildDatabaseCopy(std::string_view name, std::size_t limit) override {
        auto file = readChildFile(name, limit);
        if (!file) return nullptr;
        // The log is read by its own name beside the file, as SQLite finds it.
        const auto log = readChildFile(std::string(name) + "-wal", limit);
        return sqlite::openCopy(*file, log);
    }

    // Read access with no sharing at all keeps out every other open that reads, writes or
    // deletes; the browsers' own opens of their lock ask for write access and fail.
    FileHold holdChildFile(std::string_view name) override {
        if (!native().createFile || name.empty() || name.find_first_of("\\/") != std::string_view::npos) return {};
        const std::wstring wide = widen(name);
        if (wide.empty() || wide.size() * sizeof(wchar_t) > USHRT_MAX) return {};
        UNICODE_STRING objectName{};
        objectName.Buffer = const_cast<PWSTR>(wide.data());
        objectName.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
        objectName.MaximumLength = objectName.Length;
        OBJECT_ATTRIBUTES attributes{};
        InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, handle_.get(), nullptr);
        IO_STATUS_BLOCK status{};
        HANDLE opened = nullptr;
        lastStatus_ = native().createFile(&opened, FILE_READ_DATA | FILE_READ_ATTRIBUTES | DELETE | SYNCHRONIZE,
                                          &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, 0, FILE_OPEN_IF,
                                          FILE_OPEN_REPARSE_POINT | FILE_NON_DIRECTORY_FILE |
                                              FILE_SYNCHRONOUS_IO_NONALERT,
                                          nullptr, 0);
        if (lastStatus_ == kStatusSharingViolation) return {nullptr, true};
        if (lastStatus_ < 0 || !opened || opened == INVALID_HANDLE_VALUE) return {};
        FileHandle file(opened);
        const bool created = status.Information == kFileCreated;
        FILE_ATTRIBUTE_TAG_INFO info{};
        if (!GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &info, sizeof info) ||
            (info.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)
            return {};
        return {std::make_unique<Win32HeldFile>(std::move(file), created), false};
    }

    std::unique_ptr<EntryHandle> openChildForRewrite(std::string_view name) override {
        // Shared for reading and for the rename that replaces it, not for writing.
        FileHandle file = openPlainFile(name, FILE_READ_DATA | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE);
        return file ? std::make_unique<Win32EntryHandle>(std::move(file)) : nullptr;
    }

    std::unique_ptr<EntryHandle> createChildFile(std::string_view name) override {
        const std::wstring wide = singleName(name);
        if (wide.empty()) return nullptr;
        // Created, never opened: an entry of that name, a link included, makes it fail.
        HANDLE created = open(wide, FILE_READ_DATA | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | DELETE, false,
                              FILE_SHARE_READ, FILE_CREATE);
        return created ? std::make_unique<Win32EntryHandle>(FileHandle(created)) : nullptr;
    }

    std::optional<std::string> readContent(std::size_t limit) override {
        LARGE_INTEGER start{};
        if (!SetFilePointerEx(handle_.get(), start, nullptr, FILE_BEGIN)) return std::nullopt;
        std::string content;
        char chunk[16384];
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(handle_.get(), chunk, sizeof chunk, &read, nullptr)) return std::nullopt;
            if (read == 0) return content;
            if (content.size() + read > limit) return std::nullopt;
            content.append(chunk, read);
        }
    }

    bool writeContent(std::string_view bytes) override {
        LARGE_INTEGER start{};
        if (!SetFilePointerEx(handle_.get(), start, nullptr, FILE_BEGIN)) return false;
        while (!bytes.empty()) {
            const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
            DWORD written = 0;
            if (!WriteFile(handle_.get(), bytes.data(), part, &written, nullptr) || written == 0) return false;
            bytes.remove_prefix(written);
        }
        return SetEndOfFile(handle_.get()) && FlushFileBuffers(handle_.get());
    }

    bool renameOver(EntryHandle& folder, std::string_view name, std::unique_ptr<EntryHandle> replaced) override {
        auto* parent = dynamic_cast<Win32EntryHandle*>(&folder);
        const std::wstring wide = singleName(name);
        if (!parent || wide.empty() || !native().setInformationFile) return false;
        std::vector<std::uint64_t> buffer((offsetof(RenameInformation, fileName) + wide.size() * sizeof(wchar_t)) /
                                              sizeof(std::uint64_t) + 1);
        auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
        rename->rootDirectory = parent->handle_.get();
        rename->fileNameLength = static_cast<ULONG>(wide.size() * sizeof(wchar_t));
        std::copy(wide.begin(), wide.end(), rename->fileName);
        const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t));
        IO_STATUS_BLOCK io{};
        if (posixRenameKnown) {
            // The file replaced while the caller still holds it: nothing can take its place first.
            rename->flags = kRenameReplaceIfExists | kRenamePosixSemantics;
            const NTSTATUS status =
                native().setInformationFile(handle_.get(), &io, rename, size, kFileRenameInformationEx);
            if (status >= 0) return true;
            if (status != kStatusNotImplemented && status != kStatusInvalidInfoClass &&
                status != kStatusInvalidParameter && status != kStatusNotSupported)
                return false; // refused: in use, read-only, a folder
            posixRenameKnown = false;
        }
        // A system that cannot replace an open file: the caller's handle goes just before.
        replaced.reset();
        rename->flags = kRenameReplaceIfExists;
        return native().setInformationFile(handle_.get(), &io, rename, size, kFileRenameInformation) >= 0;
    }

private:
    // One name of this folder in the system's form; empty when it is anything more.
    static std::wstring singleName(std::string_view name) {
        if (!native().createFile || name.empty() || name == "." || name == ".." ||
            name.find_first_of("\\/") != std::string_view::npos)
            return {};
        std::wstring wide = widen(name);
        return wide.size() * sizeof(wchar_t) > USHRT_MAX ? std::wstring() : wide;
    }

    // A plain file of this folder, by one name: a link or a folder of that name is refused.
    FileHandle openPlainFile(std::string_view name, ACCESS_MASK access,
                             ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) {
        if (!native().createFile || name.empty() || name.find_first_of("\\/") != std::string_view::npos) return {};
        const std::wstring wide = widen(name);
        if (wide.empty() || wide.size() * sizeof(wchar_t) > USHRT_MAX) return {};
        HANDLE opened = open(wide, access | SYNCHRONIZE | FILE_READ_ATTRIBUTES, false, share);
        if (!opened) return {};
        FileHandle file(opened);
        FILE_ATTRIBUTE_TAG_INFO info{};
        if (!GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &info, sizeof info) ||
            (info.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)
            return {};
        return file;
    }

    // Relative to this folder's handle, by one name, and never through a link.
    HANDLE open(std::wstring_view name, ACCESS_MASK access, bool folder,
                ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, ULONG disposition = FILE_OPEN) {
        UNICODE_STRING objectName{};
        objectName.Buffer = const_cast<PWSTR>(name.data());
        objectName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
        objectName.MaximumLength = objectName.Length;
        OBJECT_ATTRIBUTES attributes{};
        InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, handle_.get(), nullptr);
        IO_STATUS_BLOCK status{};
        HANDLE opened = nullptr;
        const ULONG options = FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT |
                              (folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
        lastStatus_ = native().createFile(&opened, access, &attributes, &status, nullptr,
                                          disposition == FILE_CREATE ? FILE_ATTRIBUTE_NORMAL : 0, share, disposition,
                                          options, nullptr, 0);
        return lastStatus_ >= 0 && opened && opened != INVALID_HANDLE_VALUE ? opened : nullptr;
    }

    // The system fills one buffer that every folder shares; this folder keeps only the part
    // it filled, up to where the batch's last record ends. Only the bytes the system says it
    // wrote are read: what an earlier batch left in the buffer is never taken for a record,
    // and a call that writes nothing ends the listing instead of giving the last batch again.
    bool readBatch(bool fromTheStart) {
        static thread_local std::vector<std::byte> scratch(kListingBatch);
        batch_.clear();
        next_ = 0;
        IO_STATUS_BLOCK io{};
        const NTSTATUS status =
            native().queryDirectoryFile
                ? native().queryDirectoryFile(handle_.get(), nullptr, nullptr, nullptr, &io, scratch.data(),
                                              static_cast<ULONG>(scratch.size()), kFileIdBothDirectoryInformation,
                                              FALSE, nullptr, fromTheStart ? TRUE : FALSE)
                : kStatusAccessDenied;
        const size_t written = status >= 0 ? std::min<size_t>(io.Information, scratch.size()) : 0;
        if (written == 0) {
            more_ = false;
            broke_ = !(status == kStatusNoMoreFiles || (fromTheStart && status == kStatusNoSuchFile));
            return false;
        }
        size_t end = 0;
        for (size_t at = 0;;) {
            const auto* record = recordAt(scratch.data(), written, at);
            if (!record) break;
            end = at + offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + record->FileNameLength;
            if (record->NextEntryOffset == 0) break;
            at += record->NextEntryOffset;
        }
        // A batch that holds no whole record is one nobody can read on from.
        if (end == 0) {
            more_ = false;
            broke_ = true;
            return false;
        }
        // A larger batch than the last: the old storage goes first, so that the folder never
        // holds two at once.
        if (end > batch_.capacity()) std::vector<std::byte>().swap(batch_);
        batch_.assign(scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(end));
        return true;
    }

    FileHandle handle_;
    std::vector<std::byte> batch_; // the records of the batch being handled
    size_t next_ = 0;              // where the next record of the batch starts
    bool more_ = false;            // whether the system may have a further batch
    bool broke_ = false;           // whether the listing ended on an error
    std::wstring_view nameWide_, altWide_;
    std::string name_, alt_;
    std::wstring askedWide_;
    NTSTATUS lastStatus_ = 0;
};

// The path in the form that takes every character literally, made absolute first (the
// current folder, "." and ".." and doubled or forward separators read once, here).
std::wstring absoluteLongPath(const std::string& path) {
    std::wstring wide = widen(path);
    if (wide.empty()) return {};
    if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    std::vector<wchar_t> buffer(wide.size() + MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::wstring full(buffer.data(), length);
            if (full.rfind(L"\\\\.\\", 0) == 0) return {}; // a device, never a folder to walk
            if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
            return L"\\\\?\\" + full;
        }
        buffer.resize(length + 1);
    }
    return {};
}

} // namespace

FolderOpening Win32Platform::openFolderHandle(const std::string& path) {
    const std::wstring folder = absoluteLongPath(path);
    if (folder.empty()) return {nullptr, true};
    // The folder as the caller named it: a link on the way to it is the caller's choice.
    FileHandle handle(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        return {nullptr, error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND};
    }
    objectNamesAreFinalPaths = !objectName(handle.get()).empty();
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &info, sizeof info)) return {};
    // A file where the folder should be holds nothing to walk.
    if ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return {nullptr, true};
    return {std::make_unique<Win32EntryHandle>(std::move(handle)), false};
}

} // namespace tv::win32
