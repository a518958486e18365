// The remaining services on the real system: special folders, the URL cache, the history
// store, error texts, libraries, windows and accounts.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <wininet.h>

#include <string>

#include "WinTestSupport.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv {
namespace {

using win32::widen;

TEST(Win32Folders, SpecialTempAndProgramFolders) {
    win32::Win32Platform platform;
    for (int csidl : {kCsidlRecent, kCsidlInternetCache, kCsidlCookies, kCsidlHistory})
        EXPECT_FALSE(platform.specialFolderPath(csidl).empty()) << csidl;
    EXPECT_EQ(platform.specialFolderPath(0x7777), "");

    const std::string temp = platform.tempFolderPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(wintest::exists(temp));

    const std::string program = platform.programFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), '\\');
    EXPECT_TRUE(wintest::exists(program + "win_tests.exe"));
}

// An entry committed by the test is found by the enumeration, in the probe-then-fetch
// rhythm of the cleaner, and deleted.
TEST(Win32UrlCache, CommittedEntryIsEnumeratedAndDeleted) {
    win32::Win32Platform platform;
    const std::wstring url = L"http://tarmel-veilo.test/page-" + std::to_wstring(GetCurrentProcessId()) + L".html";
    wintest::commitCacheEntry(url);
    if (HasFatalFailure()) return;

    const UrlCacheFirst probe = platform.urlCacheFindFirst(0);
    EXPECT_FALSE(probe.call.ok);
    EXPECT_EQ(probe.call.lastError, kErrorInsufficientBuffer);
    EXPECT_EQ(probe.enumeration, nullptr);
    ASSERT_GT(probe.call.requiredSize, 0u);

    UrlCacheFirst first = platform.urlCacheFindFirst(probe.call.requiredSize);
    ASSERT_TRUE(first.call.ok) << first.call.lastError;
    ASSERT_NE(first.enumeration, nullptr);
    bool found = first.call.sourceUrl == win32::narrow(url);
    for (int guard = 0; !found && guard < 100000; ++guard) {
        const UrlCacheCall next = first.enumeration->findNext(0);
        if (next.lastError == kErrorNoMoreItems) break;
        ASSERT_EQ(next.lastError, kErrorInsufficientBuffer);
        const UrlCacheCall fetched = first.enumeration->findNext(next.requiredSize);
        ASSERT_TRUE(fetched.ok) << fetched.lastError;
        found = fetched.sourceUrl == win32::narrow(url);
    }
    EXPECT_TRUE(found);
    first.enumeration.reset();

    EXPECT_TRUE(platform.deleteUrlCacheEntry(win32::narrow(url)));
    DWORD size = 0;
    EXPECT_FALSE(GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(platform.deleteUrlCacheEntry(win32::narrow(url)));
}

TEST(Win32History, StoreIsCreatedAndOffersItsInterface) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        win32::Win32Platform platform;
        UrlHistoryCreation creation = platform.createUrlHistory();
        ASSERT_GE(creation.hresult, 0);
        ASSERT_NE(creation.object, nullptr);
        auto store = creation.object->queryHistoryStg2();
        ASSERT_NE(store, nullptr);
        store->clearHistory();
    }
    CoUninitialize();
}

TEST(Win32Errors, SystemDescriptionsAndTheirAbsence) {
    win32::Win32Platform platform;
    const std::string denied = platform.describeError(static_cast<std::int32_t>(kErrorAccessDenied));
    EXPECT_FALSE(denied.empty());
    EXPECT_NE(denied.back(), '\n');
    // A code with the customer bit set is nobody's message.
    EXPECT_EQ(platform.describeError(0x2000ABCD), "");
}

TEST(Win32Libraries, FunctionsAreLookedUpByName) {
    win32::Win32Platform platform;
    EXPECT_EQ(platform.loadLibrary("NoSuchLibraryTarmel.dll"), nullptr);
    auto shell = platform.loadLibrary("Shell32.dll");
    ASSERT_NE(shell, nullptr);
    EXPECT_TRUE(shell->hasFunction("SHEmptyRecycleBinA"));
    EXPECT_FALSE(shell->hasFunction("SHEmptyRecycleBinTarmel"));
    EXPECT_FALSE(shell->callEmptyRecycleBin("SHEmptyRecycleBinTarmel", 0, "", 7));
}

