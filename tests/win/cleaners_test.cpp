// The browser and system cleaners against the real services: the URL cache, the history
// store, the account and its identifier, the registry, the recycle bin and a real browser
// frame window.

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "engine/RecycleBin.h"
#include "engine/SidText.h"
#include "engine/StatusWords.h"
#include "engine/browsers/FormData.h"
#include "engine/browsers/HistoryStore.h"
#include "engine/browsers/InternetExplorerFamily.h"
#include "engine/browsers/InternetExplorerWindows.h"
#include "engine/browsers/UrlCache.h"
#include "ui/RunTexts.h"
#include "engine/CleanerError.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"
#include "tests/support/HeadlessRunDisplay.h"
#include "BrowserSupport.h"
#include "WinTestSupport.h"

using namespace tv;
using namespace tv::engine;
using namespace tv::engine::browsers;
using tv::ui::kClosingBrowserText;
using namespace tv::wintest;
using tv::wintest::cacheHolds;
using tv::wintest::commitCacheEntry;
using tv::win32::narrow;
using tv::win32::widen;

namespace {

class Cleaners : public ::testing::Test, protected testsupport::HeadlessRunDisplay {
protected:
    win32::Win32Platform platform;
};

// COM for the thread of one test, as the program has it on its interface thread.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }

private:
    HRESULT hr_;
};

// --- URL cache -------------------------------------------------------------------------

TEST_F(Cleaners, UrlCacheEntriesGoAndAFileThatIsNoEntryStays) {
    const std::vector<std::wstring> urls = {L"http://tarmel.invalid/a.html", L"http://tarmel.invalid/b.png",
                                            L"http://tarmel.invalid/c?x=1&y=2"};
    for (const auto& url : urls) commitCacheEntry(url);
    // An entry in use refuses deletion; the purge goes on past it.
    const std::wstring inUse = urls[1];
    std::vector<std::uint64_t> record(512);
    DWORD recordSize = static_cast<DWORD>(record.size() * sizeof(std::uint64_t));
    ASSERT_TRUE(RetrieveUrlCacheEntryFileW(inUse.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(record.data()),
                                           &recordSize, 0))
        << GetLastError();
    const std::string cacheFolder = platform.specialFolderPath(kCsidlInternetCache);
    ASSERT_FALSE(cacheFolder.empty());
    const std::wstring bystander = widen(cacheFolder) + L"\\tarmel-not-an-entry.txt";
    HANDLE h = CreateFileW(bystander.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    PurgeUrlCache(platform);

    EXPECT_FALSE(cacheHolds(urls[0]));
    EXPECT_FALSE(cacheHolds(urls[2]));
    EXPECT_TRUE(cacheHolds(inUse));
    UnlockUrlCacheEntryFileW(inUse.c_str(), 0);
    DeleteUrlCacheEntryW(inUse.c_str());
    EXPECT_NE(GetFileAttributesW(bystander.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(bystander.c_str());
    // An empty cache is a normal outcome, and a second purge finds nothing to do.
    EXPECT_NO_THROW(PurgeUrlCache(platform));
}

// --- history store ---------------------------------------------------------------------

TEST_F(Cleaners, HistoryStoreIsCreatedAndClearedWhateverItAnswers) {
    ComScope com;
    {
        // What the real store answers: Wine's says clearing is not implemented.
        UrlHistoryCreation creation = platform.createUrlHistory();
        ASSERT_GE(creation.hresult, 0);
        auto store = creation.object->queryHistoryStg2();
        ASSERT_TRUE(store);
        const std::int32_t answer = store->clearHistory();
        EXPECT_TRUE(answer == S_OK || answer == E_NOTIMPL) << std::hex << answer;
    }
    EXPECT_NO_THROW(clear_history(platform));
}

TEST_F(Cleaners, HistoryStoreThatCannotBeCreatedRaisesTheSystemsDescription) {
    // A thread without COM: the creation fails the way a broken installation would.
    std::string raised, expected;
    std::thread([&] {
        try {
            clear_history(platform);
        } catch (const CleanerError& e) {
            raised = e.what();
        }
        expected = platform.describeError(static_cast<std::int32_t>(CO_E_NOTINITIALIZED));
        if (expected.empty()) expected = "OLE error 800401f0";
    }).join();
    EXPECT_EQ(raised, expected);
}

// --- accounts and identifiers ----------------------------------------------------------

std::vector<std::uint8_t> sidBytes(PSID sid) {
    const auto* bytes = static_cast<const std::uint8_t*>(sid);
    return std::vector<std::uint8_t>(bytes, bytes + GetLengthSid(sid));
}

std::string systemText(const std::vector<std::uint8_t>& sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(const_cast<std::uint8_t*>(sid.data()), &text)) return "conversion failed";
    std::string result = narrow(text);
    LocalFree(text);
    return result;
}

std::vector<std::uint8_t> currentAccountSid(win32::Win32Platform& platform) {
    const NameRead user = platform.userName(kUserNameChars);
    const NameRead computer = platform.computerName(kComputerNameChars);
    EXPECT_TRUE(user.ok && computer.ok);
    const AccountLookup probe = platform.lookupAccountName(computer.name, user.name, 0, kDomainNameChars);
    EXPECT_EQ(probe.lastError, kErrorInsufficientBuffer);
    const AccountLookup account = platform.lookupAccountName(computer.name, user.name, probe.sidSize, kDomainNameChars);
    EXPECT_TRUE(account.ok) << account.lastError;
    return account.sid;
}

TEST_F(Cleaners, SidTextEqualsTheSystemsOwnConversion) {
    const std::vector<std::uint8_t> account = currentAccountSid(platform);
    ASSERT_FALSE(account.empty());
    EXPECT_EQ(SidToText(platform, account), systemText(account));

    SID_IDENTIFIER_AUTHORITY wide = {{0, 1, 0, 0, 0, 42}};
    PSID built = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&wide, 2, 7, 4294967295u, 0, 0, 0, 0, 0, 0, &built));
    const std::vector<std::uint8_t> hexAuthority = sidBytes(built);
    FreeSid(built);
    // Wine refuses to convert an authority this large (Windows writes it in hexadecimal), so
    // the system is the reference only where it has an answer.
    const std::string reference = systemText(hexAuthority);
    if (reference != "conversion failed") {
        EXPECT_EQ(SidToText(platform, hexAuthority), reference);
    }
    EXPECT_EQ(SidToText(platform, hexAuthority), "S-1-0x00010000002A-7-4294967295");
}

