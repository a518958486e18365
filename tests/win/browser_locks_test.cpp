// A browser's own lock held by the program, and where a path lies, on the real system.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "WinTestSupport.h"
#include "platform/win32/Win32Platform.h"

namespace tv {
namespace {

using wintest::exists;
using wintest::longForm;

// Opens the file as the browsers open their locks: Chromium with write access, sharing
// reads; Firefox with read and write access, sharing nothing.
DWORD browserOpenError(const std::string& path, DWORD access, DWORD share) {
    HANDLE h = CreateFileW(longForm(path).c_str(), access, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(h);
    return ERROR_SUCCESS;
}

TEST(Win32BrowserLocks, AHeldLockOpensForNoBrowserAndOneTheHoldMadeGoesWithIt) {
    wintest::ScratchFolder scratch("browser-locks");
    win32::Win32Platform platform;
    FolderOpening folder = platform.openFolderHandle(scratch.path());
    ASSERT_TRUE(folder.handle);

    FileHold made = folder.handle->holdChildFile("lockfile");
    ASSERT_TRUE(made.held);
    EXPECT_TRUE(exists(scratch / "lockfile"));
    EXPECT_EQ(browserOpenError(scratch / "lockfile", GENERIC_WRITE, FILE_SHARE_READ), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(browserOpenError(scratch / "lockfile", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE),
              DWORD(ERROR_SHARING_VIOLATION));
    made.held.reset();
    EXPECT_FALSE(exists(scratch / "lockfile"));

    // A lock a browser left behind is held as it is, and stays.
    wintest::makeFile(scratch / "parent.lock");
    FileHold left = folder.handle->holdChildFile("parent.lock");
    ASSERT_TRUE(left.held);
    EXPECT_EQ(browserOpenError(scratch / "parent.lock", GENERIC_READ | GENERIC_WRITE, 0), DWORD(ERROR_SHARING_VIOLATION));
    left.held.reset();
    EXPECT_TRUE(exists(scratch / "parent.lock"));

    // One a running browser holds cannot be held, and says so.
    HANDLE browser = CreateFileW(longForm(scratch / "parent.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(browser, INVALID_HANDLE_VALUE);
    FileHold running = folder.handle->holdChildFile("parent.lock");
    CloseHandle(browser);
    EXPECT_FALSE(running.held);
    EXPECT_TRUE(running.inUse);

    // A folder of that name is no lock.
    wintest::makeFolder(scratch / "Folder");
    FileHold folderHold = folder.handle->holdChildFile("Folder");
    EXPECT_FALSE(folderHold.held);
    EXPECT_FALSE(folderHold.inUse);
}

TEST(Win32Drives, APathsDriveIsToldWithoutReachingIt) {
    win32::Win32Platform platform;
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::string system = std::string(1, static_cast<char>(windows[0])) + ":\\Users";
    EXPECT_EQ(platform.driveKind(system), DriveKind::Local);
    EXPECT_EQ(platform.driveKind("\\\\?\\" + system), DriveKind::Local);
    EXPECT_EQ(platform.driveKind("\\\\server\\share\\Profiles\\a.default"), DriveKind::Network);
    EXPECT_EQ(platform.driveKind("\\\\?\\UNC\\server\\share\\a"), DriveKind::Network);
    EXPECT_EQ(platform.driveKind("\\\\.\\pipe\\profile"), DriveKind::Device);
    EXPECT_EQ(platform.driveKind("Profiles\\a.default"), DriveKind::Device);
    // A letter no drive has.
    const DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 3; --letter)
        if ((drives & (1u << letter)) == 0) {
            EXPECT_EQ(platform.driveKind(std::string(1, static_cast<char>('A' + letter)) + ":\\ff"), DriveKind::Absent);
            break;
        }
}

} // namespace
} // namespace tv
