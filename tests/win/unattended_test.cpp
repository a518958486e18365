// The unattended program's platform services on the real system: the run lock, and the
// journal's file, appended to and never reached through a link.

#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "platform/win32/Win32Platform.h"

namespace wt = tv::wintest;
using tv::RunLockState;

namespace {

std::string contentOf(const std::string& path) {
    HANDLE h = CreateFileW(wt::longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "(none)";
    std::string bytes(4096, '\0');
    DWORD read = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    bytes.resize(read);
    return bytes;
}

} // namespace

TEST(RunLock, OneRunAtATimeInTheSessionEvenARunInsideARun) {
    tv::win32::Win32Platform platform;
    tv::RunLock first = platform.takeRunLock();
    ASSERT_EQ(first.state, RunLockState::Taken) << "error " << first.error;
    EXPECT_EQ(platform.takeRunLock().state, RunLockState::HeldElsewhere);
    // Named in the session's own namespace, where another program of the session finds it.
    HANDLE named = OpenSemaphoreW(SYNCHRONIZE, FALSE, L"Local\\TarmelVeilo.CleaningRun");
    ASSERT_NE(named, nullptr) << GetLastError();
    EXPECT_EQ(WaitForSingleObject(named, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    first.hold.reset();
    EXPECT_EQ(WaitForSingleObject(named, 0), static_cast<DWORD>(WAIT_OBJECT_0)); // let go: anyone may take it
    ReleaseSemaphore(named, 1, nullptr);
    CloseHandle(named);
    EXPECT_TRUE(platform.takeRunLock().taken());
}

TEST(AppendFile, MadeThenAppendedToAndNeverThroughALinkOrOntoAFolder) {
    wt::ScratchFolder scratch("append");
    tv::win32::Win32Platform platform;
    const std::string journal = scratch / "journal.txt";
    {
        tv::AppendOpening made = platform.openForAppend(journal);
        ASSERT_TRUE(made.file) << "error " << made.error;
        EXPECT_TRUE(made.file->append("un\r\n"));
        // Held while it is open: a purge cannot take it away meanwhile.
        EXPECT_FALSE(DeleteFileW(wt::longForm(journal).c_str()));
    }
    {
        tv::AppendOpening again = platform.openForAppend(journal);
        ASSERT_TRUE(again.file) << "error " << again.error;
        EXPECT_TRUE(again.file->append("deux\r\n"));
    }
    EXPECT_EQ(contentOf(journal), "un\r\ndeux\r\n");

    wt::makeFolder(scratch / "dossier");
    EXPECT_FALSE(platform.openForAppend(scratch / "dossier").file);
    EXPECT_FALSE(platform.openForAppend(scratch / "absent\\journal.txt").file);

    if (!wt::underWine()) GTEST_SKIP() << "the links below are the host's, as Wine shows them";
    const std::string target = scratch / "cible.txt";
    wt::makeFile(target);
    ASSERT_TRUE(wt::detail::makeHostSymlink(scratch / "lien.txt", target));
    const tv::AppendOpening link = platform.openForAppend(scratch / "lien.txt");
    EXPECT_FALSE(link.file);
    EXPECT_TRUE(link.link);
    EXPECT_EQ(contentOf(target), "x");
    // A link that leads nowhere any more: nothing is made where it leads.
    wt::makeFile(scratch / "ailleurs.txt");
    ASSERT_TRUE(wt::detail::makeHostSymlink(scratch / "vide.txt", scratch / "ailleurs.txt"));
    ASSERT_TRUE(DeleteFileW(wt::longForm(scratch / "ailleurs.txt").c_str()));
    const tv::AppendOpening dangling = platform.openForAppend(scratch / "vide.txt");
    EXPECT_FALSE(dangling.file);
    EXPECT_FALSE(wt::exists(scratch / "ailleurs.txt"));
    wt::detail::removeHostSymlink(scratch / "lien.txt");
    wt::detail::removeHostSymlink(scratch / "vide.txt");
}