LRESULT CALLBACK plainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Win32Windows, FrameIsFoundAndClosesOnRequest) {
    win32::Win32Platform platform;
    const wchar_t* className = L"TarmelVeiloTestFrame";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = plainWindow;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    EXPECT_EQ(platform.findWindow("TarmelVeiloTestFrame"), 0u);

    HWND frame = CreateWindowExW(0, className, L"Cadre", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
    ASSERT_NE(frame, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame, nullptr, windowClass.hInstance,
                                 nullptr);
    ASSERT_NE(child, nullptr);

    const WindowHandle found = platform.findWindow("TarmelVeiloTestFrame");
    EXPECT_EQ(found, reinterpret_cast<WindowHandle>(frame));
    EXPECT_EQ(platform.parentWindow(reinterpret_cast<WindowHandle>(child)), found);
    EXPECT_EQ(platform.parentWindow(found), 0u);

    EXPECT_TRUE(platform.postMessage(found, WM_SYSCOMMAND, SC_CLOSE, 0));
    MSG message;
    for (int i = 0; i < 200 && IsWindow(frame); ++i) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (IsWindow(frame)) Sleep(5);
    }
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(platform.findWindow("TarmelVeiloTestFrame"), 0u);
    EXPECT_FALSE(platform.postMessage(found, WM_SYSCOMMAND, SC_CLOSE, 0));
    UnregisterClassW(className, windowClass.hInstance);
}

// The identifier's parts, read through the accessors, spell what the system's own
// conversion gives.
std::string sidText(PlatformServices& platform, const std::vector<std::uint8_t>& sid) {
    const auto authority = platform.sidIdentifierAuthority(sid);
    std::uint64_t value = 0;
    for (std::uint8_t byte : authority) value = value << 8 | byte;
    std::string text = "S-1-";
    text += std::to_string(value);
    for (std::uint32_t i = 0; i < platform.sidSubAuthorityCount(sid); ++i) {
        text += '-';
        text += std::to_string(platform.sidSubAuthority(sid, i));
    }
    return text;
}

TEST(Win32Accounts, UserIsLookedUpWithAProbeAndItsIdentifierReadBack) {
    win32::Win32Platform platform;
    const NameRead user = platform.userName(81);
    ASSERT_TRUE(user.ok) << user.lastError;
    ASSERT_FALSE(user.name.empty());
    const NameRead computer = platform.computerName(81);
    ASSERT_TRUE(computer.ok) << computer.lastError;
    EXPECT_FALSE(computer.name.empty());

    // No room for the terminator: a failure, never a cut name.
    const NameRead cut = platform.userName(static_cast<std::uint32_t>(widen(user.name).size()));
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.lastError, kErrorInsufficientBuffer);

    const AccountLookup probe = platform.lookupAccountName(computer.name, user.name, 0, 64);
    EXPECT_FALSE(probe.ok);
    EXPECT_EQ(probe.lastError, kErrorInsufficientBuffer);
    ASSERT_GT(probe.sidSize, 0u);
    const AccountLookup lookup = platform.lookupAccountName(computer.name, user.name, probe.sidSize, 64);
    ASSERT_TRUE(lookup.ok) << lookup.lastError;
    ASSERT_TRUE(platform.isValidSid(lookup.sid));

    wchar_t* systemText = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(const_cast<std::uint8_t*>(lookup.sid.data()), &systemText));
    const std::string expected = win32::narrowUntilNul(systemText);
    LocalFree(systemText);
    EXPECT_EQ(sidText(platform, lookup.sid), expected);

    // Bytes that cannot be an identifier are refused without being read past their end.
    EXPECT_FALSE(platform.isValidSid({}));
    EXPECT_FALSE(platform.isValidSid({1, 5, 0, 0, 0, 0, 0, 5}));
    EXPECT_EQ(platform.sidSubAuthority({1, 5, 0, 0, 0, 0, 0, 5}, 0), 0u);
}

TEST(Win32Time, SleepMovesTheClock) {
    win32::Win32Platform platform;
    const std::uint64_t before = platform.tickMilliseconds();
    platform.sleep(50);
    EXPECT_GE(platform.tickMilliseconds() - before, 30u);
}

} // namespace
} // namespace tv
