// The recent-documents task of the real program on planted jump lists: the pinned entries
// stay, byte for byte, in a jump list that still reads; the rest of the recent documents go.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BrowserRuns.h"
#include "ProgramDriver.h"
#include "engine/jumplists/CompoundFile.h"
#include "tests/support/JumpListBuilder.h"

namespace {

using tv::e2e::ProgramDriver;
using tv::e2e::waitUntil;
using tv::e2e::widen;
using namespace tv::e2e::browsers;
using namespace tv::testsupport;
namespace jl = tv::engine::jumplists;

// The one jump list that cannot be read with certainty stays, and is counted: nothing else.
const std::wstring kOneStayed = widen("Le nettoyage n'est pas complet\u00A0:\r1 fichier n'a pas été supprimé");

// Everything this test plants, taken away again at its end, folders it made included.
class PlantedRecent {
public:
    PlantedRecent() : recent(specialFolder(CSIDL_RECENT)) {
        for (const std::string& folder : {automatic(), custom()})
            if (!wt::exists(folder)) {
                makeFolders(folder);
                folders_.push_back(folder);
            }
    }
    ~PlantedRecent() {
        for (const std::string& file : files_) DeleteFileW(wt::longForm(file).c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(wt::longForm(*it).c_str());
    }
    std::string automatic() const { return recent + "\\AutomaticDestinations"; }
    std::string custom() const { return recent + "\\CustomDestinations"; }
    void plant(const std::string& path, const std::string& bytes) {
        writeFile(path, bytes);
        files_.push_back(path);
    }
    const std::string recent;

private:
    std::vector<std::string> files_;
    std::vector<std::string> folders_;
};

TEST(JumpListsRun, TheRecentDocumentsTaskKeepsThePinsAndTakesTheRest) {
    PlantedRecent planted;
    ASSERT_FALSE(planted.recent.empty());
    // Windows 10's form: a DestList of version 4 in a file of 512-byte sectors. Pins 2 and 5,
    // the second with a shortcut large enough for the file's own sectors.
    const std::vector<Entry> entries = {{1, false, shortcut(1)}, {2, true, shortcut(2)}, {3, false, shortcut(3, 6000)},
                                        {4, false, shortcut(4)}, {5, true, shortcut(5, 5000)}};
    const std::string pinned = planted.automatic() + "\\e2e0000000000001.automaticDestinations-ms";
    const std::string unpinned = planted.automatic() + "\\e2e0000000000002.automaticDestinations-ms";
    const std::string customList = planted.custom() + "\\e2e0000000000003.customDestinations-ms";
    const std::string shortcutFile = planted.recent + "\\tv-e2e-report.docx.lnk";
    const std::string canaryBeside = planted.automatic() + "\\tv-e2e-canary.txt";
    const std::string damaged = planted.automatic() + "\\e2e0000000000004.automaticDestinations-ms";
    const std::string damagedBytes = compoundFile(jumpListParts(4, entries)).bytes.substr(0, 2000);
    planted.plant(pinned, compoundFile(jumpListParts(4, entries)).bytes);
    planted.plant(unpinned, compoundFile(jumpListParts(4, {{1, false, shortcut(1)}})).bytes);
    planted.plant(customList, "custom destinations");
    planted.plant(shortcutFile, "L");
    planted.plant(canaryBeside, "canary");
    planted.plant(damaged, damagedBytes);

    wt::ScratchFolder scratch("e2e-jumplists");
    wt::makeFolder(scratch / "Temp");
    const std::wstring temp = widen(scratch / "Temp\\");
    ProgramDriver program(SW_SHOWNORMAL, {L"TEMP=" + temp, L"TMP=" + temp});
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    ProgramDriver::click(ProgramDriver::childrenWithText(main, L"Options").at(1));
    HWND options = program.waitForVisibleTopLevel(L"Options Windows");
    ASSERT_NE(options, nullptr);
    HWND box = ProgramDriver::childrenWithText(options, L"Derniers documents").at(0);
    ProgramDriver::click(box);
    ASSERT_TRUE(waitUntil([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    ProgramDriver::click(ProgramDriver::childrenWithText(options, L"Ok").at(0));

    ProgramDriver::click(ProgramDriver::childAt(main, 505, 338, 65, 65));
    // The kept pins are no trace; the damaged jump list is.
    EXPECT_TRUE(waitUntil([&] { return !ProgramDriver::childrenWithText(main, kOneStayed).empty(); }, 60000))
        << "not the closing text of one file that stayed";
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(main, tv::e2e::artefactPath(L"e2e-jump-lists-run.bmp")));

    EXPECT_FALSE(wt::exists(shortcutFile));
    EXPECT_FALSE(wt::exists(customList));
    EXPECT_FALSE(wt::exists(unpinned));
    EXPECT_EQ(readFile(canaryBeside), "canary");
    EXPECT_TRUE(readFile(damaged) == damagedBytes) << "the damaged jump list changed";
    const auto kept = jl::readCompoundFile(readFile(pinned));
    ASSERT_TRUE(kept) << "the jump list that kept its pins does not read";
    std::vector<std::u16string> streams;
    for (const auto& child : kept->root.children) streams.push_back(child.name);
    EXPECT_EQ(streams, (std::vector<std::u16string>{u"2", u"5", u"DestList"}));
    EXPECT_TRUE(jl::findChild(kept->root, u"2")->data == entries[1].shortcut);
    EXPECT_TRUE(jl::findChild(kept->root, u"5")->data == entries[4].shortcut);
    EXPECT_TRUE(jl::findChild(kept->root, u"DestList")->data == destList(4, {entries[1], entries[4]}, 8));
    // Nothing of the rewrite is left beside it.
    std::vector<std::string> names;
    for (const auto& [name, bytes] : snapshot(planted.automatic())) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"e2e0000000000001.automaticDestinations-ms",
                                               "e2e0000000000004.automaticDestinations-ms", "tv-e2e-canary.txt"}));

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

} // namespace
