#pragma once
// The one door to the operating system. Everything the cleaning logic and the windows
// ask of Windows goes through this interface, so that the logic runs unchanged against
// the real system (platform/win32) and against the in-memory one (platform/memory).
// Texts are UTF-8 on this side; the Windows implementation converts at the call.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Unattended.h"

namespace tv {

using WindowHandle = std::uintptr_t; // 0 is "no window"

enum class Hive { CurrentUser, LocalMachine };

// Access masks as Windows defines them; the existence test asks for read rights only.
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyReadExistence = 0x20009;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// File attribute bits of a folder enumeration.
namespace attr {
inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kSystem = 0x4;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kReparsePoint = 0x400;
} // namespace attr

// Windows error codes the logic tests for.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorNoMoreItems = 259;

// CSIDL numbers of the special folders the tasks use.
inline constexpr int kCsidlRecent = 8;
inline constexpr int kCsidlInternetCache = 32;
inline constexpr int kCsidlCookies = 33;
inline constexpr int kCsidlHistory = 34;
inline constexpr int kCsidlLocalAppData = 28;
inline constexpr int kCsidlAppData = 26;

// Folders the temporary-folder task must never purge, nor any folder above them.
enum class KnownFolder { Windows, System, Profile, ProgramFiles, ProgramFilesX86, Desktop, Documents };

class PlatformServices;

// The browser stores whose own files lie inside the folders the tasks empty.
enum class BrowserStore { UrlCache, History };

// An open registry key. Closes itself; move-only so that no handle outlives its operation.
// A key that could not be opened keeps the system's reason: only "file not found" means
// that the key is not there; any other reason means it is there and refused.
class RegKey {
public:
    RegKey() = default;
    RegKey(PlatformServices* owner, std::uintptr_t id) : owner_(owner), id_(id) {}
    static RegKey failed(std::uint32_t error) {
        RegKey key;
        key.error_ = error;
        return key;
    }
    RegKey(RegKey&& other) noexcept : owner_(other.owner_), id_(other.id_), error_(other.error_) {
        other.owner_ = nullptr;
    }
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { reset(); }

