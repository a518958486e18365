// Jump lists keep their pins: files made to the published formats by the tests' own builder,
// cleaned through the in-memory platform, read back by hand where it matters.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ui/RunSummary.h"
#include "engine/jumplists/CompoundFile.h"
#include "engine/jumplists/JumpListCleaner.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/host/ui_program_fixture.h"
#include "tests/support/JumpListBuilder.h"

using namespace tv;
using namespace tv::engine::jumplists;
using namespace tv::testsupport;

namespace {

const std::string kRecent = "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent";
const std::string kFolder = kRecent + "\\AutomaticDestinations";

// Twelve entries, every third one pinned, one pinned and one unpinned shortcut large enough
// to live in the file's own sectors rather than in the mini stream.
std::vector<Entry> mixedEntries() {
    std::vector<Entry> entries;
    for (std::uint32_t n = 1; n <= 12; ++n)
        entries.push_back({n, n % 3 == 0, shortcut(n, n == 6 || n == 7 ? 5000 : 150 + n)});
    return entries;
}

std::vector<std::string> namesIn(memory::MemoryPlatform& platform, const std::string& folder) {
    std::vector<std::string> names;
    if (const auto* node = platform.files.find(folder))
        for (const auto& child : node->children) names.push_back(child->name);
    std::sort(names.begin(), names.end());
    return names;
}

// Whether every storage's siblings form a red-black tree in the file's name order, as
// Windows' own reader, which searches them, needs: read straight from the bytes.
bool siblingTreeIsRedBlack(std::string_view file) {
    const std::size_t s = std::size_t{1} << (static_cast<unsigned char>(file[30]));
    std::vector<std::uint32_t> fat;
    for (std::uint32_t i = 0; i < get32(file, 44); ++i)
        for (std::size_t e = 0; e < s / 4; ++e) fat.push_back(get32(file, (get32(file, 76 + 4 * i) + 1) * s + 4 * e));
    std::string directory;
    for (std::uint32_t at = get32(file, 48); at != 0xFFFFFFFE; at = fat.at(at))
        directory.append(file.substr((at + 1) * s, s));
    auto name = [&](std::uint32_t id) {
        std::u16string n;
        for (std::size_t i = 0; i + 2 < get32(directory, 128 * id + 64) % 65536; i += 2)
            n.push_back(static_cast<char16_t>(get32(directory, 128 * id + i) & 0xFFFF));
        for (char16_t& c : n) c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
        return std::make_pair(n.size(), n);
    };
    // The black height of the subtree, or -1 when it breaks a rule.
    std::function<int(std::uint32_t, bool)> check = [&](std::uint32_t id, bool parentRed) -> int {
        if (id == 0xFFFFFFFF) return 1;
        const bool red = directory[128 * id + 67] == 0;
        const std::uint32_t left = get32(directory, 128 * id + 68), right = get32(directory, 128 * id + 72);
        if ((red && parentRed) || (left != 0xFFFFFFFF && !(name(left) < name(id))) ||
            (right != 0xFFFFFFFF && !(name(id) < name(right))))
            return -1;
        const int l = check(left, red), r = check(right, red);
        return l < 0 || l != r ? -1 : l + (red ? 0 : 1);
    };
    const std::uint32_t top = get32(directory, 76);
    return directory[128 * top + 67] == 1 && check(top, false) > 0;
}

} // namespace

