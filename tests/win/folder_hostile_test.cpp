// The folder walks against trees a careless program or an attacker leaves behind: names
// that are not one name, the host's links to files and folders, a folder swapped for a link
// while the walk pumps, and a tree hundreds of levels deep. The sharp trees live on a drive
// letter of their own, so that nothing can climb above the scratch area.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FolderWalkFixture.h"
#include "WinTestSupport.h"

namespace tv {
namespace {

using wintest::exists;
using wintest::makeFolder;

void plant(const std::string& path, const std::string& content) {
    HANDLE h = CreateFileW(wintest::longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path << " error " << GetLastError();
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
}

std::string contentOf(const std::string& path) {
    HANDLE h = CreateFileW(wintest::longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[256];
    DWORD read = 0;
    ReadFile(h, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(h);
    return std::string(buffer, read);
}

// Runs a shell script of the host and waits for its end (it leaves a mark when done).
bool runHostScript(const wintest::ScratchFolder& scratch, const std::string& script) {
    static int runs = 0;
    const std::string name = "host-script-" + std::to_string(++runs);
    const std::string done = scratch / (name + ".done");
    plant(scratch / (name + ".sh"), "set -e\n" + script + "\ntouch '" + wintest::detail::unixName(done) + "'\n");
    if (::testing::Test::HasFatalFailure()) return false;
    return wintest::detail::runHost(L"Z:\\bin\\sh " + wintest::detail::quoted(wintest::detail::unixName(scratch / (name + ".sh"))),
                                    [&] { return exists(done); });
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class HostileFolders : public wintest::FolderWalkFixture {
protected:
    void SetUp() override {
        if (!wintest::underWine()) GTEST_SKIP() << "host links and crafted names need Wine's host file system";
    }
};

// A drive letter of the test's Wine prefix whose root is a scratch folder; gone afterwards,
// with everything below it removed by the host (the crafted names defeat Windows' own calls).
class ScratchDrive {
public:
    explicit ScratchDrive(const wintest::ScratchFolder& scratch) : scratch_(scratch) {
        wchar_t prefix[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) return;
        makeFolder(scratch / "drive");
        for (char letter = 'Q'; letter <= 'Y'; ++letter) {
            const std::string root = std::string(1, letter) + ":\\";
            if (GetDriveTypeW(win32::widen(root).c_str()) != DRIVE_NO_ROOT_DIR || exists(root)) continue;
            link_ = win32::narrowUntilNul(prefix) + "/dosdevices/" + static_cast<char>(letter + 'a' - 'A') + ":";
            if (runHostScript(scratch, "ln -s " + shellQuoted(wintest::detail::unixName(scratch / "drive")) + " " +
                                           shellQuoted(link_)) &&
                exists(root)) {
                root_ = root;
                return;
            }
        }
    }
    ~ScratchDrive() {
        if (link_.empty()) return;
        runHostScript(scratch_, "rm -f " + shellQuoted(link_) + "\nrm -rf " +
                                    shellQuoted(wintest::detail::unixName(scratch_ / "drive")));
    }
    ScratchDrive(const ScratchDrive&) = delete;
    ScratchDrive& operator=(const ScratchDrive&) = delete;
    // "Q:\" or empty when no letter could be given.
    const std::string& root() const { return root_; }

private:
    const wintest::ScratchFolder& scratch_;
    std::string link_;
    std::string root_;
};

TEST_F(HostileFolders, NamesThatAreNotOneNameNeverLeadOutOfTheTarget) {
    wintest::ScratchFolder scratch("crafted");
    ScratchDrive drive(scratch);
    ASSERT_FALSE(drive.root().empty()) << "no drive letter for the scratch area";
    const std::string root = drive.root();
    const std::string top = root + "top";
    makeFolder(root + "outside");
    plant(root + "outside\\c1.txt", "canary one");
    plant(root + "c2.txt", "canary two");
    makeFolder(top);
    plant(top + "\\plain.txt", "trace");
    const std::string unixTop = wintest::detail::unixName(top);
    ASSERT_TRUE(runHostScript(scratch, "cd " + shellQuoted(unixTop) +
                                           "\nprintf trace > '..\\..\\outside\\c1.txt'"
                                           "\nprintf trace > '..\\c2.txt'"
                                           "\nmkdir 'z\\..\\..\\..\\..\\..\\..' && printf trace > 'z\\..\\..\\..\\..\\..\\../in.txt'"
                                           "\nmkdir 'x\\..' && printf trace > 'x\\../in.txt'"
                                           "\nprintf trace > 'wild*card?.txt'"
                                           "\nprintf trace > 'tail. '"));

    // The plain file, the wildcard name (by its short name) and the trailing-blank name are
    // tried; nothing with a backslash in its name is.
    const int files = count(top);
    EXPECT_EQ(files, 3);
    EXPECT_EQ(purge(top), files);
    EXPECT_EQ(contentOf(root + "outside\\c1.txt"), "canary one");
    EXPECT_EQ(contentOf(root + "c2.txt"), "canary two");
    EXPECT_TRUE(exists(top));
    EXPECT_FALSE(exists(top + "\\plain.txt"));
    EXPECT_EQ(count(top), 0); // what stays is what must: the names that are not one name
    EXPECT_TRUE(backend.boxes.empty());
}

TEST_F(HostileFolders, HostLinksToFilesAndFoldersOutsideAreLeftAndWhatTheyLeadToSurvives) {
    wintest::ScratchFolder scratch("hostlinks");
    const std::string outside = scratch / "outside";
    const std::string tree = scratch / "tree";
    makeFolder(outside);
    plant(outside + "\\c1.txt", "canary one");
    plant(scratch / "c2.txt", "canary two");
    makeFolder(tree);
    makeFolder(tree + "\\.dot");
    plant(tree + "\\.dot\\c3.txt", "canary three");
    plant(tree + "\\one.txt", "trace");
    makeFolder(tree + "\\sub");
    plant(tree + "\\sub\\two.txt", "trace");
    const std::vector<std::pair<std::string, std::string>> links{
        {tree + "\\to-outside.txt", outside + "\\c1.txt"}, {tree + "\\to-parent.txt", scratch / "c2.txt"},
        {tree + "\\sub\\to-dot.txt", tree + "\\.dot\\c3.txt"}, {tree + "\\to-folder", outside},
        {tree + "\\sub\\to-top", tree},
    };
    for (const auto& [link, target] : links) ASSERT_TRUE(wintest::detail::makeHostSymlink(link, target)) << link;

    const int files = count(tree); // two files and the three links to files, which show as files
    EXPECT_EQ(files, 5);
    EXPECT_EQ(purge(tree), files);
    EXPECT_EQ(contentOf(outside + "\\c1.txt"), "canary one");
    EXPECT_EQ(contentOf(scratch / "c2.txt"), "canary two");
    EXPECT_EQ(contentOf(tree + "\\.dot\\c3.txt"), "canary three");
    EXPECT_FALSE(exists(tree + "\\sub\\two.txt"));
    // Removing them through Windows' calls would remove what they lead to: they stay.
    for (const auto& [link, target] : links) EXPECT_TRUE(exists(link)) << link;
}

// A second program swaps folders for links to the outside while the purge pumps: the
// listing showed folders, the opens that follow find links.
TEST_F(HostileFolders, FoldersSwappedForLinksWhileThePurgePumpsAreNotEntered) {
    wintest::ScratchFolder scratch("swap");
    const std::string outside = scratch / "outside";
    const std::string tree = scratch / "tree";
    makeFolder(outside);
    plant(outside + "\\c1.txt", "canary one");
    makeFolder(scratch / "moved");
    makeFolder(tree);
    for (int i = 0; i < 4; ++i) {
        const std::string folder = tree + "\\s" + std::to_string(i);
        makeFolder(folder);
        for (int f = 0; f < 3; ++f) plant(folder + "\\f" + std::to_string(f) + ".txt", "trace");
    }
    std::string swapScript;
    for (int i = 0; i < 4; ++i) {
        const std::string folder = shellQuoted(wintest::detail::unixName(tree + "\\s" + std::to_string(i)));
        swapScript += "mv " + folder + " " + shellQuoted(wintest::detail::unixName(scratch / "moved")) + "/s" +
                      std::to_string(i) + "\nln -s " + shellQuoted(wintest::detail::unixName(outside)) + " " + folder +
                      "\n";
    }
    bool swapped = false;
    backend.onPump = [&] {
        if (swapped) return;
        swapped = true;
        EXPECT_TRUE(runHostScript(scratch, swapScript));
    };

    purge(tree);
    EXPECT_TRUE(swapped);
    EXPECT_EQ(contentOf(outside + "\\c1.txt"), "canary one");
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(exists(tree + "\\s" + std::to_string(i))) << i; // the links stay
}

TEST_F(HostileFolders, ATreeHundredsOfLevelsDeepIsPurgedWhole) {
    wintest::ScratchFolder scratch("deepest");
    std::string folder = scratch / "top";
    makeFolder(folder);
    int levels = 0;
    // Each level costs the system a longer path to create; a bound keeps the test short.
    const DWORD started = GetTickCount();
    for (; levels < 400 && GetTickCount() - started < 20000; ++levels) {
        const std::string next = folder + "\\d";
        if (!CreateDirectoryW(wintest::longForm(next).c_str(), nullptr)) break;
        HANDLE file = CreateFileW(wintest::longForm(next + "\\f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            RemoveDirectoryW(wintest::longForm(next).c_str());
            break;
        }
        CloseHandle(file);
        folder = next;
    }
    ASSERT_GT(levels, 200);
    const int files = count(scratch / "top");
    EXPECT_EQ(files, levels);
    EXPECT_EQ(purge(scratch / "top"), files);
    EXPECT_FALSE(exists(scratch / "top\\d"));
    EXPECT_TRUE(exists(scratch / "top"));
    std::printf("deep tree: %d levels, %d files counted and purged\n", levels, files);
}

} // namespace
} // namespace tv