// --- stored form data ------------------------------------------------------------------

class PlantedKeys {
public:
    ~PlantedKeys() {
        for (auto it = roots_.rbegin(); it != roots_.rend(); ++it) RegDeleteTreeW(it->first, it->second.c_str());
    }
    void plant(HKEY hive, const std::string& path) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(hive, widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"planted", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
        RegCloseKey(key);
    }
    void removeAfterwards(HKEY hive, const std::string& path) { roots_.emplace_back(hive, widen(path)); }

private:
    std::vector<std::pair<HKEY, std::wstring>> roots_;
};

bool keyExists(HKEY hive, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

const std::string kGuid = "\\e161255a-37c3-11d2-bcaa-00c04fd929db";

TEST_F(Cleaners, StoredFormDataGoesByTheUsersIdentifierAndItsNeighboursStay) {
    const std::string user = platform.userName(kUserNameChars).name;
    ASSERT_FALSE(user.empty());
    ASSERT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProtectedStoragePrefix + user + "\\Data"));
    const std::string sid = SidToText(platform, currentAccountSid(platform));
    const std::string data = kProtectedStoragePrefix + sid + "\\Data";
    const std::string otherAccount = std::string(kProtectedStoragePrefix) + "S-1-5-21-1-2-3-1001\\Data" + kGuid;
    PlantedKeys keys;
    keys.removeAfterwards(HKEY_CURRENT_USER, kProtectedStoragePrefix + sid);
    keys.removeAfterwards(HKEY_CURRENT_USER, std::string(kProtectedStoragePrefix) + "S-1-5-21-1-2-3-1001");
    keys.plant(HKEY_CURRENT_USER, data + kGuid + "\\5e7e8100\\inner");
    keys.plant(HKEY_CURRENT_USER, data + "\\sibling");
    keys.plant(HKEY_CURRENT_USER, otherAccount);

    PurgeAutoComplete(platform, display);

    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, data + kGuid));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, data + "\\sibling"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, otherAccount));
    EXPECT_EQ(bar.position(), 100);
}

// --- recycle bin -----------------------------------------------------------------------

TEST_F(Cleaners, RecycleBinIsEmptiedAndLiveFilesStay) {
    if (!recycleBinIsScratch()) GTEST_SKIP() << "XDG_DATA_HOME not set: this would empty the user's own trash";
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = std::wstring(temp) + L"tarmel-recycle";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring doomed = folder + L"\\doomed.txt", live = folder + L"\\live.txt";
    for (const auto& path : {doomed, live}) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    std::wstring from = doomed + L'\0'; // the list ends with a second NUL
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(SHFileOperationW(&op), 0);
    ASSERT_GT(recycleBinItems(), 0);

    EXPECT_EQ(EmptyRecycleBin(platform, display), kCleaned);

    EXPECT_EQ(recycleBinItems(), 0);
    EXPECT_NE(GetFileAttributesW(live.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(bar.position(), 100);
    DeleteFileW(live.c_str());
    RemoveDirectoryW(folder.c_str());
}

// --- a real browser frame --------------------------------------------------------------

TEST_F(Cleaners, ARealBrowserFrameIsClosedAndOtherWindowsAreLeftAlone) {
    ASSERT_EQ(FindWindowW(L"IEFrame", nullptr), nullptr) << "a browser frame is already open";

    // A window of another class beside the frame: it must get no close request.
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"TarmelBystander";
    RegisterClassW(&cls);
    HWND bystander = CreateWindowW(L"TarmelBystander", L"bystander", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                   nullptr, cls.hInstance, nullptr);
    ASSERT_NE(bystander, nullptr);

    StartedProcess browser;
    ASSERT_TRUE(startBrowser(browser)) << GetLastError();
    HWND frame = waitForWindow(L"IEFrame", browser.info.dwProcessId, std::chrono::seconds(60));
    ASSERT_NE(frame, nullptr) << "the browser showed no frame within a minute";

    CloseBrowserWindows(platform, display);

    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(FindWindowW(L"IEFrame", nullptr), nullptr);
    EXPECT_EQ(WaitForSingleObject(browser.info.hProcess, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(status.caption(), kClosingBrowserText);
    EXPECT_TRUE(caption.visible());
    EXPECT_TRUE(IsWindow(bystander));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, bystander, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
    DestroyWindow(bystander);
    UnregisterClassW(L"TarmelBystander", cls.hInstance);
}

} // namespace
