#pragma once
// The in-memory platform: registry, file tree, browser stores, recycle bin, accounts,
// browser frame windows and a shell-open recorder, each with the failures the program
// must survive, and a record of what was asked. Its sleep does not wait: it moves a
// virtual clock that tests read.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"

namespace tv::memory {

struct ShellOpenCall {
    WindowHandle owner;
    std::string verb, file, parameters, directory;
    int showCommand;
};

struct PostedMessage {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::uint64_t atMs; // on the virtual clock
};

struct FrameWindow {
    WindowHandle handle;
    std::string className;
    WindowHandle parent = 0;
    int closeRequestsNeeded = 1; // -1: never closes
};

// The program behind a window: its path, and a file it holds with no sharing until the
// window closes.
struct WindowProgram {
    std::string path;
    std::string holds;
};

inline constexpr std::uint32_t kWmClose = 0x0010;

struct UrlCacheEntry {
    std::string url;
    std::uint32_t size = 128; // the record size the enumeration reports
    bool locked = false;      // in use: deletion refused
};

struct RecycleBinCall {
    WindowHandle owner;
    std::string root;
    std::uint32_t flags;
};

class MemoryPlatform : public PlatformServices {
public:
    MemoryPlatform();

    MemoryRegistry registry;
    MemoryFileSystem files;

    // Folders: CSIDL -> path; a number not in the map is unknown to the system.
    std::map<int, std::string> specialFolders;
    std::string tempPath = "C:\\Users\\user\\AppData\\Local\\Temp\\";
    std::string programPath = "C:\\Program Files\\Tarmel Veilo\\";

    // What a folder really is: the known folders, and the short (8.3) forms the system
    // would take for a long name (short path -> long path, matched at the start of a path).
    std::map<KnownFolder, std::string> knownFolders;
    std::map<std::string, std::string> shortNames;

    // URL cache: entries in enumeration order.
    std::vector<UrlCacheEntry> urlCache;
    bool urlCacheFirstGivesNoHandle = false; // the second first-entry call fails
    int urlCacheFailNextAfter = -1;          // after N entries a next-entry probe fails
    std::uint32_t urlCacheFailError = kErrorAccessDenied;
    int urlCacheFindFirstCalls = 0;
    int urlCacheFindNextCalls = 0;
    int urlCacheOpenEnumerations = 0;
    bool urlCacheFetchFails = false;       // a next-entry call with a buffer fails as if the entry grew
    std::vector<std::uint32_t> urlCacheBufferSizes; // the buffer size of every find call, in order
    std::vector<std::string> urlCacheDeleted;

    // History store.
    std::int32_t historyCreateResult = 0; // an HRESULT; failure when negative
    bool historyOffersStg2 = true;
    int historyClearCount = 0;
    std::int32_t historyClearResult = 0; // what ClearHistory answers
    std::uint64_t historyEntries = 0;    // the addresses it holds; a clear that succeeds empties it
    int historyOpenReferences = 0;
    std::map<std::int32_t, std::string> errorDescriptions;
    // The files each store keeps for itself in its folders.
    std::map<BrowserStore, std::vector<std::string>> storeFiles;

    // Libraries: name (case-insensitive) -> functions it exports.
    std::map<std::string, std::set<std::string>> libraries;
    int recycleBinItems = 0;
    int recycleBinKeeps = 0; // items that emptying leaves (a drive whose bin is refused)
    std::vector<RecycleBinCall> recycleBinCalls;
    int loadedLibraries = 0;

    // Shell and windows.
    std::vector<ShellOpenCall> shellOpens;
    std::vector<FrameWindow> windows; // top of the list is found first
    std::map<WindowHandle, WindowProgram> windowPrograms;
    std::vector<PostedMessage> posted;
    int findWindowCalls = 0;

    // Accounts.
    std::string user = "user";
    bool userNameFails = false;
    std::string computer = "PC";
    std::map<std::string, std::vector<std::uint8_t>> accounts; // user name -> SID bytes
    std::uint32_t lookupProbeError = 0; // when set, the probe reports this error instead
    bool lookupSecondCallFails = false;
    std::vector<std::string> accountCalls; // "user 81", "lookup PC user 0 64", ...

    // Drives: a letter's kind ('Z' -> Network); a letter not set is local when the file tree
    // has that drive, absent otherwise.
    std::map<char, DriveKind> driveKinds;

    // Time.
    std::uint64_t clockMs = 0;
    std::uint64_t tickStepMs = 0; // time that passes at every reading of the clock
    std::vector<std::uint32_t> sleeps;