TEST(JumpLists, EachVersionKeepsItsPinnedEntriesByteForByteAndLosesTheRest) {
    struct Case {
        std::uint32_t destList;
        std::uint16_t compound;
    };
    for (const Case version : {Case{1, 3}, Case{3, 3}, Case{4, 4}}) {
        SCOPED_TRACE("DestList version " + std::to_string(version.destList));
        memory::MemoryPlatform platform;
        const auto entries = mixedEntries();
        // Unknown streams, and one named like an entry the list does not hold, all kept.
        const std::vector<Part> extra = {{u"Extra", "kept as it is"}, {u"Notes", ""}, {u"1f", shortcut(31)}};
        const std::string mixed = compoundFile(jumpListParts(version.destList, entries, extra), version.compound).bytes;
        const std::string allPinned =
            compoundFile(jumpListParts(version.destList, {{1, true, shortcut(1)}}), version.compound).bytes;
        const std::string noPin =
            compoundFile(jumpListParts(version.destList, {{1, false, shortcut(1)}, {2, false, shortcut(2)}}),
                         version.compound).bytes;
        platform.files.addFile(kFolder + "\\5d696d521de238c3.automaticDestinations-ms", attr::kArchive, mixed);
        platform.files.addFile(kFolder + "\\9b9cdc69c1c24e2b.automaticDestinations-ms", attr::kArchive, allPinned);
        platform.files.addFile(kFolder + "\\1b4dd67f29cb1962.automaticDestinations-ms", attr::kArchive, noPin);
        platform.files.addFile(kFolder + "\\notes.txt", attr::kArchive, "canary");

        // The plan says what the run will do and writes nothing.
        const auto forecasts = planJumpLists(platform, kRecent);
        ASSERT_EQ(forecasts.size(), 3u);
        EXPECT_EQ(forecasts[0].action, JumpListAction::Rewrite);
        EXPECT_EQ(forecasts[0].leaving, 8);
        EXPECT_EQ(forecasts[1].action, JumpListAction::Keep);
        EXPECT_EQ(forecasts[2].action, JumpListAction::Remove);
        EXPECT_TRUE(platform.files.created.empty());
        EXPECT_TRUE(platform.files.deleted.empty());

        const JumpListTally tally = cleanJumpLists(platform, kRecent);
        EXPECT_EQ(tally.entriesRemoved, 10);
        EXPECT_EQ(tally.rewritten, 1);
        EXPECT_EQ(tally.removed, 1);
        EXPECT_EQ(tally.leftAsTheyWere, 0);
        EXPECT_EQ(namesIn(platform, kFolder),
                  (std::vector<std::string>{"5d696d521de238c3.automaticDestinations-ms",
                                            "9b9cdc69c1c24e2b.automaticDestinations-ms", "notes.txt"}));
        EXPECT_TRUE(platform.files.contentOf(kFolder + "\\9b9cdc69c1c24e2b.automaticDestinations-ms") == allPinned);
        EXPECT_EQ(platform.files.contentOf(kFolder + "\\notes.txt"), "canary");

        const std::string rewritten = *platform.files.contentOf(kFolder + "\\5d696d521de238c3.automaticDestinations-ms");
        const auto file = readCompoundFile(rewritten);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->majorVersion, version.compound);
        EXPECT_TRUE(siblingTreeIsRedBlack(rewritten));
        std::vector<Entry> pinned;
        for (const Entry& e : entries)
            if (e.pinned) pinned.push_back(e);
        std::vector<std::u16string> names;
        for (const auto& child : file->root.children) names.push_back(child.name);
        EXPECT_EQ(names, (std::vector<std::u16string>{u"3", u"6", u"9", u"c", u"1f", u"Extra", u"Notes", u"DestList"}));
        // The list of the pins alone, each record as it was; the counts follow, the revision moves on.
        EXPECT_TRUE(findChild(file->root, u"DestList")->data == destList(version.destList, pinned, 8));
        for (const Entry& e : pinned) EXPECT_TRUE(findChild(file->root, hexName(e.number))->data == e.shortcut) << e.number;
        EXPECT_EQ(findChild(file->root, u"Extra")->data, "kept as it is");
        EXPECT_EQ(findChild(file->root, u"Notes")->data, "");
        EXPECT_TRUE(findChild(file->root, u"1f")->data == shortcut(31));
    }
}

TEST(JumpLists, ALargeFileWhoseTableOutgrowsTheHeaderReadsBackAsWritten) {
    // Past 109 table sectors (7 MB in 512-byte sectors) the table's own list goes on in
    // sectors of its own.
    CompoundFile file;
    CompoundEntry big, small;
    big.name = u"9";
    big.data.assign(9u << 20, '\0');
    for (std::size_t i = 0; i < big.data.size(); i += 4093) big.data[i] = static_cast<char>(i / 4093);
    small.name = u"DestList";
    small.data = "small";
    file.root.children = {big, small};
    const auto bytes = writeCompoundFile(file);
    ASSERT_TRUE(bytes);
    EXPECT_GT(get32(*bytes, 72), 0u) << "no sector of the table's list was needed";
    const auto read = readCompoundFile(*bytes);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->root.children.size() == 2 && read->root.children[0].data == big.data &&
                read->root.children[1].data == "small");
}