    explicit operator bool() const { return owner_ != nullptr; }
    std::uintptr_t id() const { return id_; }
    // Why the key could not be opened; 0 for an open key (or a reason nobody gave).
    std::uint32_t error() const { return error_; }
    // Not opened because no key of that path is there.
    bool absent() const { return owner_ == nullptr && error_ == kErrorFileNotFound; }
    void reset();

private:
    PlatformServices* owner_ = nullptr;
    std::uintptr_t id_ = 0;
    std::uint32_t error_ = 0;
};

struct RegKeyInfo {
    std::uint32_t subkeyCount = 0;
    std::uint32_t longestSubkeyName = 0; // in characters, without the terminator
    std::uint32_t valueCount = 0;
};

// --- the folder walks: entries reached through handles, never through a path resolved again ---

// One entry of a folder's listing. The texts stay valid until the listing moves on.
struct ListedEntry {
    std::string_view name;    // as the file system lists it
    std::string_view altName; // the short name, when the file system keeps one
    std::uint32_t attributes = 0;
    std::uint64_t fileId = 0; // the file system's number for the entry; 0 when unknown
    std::uint64_t size = 0;   // a file's length in bytes, as the listing gives it
    bool isFolder() const { return (attributes & attr::kDirectory) != 0; }
};

enum class EntryKind { File, Folder };

// A browser's database, open read-write on one file. Statements run as written and every
// text they take is bound as a parameter, never spliced into them.
class Database {
public:
    using Rows = std::vector<std::vector<std::string>>;
    virtual ~Database() = default;
    // Runs one or more statements that return no rows; false at the first that fails.
    virtual bool execute(std::string_view sql) = 0;
    // Runs one statement once for each value, bound to its one parameter.
    virtual bool executeEach(std::string_view sql, const std::vector<std::string>& values) = 0;
    // The rows of one query, every column as text (NULL as empty); nothing when it fails.
    virtual std::optional<Rows> query(std::string_view sql) = 0;
    // Closes the database; where the platform holds the file's bytes itself, they are written
    // back first. False when that could not be done.
    virtual bool close() = 0;
};

// --- a browser's own lock, and where a path lies ---
// A file held open with no sharing at all, for as long as this object lives: no other
// program can open it meanwhile. A file the hold created goes when it is released.
class HeldFile {
public:
    virtual ~HeldFile() = default;
};

// What an attempt to hold a file came to.
struct FileHold {
    std::unique_ptr<HeldFile> held; // set while the file is held
    bool inUse = false;             // another program has the file open: it cannot be held
};

// The kind of drive a path lies on.
enum class DriveKind {
    Local,   // a drive of this machine: fixed, removable, optical, a RAM disk
    Network, // a share ("\\server\share", "\\?\UNC\...") or a drive mapped to one
    Device,  // a device path ("\\.\..."), or a drive whose kind the system cannot tell
    Absent,  // no drive of that letter
};

// An open file or folder. Closing it is the destructor's job; an entry marked for deletion
// goes, at the latest, when it is closed.
class EntryHandle {
public:
    virtual ~EntryHandle() = default;
    // The attributes the handle itself reports (a link opened as a link shows the
    // reparse-point bit); nothing when the system cannot tell.
    virtual std::optional<std::uint32_t> attributes() = 0;
    virtual std::uint64_t fileId() = 0; // 0 when unknown
    // The path the system holds for this handle, in one form for every handle of the walk;
    // false when it cannot tell.
    virtual bool finalPath(std::string& into) = 0;
    // Deletes the entry through this handle (a folder only when it is empty).
    virtual bool markForDeletion() = 0;
    // Starts the folder's listing at its first entry; false when it cannot be read.
    virtual bool startListing() = 0;
    // The next entry; false at the end of the listing or at an error. A large folder is read
    // a batch at a time as the entries are taken, so its listing is never held whole.
    virtual bool nextListed(ListedEntry& entry) = 0;
    // Whether the listing stopped on an error rather than at its end: entries may be left
    // that it never showed.
    virtual bool listingBroke() const = 0;
    // Opens one entry of this folder by one name, relative to this handle, without
    // following a link; null when it cannot be opened as that kind.
    virtual std::unique_ptr<EntryHandle> openChild(std::string_view name, EntryKind kind) = 0;
    // Whether the last openChild (or child read or database open) failed because no entry
    // of that name was there any more, rather than because the entry refused to be opened
    // (in use, denied).
    virtual bool lastChildMissing() const = 0;
    // The content of a plain file of this folder, by one name and never through a link;
    // nothing when it is not there, is not a plain file, cannot be read or holds more than
    // `limit` bytes.
    virtual std::optional<std::string> readChildFile(std::string_view name, std::size_t limit) = 0;
    // The length of a plain file of this folder, by one name and never through a link, asking
    // for no more than its attributes; nothing when it is not there or is not a plain file.
    virtual std::optional<std::uint64_t> childFileSize(std::string_view name) = 0;
    // Opens a plain file of this folder, by one name and never through a link, as a database,
    // read-write and never created; null when it cannot be.
    virtual std::unique_ptr<Database> openChildDatabase(std::string_view name) = 0;
    // A read-only copy of a plain file of this folder taken as a database, its write-ahead log
    // beside it read and applied to the copy: the files themselves are only read, never
    // locked, checkpointed or written, whoever holds them. Null when it cannot be read (or
    // holds more than `limit` bytes) or is no database.
    virtual std::unique_ptr<Database> openChildDatabaseCopy(std::string_view name, std::size_t limit) = 0;

    // --- a browser's own lock ---
    // Holds the plain file `name` of this folder with no sharing, creating it when it is not
    // there; never through a link. Nothing held when it is a link or a folder, or refused.
    virtual FileHold holdChildFile(std::string_view name) = 0;