    // --- PlatformServices ---
    RegKey openKey(Hive hive, const std::string& path, std::uint32_t access) override;
    RegKey createKey(Hive hive, const std::string& path) override;
    RegKey openSubkey(const RegKey& parent, const std::string& name, std::uint32_t access) override;
    RegKey createSubkey(const RegKey& parent, const std::string& name) override;
    bool isLink(const RegKey& key) override { return registry.isLink(key.id()); }
    std::optional<RegKeyInfo> queryKeyInfo(const RegKey& key) override;
    std::optional<std::string> enumSubkey(const RegKey& key, std::uint32_t index, std::uint32_t bufferChars) override;
    bool deleteOpenKey(const RegKey& key) override { return registry.deleteKey(key.id()); }
    bool hasValue(const RegKey& key, const std::string& valueName) override {
        return registry.hasValue(key.id(), valueName);
    }
    std::optional<std::string> enumValue(const RegKey& key, std::uint32_t index) override {
        return registry.enumValue(key.id(), index);
    }
    bool deleteValue(const RegKey& key, const std::string& valueName) override;
    bool setStringValue(const RegKey& key, const std::string& valueName, const std::string& text) override;
    void closeKey(std::uintptr_t id) override;
    std::optional<std::string> stringValue(const RegKey& key, const std::string& valueName) override {
        return registry.stringData(key.id(), valueName);
    }

    std::string specialFolderPath(int csidl) override;
    std::string tempFolderPath() override { return tempPath; }
    std::string programFolder() override { return programPath; }
    FolderOpening openFolderHandle(const std::string& path) override { return files.openFolderHandle(path); }

    std::string knownFolderPath(KnownFolder folder) override;
    std::string finalFolderPath(const std::string& path) override;

    UrlCacheFirst urlCacheFindFirst(std::uint32_t bufferSize) override;
    bool deleteUrlCacheEntry(const std::string& url) override;
    UrlHistoryCreation createUrlHistory() override;
    std::vector<std::string> storeOwnFiles(BrowserStore store) override { return storeFiles[store]; }
    std::string describeError(std::int32_t code) override;

    std::unique_ptr<LoadedLibrary> loadLibrary(const std::string& name) override;
    void shellOpen(WindowHandle owner, const std::string& verb, const std::string& file,
                   const std::string& parameters, const std::string& directory, int showCommand) override;
    WindowHandle findWindow(const std::string& className) override;
    WindowHandle parentWindow(WindowHandle window) override;
    bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    std::vector<WindowHandle> topLevelWindows(const std::string& className) override;
    std::string windowProgramPath(WindowHandle window) override;

    NameRead userName(std::uint32_t bufferChars) override;
    NameRead computerName(std::uint32_t bufferChars) override;
    AccountLookup lookupAccountName(const std::string& system, const std::string& account,
                                    std::uint32_t sidBufferSize, std::uint32_t domainChars) override;
    bool isValidSid(const std::vector<std::uint8_t>& sid) override;
    std::array<std::uint8_t, 6> sidIdentifierAuthority(const std::vector<std::uint8_t>& sid) override;
    std::uint8_t sidSubAuthorityCount(const std::vector<std::uint8_t>& sid) override;
    std::uint32_t sidSubAuthority(const std::vector<std::uint8_t>& sid, std::uint32_t index) override;

    void sleep(std::uint32_t milliseconds) override;
    std::uint64_t tickMilliseconds() override { return clockMs += tickStepMs; }

    // Windows-1252, the code page of a French system.
    std::string toAnsiCodePage(const std::string& utf8) override;

    DriveKind driveKind(const std::string& path) override;
    // --- unattended runs ---
    // The run lock: held by this platform's own holds, or by another program when set here.
    bool runLockHeldElsewhere = false;
    std::uint32_t runLockRefusal = 0; // the system will not make the lock: its error
    int runLockTakes = 0;
    bool runLockHeld() const { return runLockHeld_; }
    // The session: COM refused, Ctrl+C pressed, sessions open now.
    bool sessionRefused = false;
    bool interruptRequested = false;
    int sessionsOpen = 0;
    // What the program wrote on its standard streams; none when they are missing.
    std::string standardOutput, standardError;
    bool standardStreamsMissing = false;
    std::string programFilePath = "C:\\Program Files\\Tarmel Veilo\\TarmVeilonCmd.exe";
    LocalTime now{2026, 12, 11, 21, 30, 5};
    // The Task Scheduler: its runs by name; when set, every call answers this refusal.
    std::map<std::string, ScheduledRun> scheduledRuns;
    std::optional<SchedulerAnswer> schedulerRefusal;
    // Accepts a run but keeps it without its trigger and its program, as Wine 8's does.
    bool schedulerKeepsNoDefinition = false;

    RunLock takeRunLock() override;
    std::unique_ptr<UnattendedSession> startUnattended() override;
    bool writeStandard(StandardStream stream, std::string_view utf8) override;
    AppendOpening openForAppend(const std::string& path) override;
    std::string programFile() override { return programFilePath; }
    LocalTime localTime() override { return now; }
    SchedulerAnswer scheduleRun(const std::string& name, const ScheduledRun& run) override;
    ScheduledRunRead readScheduledRun(const std::string& name) override;
    SchedulerAnswer removeScheduledRun(const std::string& name, bool& existed) override;

private:
    friend class MemoryRunLockHold;
    bool runLockHeld_ = false;
};

// The binary form of a security identifier: revision, count, six authority bytes, then the
// sub-authorities as 32-bit little-endian numbers.
std::vector<std::uint8_t> makeSid(std::array<std::uint8_t, 6> authority, std::vector<std::uint32_t> subAuthorities);

} // namespace tv::memory
