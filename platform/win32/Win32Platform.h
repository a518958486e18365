#pragma once
// The platform services on the real system: wide-character Windows calls, UTF-8 texts on
// this side of the interface, long paths, and an owner for every handle.

#include "platform/PlatformServices.h"

namespace tv::win32 {

class Win32Platform : public PlatformServices {
public:
    // --- registry (a RegKey carries its HKEY as its id) ---
    RegKey openKey(Hive hive, const std::string& path, std::uint32_t access) override;
    RegKey createKey(Hive hive, const std::string& path) override;
    RegKey openSubkey(const RegKey& parent, const std::string& name, std::uint32_t access) override;
    RegKey createSubkey(const RegKey& parent, const std::string& name) override;
    bool isLink(const RegKey& key) override;
    std::optional<RegKeyInfo> queryKeyInfo(const RegKey& key) override;
    std::optional<std::string> enumSubkey(const RegKey& key, std::uint32_t index, std::uint32_t bufferChars) override;
    bool deleteOpenKey(const RegKey& key) override;
    bool hasValue(const RegKey& key, const std::string& valueName) override;
    std::optional<std::string> enumValue(const RegKey& key, std::uint32_t index) override;
    bool deleteValue(const RegKey& key, const std::string& valueName) override;
    bool setStringValue(const RegKey& key, const std::string& valueName, const std::string& text) override;
    void closeKey(std::uintptr_t id) override;
    std::optional<std::string> stringValue(const RegKey& key, const std::string& valueName) override;

    // --- folders and files ---
    std::string specialFolderPath(int csidl) override;
    std::string tempFolderPath() override;
    std::string programFolder() override;
    FolderOpening openFolderHandle(const std::string& path) override;

    // --- what a folder really is ---
    std::string knownFolderPath(KnownFolder folder) override;
    std::string finalFolderPath(const std::string& path) override;

    // --- browser stores ---
    UrlCacheFirst urlCacheFindFirst(std::uint32_t bufferSize) override;
    bool deleteUrlCacheEntry(const std::string& url) override;
    UrlHistoryCreation createUrlHistory() override;
    std::vector<std::string> storeOwnFiles(BrowserStore store) override;
    std::string describeError(std::int32_t code) override;

    // --- shell, windows, libraries ---
    std::unique_ptr<LoadedLibrary> loadLibrary(const std::string& name) override;
    void shellOpen(WindowHandle owner, const std::string& verb, const std::string& file,
                   const std::string& parameters, const std::string& directory, int showCommand) override;
    WindowHandle findWindow(const std::string& className) override;
    WindowHandle parentWindow(WindowHandle window) override;
    bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    std::vector<WindowHandle> topLevelWindows(const std::string& className) override;
    std::string windowProgramPath(WindowHandle window) override;

    // --- accounts ---
    NameRead userName(std::uint32_t bufferChars) override;
    NameRead computerName(std::uint32_t bufferChars) override;
    AccountLookup lookupAccountName(const std::string& system, const std::string& account,
                                    std::uint32_t sidBufferSize, std::uint32_t domainChars) override;
    bool isValidSid(const std::vector<std::uint8_t>& sid) override;
    std::array<std::uint8_t, 6> sidIdentifierAuthority(const std::vector<std::uint8_t>& sid) override;
    std::uint8_t sidSubAuthorityCount(const std::vector<std::uint8_t>& sid) override;
    std::uint32_t sidSubAuthority(const std::vector<std::uint8_t>& sid, std::uint32_t index) override;

    // --- time ---
    void sleep(std::uint32_t milliseconds) override;
    std::uint64_t tickMilliseconds() override;

    // --- text ---
    std::string toAnsiCodePage(const std::string& utf8) override;

    // --- unattended runs ---
    RunLock takeRunLock() override;
    std::unique_ptr<UnattendedSession> startUnattended() override;
    bool writeStandard(StandardStream stream, std::string_view utf8) override;
    AppendOpening openForAppend(const std::string& path) override;
    std::string programFile() override;
    LocalTime localTime() override;
    SchedulerAnswer scheduleRun(const std::string& name, const ScheduledRun& run) override;
    ScheduledRunRead readScheduledRun(const std::string& name) override;
    SchedulerAnswer removeScheduledRun(const std::string& name, bool& existed) override;
    // --- where a path lies ---
    DriveKind driveKind(const std::string& path) override;
};

} // namespace tv::win32