    // --- a file rewritten in its own place: read whole, written beside, renamed over ---
    // Opens a plain file of this folder by one name, never through a link, to read it whole
    // and then replace or delete it. Others may go on reading it while it is open, not
    // writing it: a file another program is writing does not open. Null when it cannot be.
    virtual std::unique_ptr<EntryHandle> openChildForRewrite(std::string_view name) = 0;
    // Creates a new, empty plain file of this folder by one name, open for writing and
    // reading. Never replaces anything and never goes through a link: null when the folder
    // already holds an entry of that name, or refuses.
    virtual std::unique_ptr<EntryHandle> createChildFile(std::string_view name) = 0;
    // This open file's whole content, from its start; nothing when it cannot be read or
    // holds more than `limit` bytes.
    virtual std::optional<std::string> readContent(std::size_t limit) = 0;
    // Writes `bytes` as this open file's whole content, to the disk; false when not all of it
    // could be (a disk full), with what was written still in the file.
    virtual bool writeContent(std::string_view bytes) = 0;
    // Renames this open file, a file of `folder`, over the entry `name` of that folder in one
    // step: the entry there goes as an entry (a link is replaced, never followed).
    // `replaced`, the caller's handle of what stands there, is held through the rename where
    // the system can replace a file it holds open, else closed just before. False when the
    // system refuses (the entry there is in use, read-only or a folder): nothing changed.
    virtual bool renameOver(EntryHandle& folder, std::string_view name, std::unique_ptr<EntryHandle> replaced) = 0;
};

// A folder a walk starts from: its handle, or why there is none.
struct FolderOpening {
    std::unique_ptr<EntryHandle> handle;
    bool missing = false; // no folder at that path, rather than one that refused to open
};

// One call of the URL cache enumeration: the system fills an entry record of
// `requiredSize` bytes, or says why it did not (lastError).
struct UrlCacheCall {
    bool ok = false;
    std::uint32_t lastError = 0;
    std::uint32_t requiredSize = 0; // the size the entry needs, reported on every call
    std::string sourceUrl;          // lpszSourceUrlName of the filled record, when ok
};

class UrlCacheEnumeration {
public:
    virtual ~UrlCacheEnumeration() = default;
    // bufferSize 0 probes the next entry; a large-enough buffer fetches it.
    virtual UrlCacheCall findNext(std::uint32_t bufferSize) = 0;
};

struct UrlCacheFirst {
    UrlCacheCall call;
    std::unique_ptr<UrlCacheEnumeration> enumeration; // null when no handle was given
};

// The browser's URL history store, reached through IUnknown then IUrlHistoryStg2.
class UrlHistoryStg2 {
public:
    virtual ~UrlHistoryStg2() = default;
    virtual std::int32_t clearHistory() = 0;
    // How many addresses the store holds, read through its enumeration; nothing when it will
    // not say.
    virtual std::optional<std::uint64_t> entryCount() = 0;
};

class UrlHistoryObject {
public:
    virtual ~UrlHistoryObject() = default;
    // Null when the object does not offer IUrlHistoryStg2.
    virtual std::unique_ptr<UrlHistoryStg2> queryHistoryStg2() = 0;
};

struct UrlHistoryCreation {
    std::int32_t hresult = 0;                 // the creation's result code
    std::unique_ptr<UrlHistoryObject> object; // set when the creation succeeded
};

// A library loaded at run time (the recycle bin function lives in one).
class LoadedLibrary {
public:
    virtual ~LoadedLibrary() = default;
    virtual bool hasFunction(const std::string& name) const = 0;
    // Calls the recycle-bin emptying function of that name; false when it is not there.
    virtual bool callEmptyRecycleBin(const std::string& functionName, WindowHandle owner,
                                     const std::string& rootPath, std::uint32_t flags) = 0;
    // How many items the recycle bins of every drive hold; nothing when the library cannot say.
    virtual std::optional<std::uint64_t> recycleBinItemCount() = 0;
};

struct AccountLookup {
    bool ok = false;
    std::uint32_t lastError = 0;
    std::uint32_t sidSize = 0;          // the size the identifier needs (or has, when ok)
    std::vector<std::uint8_t> sid;      // the identifier's bytes, when ok
};

struct NameRead {
    bool ok = false;
    std::uint32_t lastError = 0;
    std::string name;
};

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // --- registry ---
    // Opens a key by its path, resolved as the system resolves it: a registry link on the
    // way, or the key itself when it is one, is followed. The empty path opens the hive.
    virtual RegKey openKey(Hive hive, const std::string& path, std::uint32_t access) = 0;
    // Opens the key, creating it (and missing parents) when absent; empty RegKey on failure.
    virtual RegKey createKey(Hive hive, const std::string& path) = 0;
    // Opens one subkey, named by a single name, relative to an open key and as itself: a
    // registry link is opened as the link, never followed.
    virtual RegKey openSubkey(const RegKey& parent, const std::string& name, std::uint32_t access) = 0;
    // The same, creating a plain key when there is none of that name (full access).
    virtual RegKey createSubkey(const RegKey& parent, const std::string& name) = 0;
    // Whether the key behind this handle is a registry link (a handle opened as itself).
    virtual bool isLink(const RegKey& key) = 0;
    virtual std::optional<RegKeyInfo> queryKeyInfo(const RegKey& key) = 0;
    // The name of the subkey at that index, or nothing; bufferChars counts the terminator.
    virtual std::optional<std::string> enumSubkey(const RegKey& key, std::uint32_t index,
                                                  std::uint32_t bufferChars) = 0;
    // Deletes the key behind this handle, never another one of its name: a link goes as a
    // link. Fails for a key that still has subkeys.
    virtual bool deleteOpenKey(const RegKey& key) = 0;
    virtual bool hasValue(const RegKey& key, const std::string& valueName) = 0;
    // The name of the value at that index, or nothing (past the last one, or unreadable).
    virtual std::optional<std::string> enumValue(const RegKey& key, std::uint32_t index) = 0;
    virtual bool deleteValue(const RegKey& key, const std::string& valueName) = 0;
    // Writes a REG_SZ value, replacing a value of that name whatever its type.
    virtual bool setStringValue(const RegKey& key, const std::string& valueName,
                                const std::string& text) = 0;
    virtual void closeKey(std::uintptr_t id) = 0;

