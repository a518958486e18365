// What a folder really is, on the real system: known folders, and final paths through short
// names, another case, a trailing separator and links.

#include "WinTestSupport.h"

#include "engine/TempFolderGuard.h"
#include "platform/win32/Win32Platform.h"

using namespace tv;
using namespace tv::wintest;

namespace {

std::string windowsFolder() {
    wchar_t path[MAX_PATH] = {};
    GetWindowsDirectoryW(path, MAX_PATH);
    return win32::narrowUntilNul(path);
}

TEST(FolderIdentity, KnownFoldersAreTheSystemsOwn) {
    win32::Win32Platform platform;
    EXPECT_EQ(engine::comparablePath(platform.knownFolderPath(KnownFolder::Windows)),
              engine::comparablePath(windowsFolder()));
    for (KnownFolder folder : {KnownFolder::System, KnownFolder::Profile, KnownFolder::ProgramFiles,
                               KnownFolder::Desktop, KnownFolder::Documents})
        EXPECT_FALSE(platform.knownFolderPath(folder).empty()) << static_cast<int>(folder);
}

TEST(FolderIdentity, FinalPathIsTheLongStoredNameWhateverFormItIsAskedIn) {
    win32::Win32Platform platform;
    ScratchFolder scratch("identity");
    const std::string folder = scratch / "A Long Folder Name";
    makeFolder(folder);
    const std::string final = platform.finalFolderPath(folder);
    ASSERT_FALSE(final.empty());
    EXPECT_EQ(engine::comparablePath(final), engine::comparablePath(folder));
    EXPECT_NE(final.back(), '\\');

    std::string upper = folder + "\\";
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(platform.finalFolderPath(upper), final);

    wchar_t shortForm[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(win32::widen(folder).c_str(), shortForm, MAX_PATH), 0u);
    ASSERT_NE(win32::narrowUntilNul(shortForm), folder) << "the system gave no short form";
    EXPECT_EQ(platform.finalFolderPath(win32::narrowUntilNul(shortForm)), final);

    EXPECT_EQ(platform.finalFolderPath(scratch / "missing"), "");
    makeFile(scratch / "file.txt");
    EXPECT_EQ(platform.finalFolderPath(scratch / "file.txt"), "") << "a file is no folder";
}

TEST(FolderIdentity, FinalPathOfALinkIsWhereItLeadsSoALinkToTheWindowsFolderIsRefused) {
    win32::Win32Platform platform;
    ScratchFolder scratch("identity-link");
    makeFolder(scratch / "target");
    if (makeFolderLink(scratch / "link", scratch / "target") == LinkKind::None) GTEST_SKIP() << "no folder links here";
    EXPECT_EQ(engine::comparablePath(platform.finalFolderPath(scratch / "link")),
              engine::comparablePath(platform.finalFolderPath(scratch / "target")));

    ASSERT_NE(makeFolderLink(scratch / "windows", windowsFolder()), LinkKind::None);
    EXPECT_FALSE(engine::IsPurgeableTempFolder(platform, scratch / "windows\\"));
    EXPECT_TRUE(engine::IsPurgeableTempFolder(platform, scratch / "target\\"));
    EXPECT_FALSE(engine::IsPurgeableTempFolder(platform, windowsFolder().substr(0, 3)));
}

} // namespace