TEST(JumpLists, WhatCannotBeRewrittenWithCertaintyStaysExactlyAsItWas) {
    const auto entries = mixedEntries();
    const Built good = compoundFile(jumpListParts(3, entries));
    const std::size_t lastEntry = good.entryAt(entries.size() + 1); // the last shortcut's entry
    auto damaged = [&](const std::function<void(std::string&)>& damage) {
        std::string bytes = good.bytes;
        damage(bytes);
        return bytes;
    };
    struct Case {
        const char* what;
        std::string bytes;
        JumpListAction action;
    };
    const std::vector<Case> cases = {
        {"a chain that loops", damaged([&](std::string& b) { put32(b, good.fatAt + 4 * good.firstSector[6], good.firstSector[6]); }),
         JumpListAction::Damaged},
        {"a sector past the file", damaged([&](std::string& b) { put32(b, good.entryAt(7) + 116, 0x7FFFFFF0); }),
         JumpListAction::Damaged},
        {"siblings that loop", damaged([&](std::string& b) { put32(b, lastEntry + 72, 1); }), JumpListAction::Damaged},
        {"a size past the file", damaged([&](std::string& b) { put64(b, good.entryAt(7) + 120, 1u << 30); }),
         JumpListAction::Damaged},
        {"a mini sector past the mini stream", damaged([&](std::string& b) { put32(b, good.entryAt(2) + 116, 0x40000); }),
         JumpListAction::Damaged},
        {"a file cut short", good.bytes.substr(0, good.bytes.size() / 2), JumpListAction::Damaged},
        {"a count the entries belie",
         compoundFile({{u"DestList", destList(3, entries).replace(4, 1, 1, '\x0D')}, {u"1", shortcut(1)}}).bytes,
         JumpListAction::Damaged},
        {"a pin without its shortcut",
         compoundFile({{u"DestList", destList(3, {{1, true, ""}, {2, false, ""}})}, {u"2", shortcut(2)}}).bytes,
         JumpListAction::Damaged},
        {"a version not known here", compoundFile(jumpListParts(9, entries)).bytes, JumpListAction::UnknownVersion},
    };
    memory::MemoryPlatform platform;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(planJumpList(cases[i].bytes).action, cases[i].action);
        platform.files.addFile(kFolder + "\\" + std::to_string(i) + ".automaticDestinations-ms", attr::kArchive,
                               cases[i].bytes);
    }
    // Sound ones that another program holds: one it writes (no open), one it keeps from
    // being replaced.
    platform.files.addFile(kFolder + "\\held.automaticDestinations-ms", attr::kArchive, good.bytes).heldExclusively = true;
    platform.files.addFile(kFolder + "\\used.automaticDestinations-ms", attr::kArchive, good.bytes).inUse = true;

    const JumpListTally tally = cleanJumpLists(platform, kRecent);
    EXPECT_EQ(tally.leftAsTheyWere, static_cast<int>(cases.size()) + 2);
    EXPECT_EQ(tally.rewritten + tally.removed + tally.entriesRemoved, 0);
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_TRUE(platform.files.contentOf(kFolder + "\\" + std::to_string(i) + ".automaticDestinations-ms") ==
                    cases[i].bytes)
            << cases[i].what;
    for (const char* name : {"\\held.automaticDestinations-ms", "\\used.automaticDestinations-ms"})
        EXPECT_TRUE(platform.files.contentOf(kFolder + name) == good.bytes) << name;
    // The one written beside the file in use was taken away again.
    EXPECT_EQ(platform.files.created.size(), 1u);
    EXPECT_EQ(namesIn(platform, kFolder).size(), cases.size() + 2);
}