    // --- a value's data ---
    // The text a string value (REG_SZ or REG_EXPAND_SZ, unexpanded) holds, without its
    // terminator; nothing when there is no such value, it holds another type, or it cannot
    // be read.
    virtual std::optional<std::string> stringValue(const RegKey& key, const std::string& valueName) = 0;

    // --- folders and files ---
    virtual std::string specialFolderPath(int csidl) = 0; // empty on failure
    virtual std::string tempFolderPath() = 0;             // with its trailing backslash; empty on failure
    virtual std::string programFolder() = 0;              // with its trailing backslash
    // Opens the folder a walk starts from: the path made absolute once, in the form that
    // takes every character literally. No handle when it cannot be opened.
    virtual FolderOpening openFolderHandle(const std::string& path) = 0;

    // --- what a folder really is ---
    // The path of a known folder, or an empty text.
    virtual std::string knownFolderPath(KnownFolder folder) = 0;
    // The final path of an existing folder: long names, links and junctions resolved, the
    // letter's or the share's form (no "\\?\" prefix), no trailing backslash except on a
    // root. An empty text when the folder cannot be opened.
    virtual std::string finalFolderPath(const std::string& path) = 0;

    // --- browser stores ---
    virtual UrlCacheFirst urlCacheFindFirst(std::uint32_t bufferSize) = 0;
    virtual bool deleteUrlCacheEntry(const std::string& url) = 0;
    virtual UrlHistoryCreation createUrlHistory() = 0;
    // The files a store keeps for itself in its own folders (its index), which the system
    // holds open while the store is in use: the store's interface empties them, never a
    // folder walk. Full paths; none when the system does not say.
    virtual std::vector<std::string> storeOwnFiles(BrowserStore store) = 0;
    // The system's description of a result code; empty when it has none.
    virtual std::string describeError(std::int32_t code) = 0;

