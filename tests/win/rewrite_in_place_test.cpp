// A file rewritten in its own place on the real system: written beside the old one through
// the folder's handle, never replacing anything on creation, then renamed over the old one;
// whatever stands in the old one's place, a link included, goes as an entry.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "WinTestSupport.h"
#include "platform/win32/Win32Platform.h"

namespace {

using tv::win32::widen;
namespace wt = tv::wintest;

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(wt::longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string readFile(const std::string& path) {
    HANDLE h = CreateFileW(wt::longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<none>";
    char buffer[256];
    DWORD read = 0;
    ReadFile(h, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(h);
    return std::string(buffer, read);
}

class RewriteInPlace : public ::testing::Test {
protected:
    wt::ScratchFolder scratch{"rewrite"};
    tv::win32::Win32Platform platform;
    std::unique_ptr<tv::EntryHandle> folder() {
        auto opened = platform.openFolderHandle(scratch.path());
        EXPECT_TRUE(opened.handle);
        return std::move(opened.handle);
    }
};

TEST_F(RewriteInPlace, TheNewFileIsMadeBesideAndRenamedOverTheOldThroughHandles) {
    writeFile(scratch / "list.bin", "old bytes");
    auto dir = folder();
    auto old = dir->openChildForRewrite("list.bin");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->readContent(100), "old bytes");
    EXPECT_FALSE(old->readContent(3)) << "a file past the limit was read";
    // While it is held for the rewrite, no other program starts writing it.
    HANDLE writer = CreateFileW(wt::longForm(scratch / "list.bin").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "another program could open the file for writing";
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);

    auto written = dir->createChildFile("list.bin.new");
    ASSERT_TRUE(written);
    EXPECT_FALSE(dir->createChildFile("list.bin.new")) << "a second creation took the same name";
    EXPECT_FALSE(dir->createChildFile("list.bin")) << "a creation replaced the old file";
    EXPECT_FALSE(dir->createChildFile("..\\escaped.bin"));
    EXPECT_TRUE(written->writeContent("new bytes, longer"));
    EXPECT_TRUE(written->writeContent("new bytes")) << "a second write must leave only its own bytes";
    EXPECT_EQ(written->readContent(100), "new bytes");

    ASSERT_TRUE(written->renameOver(*dir, "list.bin", std::move(old)));
    EXPECT_EQ(readFile(scratch / "list.bin"), "new bytes");
    EXPECT_FALSE(wt::exists(scratch / "list.bin.new"));
    EXPECT_FALSE(wt::exists(scratch / "..\\escaped.bin"));
}

TEST_F(RewriteInPlace, AFileAnotherProgramHoldsIsNotReplacedAndNeitherFileChanges) {
    writeFile(scratch / "held.bin", "held bytes");
    // Held as a program holds a file it uses: its deletion, and so its replacement, refused.
    HANDLE holder = CreateFileW(wt::longForm(scratch / "held.bin").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    auto dir = folder();
    EXPECT_FALSE(dir->openChildForRewrite("held.bin")) << "a file in use opened for its rewrite";
    auto written = dir->createChildFile("held.bin.new");
    ASSERT_TRUE(written);
    ASSERT_TRUE(written->writeContent("new bytes"));
    EXPECT_FALSE(written->renameOver(*dir, "held.bin", nullptr));
    CloseHandle(holder);
    EXPECT_EQ(readFile(scratch / "held.bin"), "held bytes");
    EXPECT_EQ(written->readContent(100), "new bytes");
    EXPECT_TRUE(written->markForDeletion());
    written.reset();
    EXPECT_FALSE(wt::exists(scratch / "held.bin.new"));
}

TEST_F(RewriteInPlace, ALinkInTheOldOnesPlaceIsReplacedAsALinkAndWhatItLeadsToStays) {
    wt::makeFolder(scratch / "elsewhere");
    writeFile(scratch / "elsewhere\\precious.txt", "precious");
    const std::string link = scratch / "list.bin";
    // Wine 8 answers this call without making anything.
    bool made = CreateSymbolicLinkW(wt::longForm(link).c_str(), wt::longForm(scratch / "elsewhere\\precious.txt").c_str(),
                                    SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0 &&
                wt::exists(link);
    // Wine cannot make reparse points: a link of the host's file system is what it has.
    if (!made && wt::underWine()) made = wt::detail::makeHostSymlink(link, scratch / "elsewhere\\precious.txt");
    if (!made) GTEST_SKIP() << "no file link could be made here";
    ASSERT_EQ(readFile(link), "precious");

    auto dir = folder();
    auto written = dir->createChildFile("list.bin.new");
    ASSERT_TRUE(written);
    ASSERT_TRUE(written->writeContent("new bytes"));
    ASSERT_TRUE(written->renameOver(*dir, "list.bin", nullptr));
    written.reset();
    EXPECT_EQ(readFile(scratch / "elsewhere\\precious.txt"), "precious") << "the rename went through the link";
    EXPECT_EQ(readFile(link), "new bytes");
    EXPECT_EQ(wt::attributesOf(link) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
}

} // namespace