TEST(JumpLists, AFailedWriteBesideLeavesTheOldFileAndNothingHalfWritten) {
    const std::string bytes = compoundFile(jumpListParts(4, mixedEntries()), 4).bytes;
    const std::string name = "f01b4d95cf55d32a.automaticDestinations-ms";
    const std::string elsewhere = "C:\\Users\\user\\Documents\\precious.txt";
    struct Case {
        const char* what;
        std::function<void(memory::MemoryPlatform&)> arrange;
    };
    const std::vector<Case> cases = {
        {"a folder that refuses new files", [](memory::MemoryPlatform& p) { p.files.find(kFolder)->refusesNewFiles = true; }},
        {"a full disk", [](memory::MemoryPlatform& p) { p.files.freeBytes = 1000; }},
        {"a disk that stores other bytes", [](memory::MemoryPlatform& p) { p.files.garbleWrites = true; }},
        {"the old file swapped for a link meanwhile",
         [&](memory::MemoryPlatform& p) {
             p.files.beforeOpen = [&p, &name, &elsewhere](const std::string& asked) {
                 if (asked.find(".tarmveilon-") == std::string::npos || p.files.find(elsewhere)) return;
                 p.files.addFile(elsewhere, attr::kArchive, "precious");
                 p.files.swapForHostLink(kFolder + "\\" + name, elsewhere);
             };
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        memory::MemoryPlatform platform;
        platform.files.addFile(kFolder + "\\" + name, attr::kArchive, bytes);
        c.arrange(platform);
        const JumpListTally tally = cleanJumpLists(platform, kRecent);
        EXPECT_EQ(tally.leftAsTheyWere, 1);
        EXPECT_EQ(tally.rewritten, 0);
        EXPECT_EQ(namesIn(platform, kFolder), std::vector<std::string>{name});
        if (platform.files.find(elsewhere)) {
            EXPECT_TRUE(platform.files.find(kFolder + "\\" + name)->isLink()) << "the link was not left as it was";
            EXPECT_EQ(platform.files.contentOf(elsewhere), "precious");
        } else {
            EXPECT_TRUE(platform.files.contentOf(kFolder + "\\" + name) == bytes);
        }
    }
}

// The recent-documents task: its shortcuts and CustomDestinations go as before, the jump
// lists are the jump-list cleaner's, and the one that stays is counted at the end.
class RecentDocuments : public uitest::StartedProgram {};

TEST_F(RecentDocuments, TheTaskLeavesPinsInPlaceAndCountsTheJumpListThatStayed) {
    const std::string pinnedAndNot = compoundFile(jumpListParts(3, mixedEntries())).bytes;
    const std::string damaged = pinnedAndNot.substr(0, 1500);
    platform.files.addFile(kRecent + "\\report.docx.lnk");
    platform.files.addFile(kRecent + "\\CustomDestinations\\590aee7bdd69b59b.customDestinations-ms");
    platform.files.addFile(kFolder + "\\5d696d521de238c3.automaticDestinations-ms", attr::kArchive, pinnedAndNot);
    platform.files.addFile(kFolder + "\\7e4dca80246863e3.automaticDestinations-ms", attr::kArchive, damaged);
    start();
    ui::Form1->TaskFlags[engine::tkRecentDocs] = 1;
    app.dispatch([] { ui::Form1->Image6.userClick(); });

    EXPECT_FALSE(platform.files.exists(kRecent + "\\report.docx.lnk"));
    EXPECT_EQ(platform.files.fileCountBelow(kRecent + "\\CustomDestinations"), 0);
    const auto rewritten = readCompoundFile(*platform.files.contentOf(kFolder + "\\5d696d521de238c3.automaticDestinations-ms"));
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->root.children.size(), 5u); // the DestList and the four pins
    EXPECT_TRUE(platform.files.contentOf(kFolder + "\\7e4dca80246863e3.automaticDestinations-ms") == damaged);
    // The purge neither entered the jump lists' folder nor counted its files: one stayed.
    EXPECT_EQ(ui::Form1->Label10.caption(), std::string(ui::kIncompleteHeading) + "\r1 fichier n'a pas été supprimé");
}