    // --- shell, windows, libraries ---
    virtual std::unique_ptr<LoadedLibrary> loadLibrary(const std::string& name) = 0;
    virtual void shellOpen(WindowHandle owner, const std::string& verb, const std::string& file,
                           const std::string& parameters, const std::string& directory,
                           int showCommand) = 0;
    virtual WindowHandle findWindow(const std::string& className) = 0;
    virtual WindowHandle parentWindow(WindowHandle window) = 0;
    virtual bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    // Every top-level window of that class, in the system's order.
    virtual std::vector<WindowHandle> topLevelWindows(const std::string& className) = 0;
    // The full path of the program whose process drew the window; empty when it cannot be told.
    virtual std::string windowProgramPath(WindowHandle window) = 0;

    // --- accounts ---
    virtual NameRead userName(std::uint32_t bufferChars) = 0;
    virtual NameRead computerName(std::uint32_t bufferChars) = 0;
    virtual AccountLookup lookupAccountName(const std::string& system, const std::string& account,
                                            std::uint32_t sidBufferSize,
                                            std::uint32_t domainChars) = 0;
    virtual bool isValidSid(const std::vector<std::uint8_t>& sid) = 0;
    virtual std::array<std::uint8_t, 6> sidIdentifierAuthority(const std::vector<std::uint8_t>& sid) = 0;
    virtual std::uint8_t sidSubAuthorityCount(const std::vector<std::uint8_t>& sid) = 0;
    virtual std::uint32_t sidSubAuthority(const std::vector<std::uint8_t>& sid, std::uint32_t index) = 0;

    // --- time ---
    virtual void sleep(std::uint32_t milliseconds) = 0;
    virtual std::uint64_t tickMilliseconds() = 0; // a monotonic clock

    // --- text ---
    // The text's bytes in the system's ANSI code page; a character the code page cannot
    // spell becomes "?".
    virtual std::string toAnsiCodePage(const std::string& utf8) = 0;

    // --- unattended runs (platform/Unattended.h) ---
    // One cleaning at a time in the user's session: a second take, from this program or
    // another, is refused while a hold lives.
    virtual RunLock takeRunLock() = 0;
    virtual std::unique_ptr<UnattendedSession> startUnattended() = 0;
    // UTF-8 to a file or a pipe, the console's own characters to a console; false when the
    // stream is not there or refused the text.
    virtual bool writeStandard(StandardStream stream, std::string_view utf8) = 0;
    // Opens a file to append to, creating it: by its one name relative to its folder's
    // handle, never through a link and never a folder.
    virtual AppendOpening openForAppend(const std::string& path) = 0;
    virtual std::string programFile() = 0; // the running program's full path
    virtual LocalTime localTime() = 0;
    // The current user's Task Scheduler, in its root folder, with no administrator right.
    // A run registered under a name replaces the one of that name.
    virtual SchedulerAnswer scheduleRun(const std::string& name, const ScheduledRun& run) = 0;
    virtual ScheduledRunRead readScheduledRun(const std::string& name) = 0;
    // `existed` says whether there was one to remove.
    virtual SchedulerAnswer removeScheduledRun(const std::string& name, bool& existed) = 0;
    // --- where a path lies ---
    // The kind of drive the path lies on, told from its form and asked of the system for
    // its drive letter, without opening anything on that drive. A path that names no drive
    // (a relative one) is a Device.
    virtual DriveKind driveKind(const std::string& path) = 0;
};

inline RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        reset();
        owner_ = other.owner_;
        id_ = other.id_;
        error_ = other.error_;
        other.owner_ = nullptr;
    }
    return *this;
}

inline void RegKey::reset() {
    if (owner_) {
        owner_->closeKey(id_);
        owner_ = nullptr;
    }
}

} // namespace tv
