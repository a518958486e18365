#include <gtest/gtest.h>

#include "engine/FolderOps.h"
#include "platform/memory/MemoryPlatform.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "ui/WindowRun.h"

using namespace tv;
using namespace tv::toolkit;

namespace {

const std::string kRoot = "C:\\Users\\user\\Traces";

struct FolderFixture : ::testing::Test {
    memory::MemoryPlatform platform;
    HeadlessBackend backend;
    Application app{backend};
    ProgressBar bar{"ProgressBar1"};
    Label status{"Label10"}, caption{"Label11"}, count1{"Label1"};
    CheckBox master{"CheckBox25"};
    ui::WindowRun display{app, {}, {status, caption, bar, master, count1}};

    FolderFixture() {
        app.setTitle("Tarmel Veilo");
        bar.setRange(0, 1000);
    }
    int count(const std::string& path) { return engine::CountFiles(platform, display, path); }
    void purge(const std::string& path) { engine::PurgeFolder(platform, display, path); }
    bool has(const std::string& relative) { return platform.files.exists(kRoot + "\\" + relative); }
};

} // namespace

TEST_F(FolderFixture, HiddenSystemAndReadOnlyFilesAreCountedAndAllButReadOnlyGo) {
    platform.files.addFile(kRoot + "\\plain.txt");
    platform.files.addFile(kRoot + "\\hidden.dat", attr::kHidden);
    platform.files.addFile(kRoot + "\\system.dat", attr::kSystem | attr::kHidden);
    platform.files.addFile(kRoot + "\\locked.txt", attr::kReadOnly);
    platform.files.addFile(kRoot + "\\sub\\inuse.txt").inUse = true;
    EXPECT_EQ(count(kRoot), 5);

    purge(kRoot);
    EXPECT_TRUE(platform.files.exists(kRoot)); // the folder itself stays
    EXPECT_FALSE(has("plain.txt"));
    EXPECT_FALSE(has("hidden.dat"));
    EXPECT_FALSE(has("system.dat"));
    EXPECT_TRUE(has("locked.txt"));
    EXPECT_TRUE(has("sub\\inuse.txt")); // and so its folder stays too
    EXPECT_EQ(bar.position(), 50);      // every file stepped, deleted or not
}

TEST_F(FolderFixture, DotFoldersAreLeftWholeButDotFilesAreNot) {
    platform.files.addFile(kRoot + "\\.profile");
    platform.files.addFile(kRoot + "\\.git\\config");
    platform.files.addFile(kRoot + "\\.git\\objects\\pack");
    EXPECT_EQ(count(kRoot), 1);
    purge(kRoot);
    EXPECT_FALSE(has(".profile"));
    EXPECT_TRUE(has(".git\\config"));
    EXPECT_TRUE(has(".git\\objects\\pack"));
    EXPECT_EQ(bar.position(), 10);
}

TEST_F(FolderFixture, TrailingBackslashMakesNoDifference) {
    for (int i = 0; i < 3; ++i) platform.files.addFile(kRoot + "\\f" + std::to_string(i));
    EXPECT_EQ(count(kRoot), 3);
    EXPECT_EQ(count(kRoot + "\\"), 3);
    purge(kRoot + "\\");
    EXPECT_EQ(platform.files.fileCountBelow(kRoot), 0);
    EXPECT_EQ(platform.files.deleted.front(), kRoot + "\\f0"); // no doubled separator
}

TEST_F(FolderFixture, NestedTreesAreWalkedDepthFirstAndEmptiedFoldersRemoved) {
    platform.files.addFile(kRoot + "\\a\\b\\c\\deep.txt");
    platform.files.addFile(kRoot + "\\a\\b\\mid.txt");
    platform.files.addFile(kRoot + "\\a\\top.txt");
    platform.files.addFolder(kRoot + "\\empty");
    EXPECT_EQ(count(kRoot), 3); // folders are not counted
    EXPECT_EQ(platform.files.mostOpenHandles(), 4); // one per level reached
    purge(kRoot);
    EXPECT_FALSE(has("a"));
    EXPECT_FALSE(has("empty"));
    EXPECT_EQ(bar.position(), 30);
    EXPECT_EQ(platform.files.openHandles(), 0);
    // A subfolder is emptied and removed where its entry comes.
    ASSERT_EQ(platform.files.removed.size(), 4u);
    EXPECT_EQ(platform.files.removed[0], kRoot + "\\a\\b\\c");
}

TEST_F(FolderFixture, EmptyPathShowsErrorOnceAndChangesNothing) {
    platform.files.addFile(kRoot + "\\keep.txt");
    EXPECT_EQ(count(""), 0);
    purge("");
    ASSERT_EQ(backend.boxes.size(), 2u);
    for (const auto& box : backend.boxes) {
        EXPECT_EQ(box.text, "erreur");
        EXPECT_EQ(box.caption, "Tarmel Veilo");
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
        EXPECT_EQ(box.icon, MessageIcon::None);
    }
    EXPECT_TRUE(has("keep.txt"));
    EXPECT_EQ(bar.position(), 0);
}

TEST_F(FolderFixture, MissingOrUnreadableFolderIsQuietAndCountsNothing) {
    EXPECT_EQ(count(kRoot + "\\nowhere"), 0);
    purge(kRoot + "\\nowhere");
    platform.files.addFile(kRoot + "\\closed\\secret.txt");
    platform.files.find(kRoot + "\\closed")->unreadable = true;
    EXPECT_EQ(count(kRoot + "\\closed"), 0);
    purge(kRoot);
    EXPECT_TRUE(has("closed\\secret.txt"));
    EXPECT_TRUE(backend.boxes.empty());
    EXPECT_EQ(bar.position(), 0);
}

TEST_F(FolderFixture, LinksAreRemovedButNeverEnteredNorCounted) {
    const std::string outside = "C:\\Users\\user\\Documents";
    platform.files.addFile(outside + "\\canary.txt");
    platform.files.addLink(kRoot + "\\junction", outside);
    platform.files.addLink(kRoot + "\\loop", kRoot); // leads back to its own parent
    platform.files.addFile(kRoot + "\\trace.txt");
    EXPECT_EQ(count(kRoot), 1);
    purge(kRoot);
    EXPECT_TRUE(platform.files.exists(outside + "\\canary.txt"));
    EXPECT_FALSE(has("junction"));
    EXPECT_FALSE(has("loop"));
    EXPECT_FALSE(has("trace.txt"));
    EXPECT_EQ(bar.position(), 10);
}

TEST_F(FolderFixture, AnEnumerationThatBreaksKeepsWhatItGathered) {
    for (int i = 0; i < 6; ++i) platform.files.addFile(kRoot + "\\f" + std::to_string(i));
    platform.files.find(kRoot)->failEnumerationAfter = 5; // ".", "..", then three files
    EXPECT_EQ(count(kRoot), 3);
    purge(kRoot);
    EXPECT_EQ(platform.files.fileCountBelow(kRoot), 3);
    EXPECT_EQ(platform.files.openHandles(), 0);
}

TEST_F(FolderFixture, ProgressStepsEqualTheCountAndWrapPastTheMaximum) {
    for (int i = 0; i < 13; ++i) platform.files.addFile(kRoot + "\\f" + std::to_string(i));
    const int files = count(kRoot);
    bar.setRange(0, 100);
    purge(kRoot);
    EXPECT_EQ(static_cast<int>(platform.files.deleted.size()), files);
    // 13 steps of 10 on a bar of 100: the eleventh passes the maximum and starts again.
    EXPECT_EQ(bar.position(), 30);
}

TEST_F(FolderFixture, PumpRunsBeforeTheFirstFileAndThenByTime) {
    for (int i = 0; i < 50; ++i) platform.files.addFile(kRoot + "\\f" + std::to_string(i));
    int clicksSeen = 0;
    backend.queued.push_back([&] { ++clicksSeen; }); // a click waiting when the walk starts
    count(kRoot);
    EXPECT_EQ(clicksSeen, 1);
    EXPECT_EQ(backend.pumpCount, 1); // the clock did not move: one pump only
    // When time passes between files the window is served again.
    platform.tickStepMs = engine::kPumpIntervalMs;
    backend.pumpCount = 0;
    count(kRoot);
    EXPECT_EQ(backend.pumpCount, 50);
}

TEST_F(FolderFixture, APumpSlowerThanTheIntervalDoesNotMakeEveryFilePump) {
    for (int i = 0; i < 50; ++i) platform.files.addFile(kRoot + "\\f" + std::to_string(i));
    // Each pump takes longer than the interval, the files themselves take no time.
    backend.onPump = [&] { platform.clockMs += 2 * engine::kPumpIntervalMs; };
    purge(kRoot);
    EXPECT_EQ(backend.pumpCount, 1);
    EXPECT_EQ(bar.position(), 500); // every file stepped all the same
}

TEST_F(FolderFixture, ErrorsRaisedDuringOneEntryAreDropped) {
    for (int i = 0; i < 4; ++i) platform.files.addFile(kRoot + "\\f" + std::to_string(i));
    backend.onPump = [&, first = true]() mutable {
        if (first) {
            first = false;
            throw std::runtime_error("handler failed");
        }
    };
    purge(kRoot);
    // The file whose pump raised was skipped, the walk went on with the rest.
    EXPECT_EQ(platform.files.fileCountBelow(kRoot), 1);
}

TEST_F(FolderFixture, SpecialAndTemporaryFolders) {
    EXPECT_EQ(engine::RenvoiDossier(platform, kCsidlCookies), platform.specialFolders[kCsidlCookies]);
    EXPECT_EQ(engine::RenvoiDossier(platform, 9999), "");
    purge(engine::RenvoiDossier(platform, 9999));
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, "erreur");
    EXPECT_EQ(engine::TempFolderPath(platform), platform.tempPath);
}

// --- hostile trees: whatever the target holds, nothing outside it is touched ---

namespace {

struct HostileTree : FolderFixture {
    // Canaries beside the target, in its parent and at the drive's root, each with its own
    // content; a walk that climbs out of the target deletes one of them.
    const std::vector<std::pair<std::string, std::string>> canaries{
        {"C:\\Users\\user\\outside\\c1.txt", "canary one"},
        {"C:\\Users\\user\\Traces-sibling\\c2.txt", "canary two"},
        {"C:\\Users\\user\\c3.txt", "canary three"},
        {"C:\\c4.txt", "canary four"},
        {kRoot + "\\.keep\\c5.txt", "canary five"},
    };
    HostileTree() {
        bar.setStep(1);
        bar.setRange(0, 1000000);
        for (const auto& [path, content] : canaries) platform.files.addFile(path, attr::kArchive, content);
    }
    void expectCanariesWhole() {
        for (const auto& [path, content] : canaries) EXPECT_EQ(platform.files.contentOf(path), content) << path;
    }
    // Counts, purges, and checks that the purge stepped once per counted file.
    int countThenPurge(const std::string& path) {
        const int files = count(path);
        purge(path);
        EXPECT_EQ(bar.position(), files);
        return files;
    }
};

} // namespace

TEST_F(HostileTree, NamesThatAreNotOneNameAreNeitherEnteredCountedNorRemoved) {
    platform.files.addFile(kRoot + "\\plain.txt");
    auto& top = platform.files.addFolder(kRoot);
    platform.files.addChild(top, "..\\..\\outside\\c1.txt", attr::kArchive);
    platform.files.addChild(top, "..\\c3.txt", attr::kArchive);
    platform.files.addChild(top, "../Traces-sibling/c2.txt", attr::kArchive);
    auto& climber = platform.files.addChild(top, "z\\..\\..\\..\\..\\..\\..", attr::kDirectory);
    platform.files.addChild(climber, "inside.txt", attr::kArchive);
    platform.files.addChild(top, "x\\..", attr::kDirectory); // entering it enters its own parent
    platform.files.addChild(top, std::string("nul\0.txt", 8), attr::kArchive);
    platform.files.addChild(top, "..", attr::kArchive);
    platform.files.addChild(top, ".", attr::kDirectory);

    EXPECT_EQ(countThenPurge(kRoot), 1);
    expectCanariesWhole();
    EXPECT_FALSE(has("plain.txt"));
    EXPECT_EQ(top.children.size(), 9u); // every crafted entry and the dot folder stay
    EXPECT_EQ(platform.files.openHandles(), 0);
}

TEST_F(HostileTree, NamesTheSystemTakesForPatternsGoByTheirShortNames) {
    auto& top = platform.files.addFolder(kRoot);
    platform.files.addChild(top, "star*name", attr::kArchive).altName = "STAR~1";
    platform.files.addChild(top, "q?\"<>|:", attr::kArchive).altName = "Q___~1";
    platform.files.addChild(top, "no*short", attr::kArchive); // nothing to open it by
    platform.files.addChild(top, "back\\slash", attr::kArchive).altName = "BACK~1";
    platform.files.addChild(top, "bad*short", attr::kArchive).altName = "X\\~1";

    EXPECT_EQ(countThenPurge(kRoot), 2);
    ASSERT_EQ(top.children.size(), 4u);
    EXPECT_EQ(top.children[0]->name, ".keep");
    EXPECT_EQ(top.children[1]->name, "no*short");
    EXPECT_EQ(top.children[2]->name, "back\\slash");
    EXPECT_EQ(top.children[3]->name, "bad*short");
}

TEST_F(HostileTree, LinksAreRemovedAsLinksOrLeftButNeverFollowed) {
    platform.files.addFile(kRoot + "\\plain.txt");
    // Links the system opens as themselves: they go, what they lead to stays.
    platform.files.addFileLink(kRoot + "\\to-outside.txt", "C:\\Users\\user\\outside\\c1.txt");
    platform.files.addLink(kRoot + "\\to-parent", "C:\\Users\\user");
    // Links the system opens through, as Wine does with the host's links: they stay.
    platform.files.addHostLink(kRoot + "\\host-c1.txt", "C:\\Users\\user\\outside\\c1.txt");
    platform.files.addHostLink(kRoot + "\\host-c3.txt", "C:\\Users\\user\\c3.txt");
    platform.files.addHostLink(kRoot + "\\sub\\host-c5.txt", kRoot + "\\.keep\\c5.txt");
    platform.files.addHostLink(kRoot + "\\sub\\host-sibling", kRoot + "\\plain.txt");
    platform.files.addHostLink(kRoot + "\\host-root", "C:\\");
    platform.files.addHostLink(kRoot + "\\host-loop", kRoot);

    // Every file entry is tried: the plain file, the file link and the four host file links.
    EXPECT_EQ(countThenPurge(kRoot), 6);
    expectCanariesWhole();
    EXPECT_FALSE(has("plain.txt"));
    EXPECT_FALSE(has("to-outside.txt"));
    EXPECT_FALSE(has("to-parent"));
    for (const char* link : {"host-c1.txt", "host-c3.txt", "sub\\host-c5.txt", "sub\\host-sibling", "host-root", "host-loop"})
        EXPECT_TRUE(has(link)) << link;
}

// A second program swaps a folder or a file for a link between the listing that showed it
// and the open that follows, or while the walk is pumping.
TEST_F(HostileTree, EntriesSwappedForLinksDuringTheWalkAreNotFollowed) {
    platform.files.addFile(kRoot + "\\a\\first.txt");
    platform.files.addFile(kRoot + "\\a\\b\\deep.txt");
    platform.files.addFile(kRoot + "\\c\\file.txt");
    platform.files.addFile(kRoot + "\\d.txt");
    platform.files.addFile(kRoot + "\\e\\f.txt");
    platform.files.beforeOpen = [&](const std::string& path) {
        if (path == kRoot + "\\c") platform.files.swapForHostLink(path, "C:\\Users\\user\\outside");
        if (path == kRoot + "\\d.txt") platform.files.swapForHostLink(path, "C:\\Users\\user\\c3.txt");
    };
    backend.onPump = [&, swapped = false]() mutable {
        if (swapped) return;
        swapped = true;
        platform.files.swapForHostLink(kRoot + "\\a\\b", "C:\\");
        platform.files.swapForHostLink(kRoot + "\\e", "C:\\Users\\user\\Traces-sibling");
        platform.clockMs += engine::kPumpIntervalMs;
    };
    purge(kRoot);
    expectCanariesWhole();
    EXPECT_FALSE(has("a\\first.txt"));
    EXPECT_TRUE(has("a\\b")); // the link that took its place stays
    EXPECT_TRUE(has("c"));
    EXPECT_TRUE(has("d.txt"));
    EXPECT_TRUE(has("e"));
}

// The folder listed, moved out by a second program and linked back in its place before the
// open: the handle is that folder, but what it holds now lies outside and stays there,
// empty subfolders included.
TEST_F(HostileTree, AFolderMovedOutAndLinkedBackLosesNothingWhereItWent) {
    const std::string away = "C:\\Users\\user\\away";
    platform.files.addFile(kRoot + "\\m\\kept.txt", attr::kArchive, "moved");
    platform.files.addFolder(kRoot + "\\m\\empty-below");
    platform.files.addFile(kRoot + "\\n\\gone.txt");
    platform.files.addFolder(away);
    platform.files.beforeOpen = [&](const std::string& path) {
        if (path != kRoot + "\\m") return;
        platform.files.moveInto(path, away);
        platform.files.addHostLink(path, away + "\\m");
    };
    purge(kRoot);
    expectCanariesWhole();
    EXPECT_EQ(platform.files.contentOf(away + "\\m\\kept.txt"), "moved");
    EXPECT_TRUE(platform.files.exists(away + "\\m\\empty-below"));
    EXPECT_TRUE(has("m"));
    EXPECT_FALSE(has("n"));
}

// Folders entered on their listed numbers: the walk asks the system for no folder's path
// but the top one's, and asks again only before removing a folder.
TEST_F(FolderFixture, PlainFoldersAreEnteredWithoutAskingForTheirPaths) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) platform.files.addFile(kRoot + "\\d" + std::to_string(i) + "\\s" + std::to_string(j) + "\\f.txt");
    platform.files.addFile(kRoot + "\\dots.\\f.txt");
    platform.files.finalPathAsks = 0;
    EXPECT_EQ(count(kRoot), 13);
    EXPECT_EQ(platform.files.finalPathAsks, 2); // the top folder and the name with a trailing dot
    platform.files.finalPathAsks = 0;
    purge(kRoot);
    EXPECT_FALSE(has("d0"));
    EXPECT_EQ(platform.files.finalPathAsks, 2 + 13 + 16); // as above, each file, each folder removed
}

TEST_F(HostileTree, DeepTreesAreWalkedWithoutTheCallStack) {
    constexpr int kLevels = 20000;
    auto* folder = &platform.files.addFolder(kRoot);
    for (int level = 0; level < kLevels; ++level) {
        platform.files.addChild(*folder, "f", attr::kArchive);
        folder = &platform.files.addChild(*folder, "d", attr::kDirectory);
    }
    EXPECT_EQ(countThenPurge(kRoot), kLevels);
    EXPECT_FALSE(has("d"));
    EXPECT_LE(platform.files.mostOpenHandles(), kLevels + 2); // a folder per level and one file
    expectCanariesWhole();
}

TEST_F(HostileTree, TargetSpellingsAndTrailingDotsGiveTheSameWalk) {
    platform.files.finalPathsTrimTrailingDots = true; // as Wine reports such names
    auto& top = platform.files.addFolder(kRoot);
    platform.files.addChild(top, "same", attr::kArchive, "plain");
    platform.files.addChild(top, "same. ", attr::kArchive, "dotted");
    auto& dotted = platform.files.addChild(top, "folder.", attr::kDirectory);
    platform.files.addChild(dotted, "inner. .", attr::kArchive);
    for (const std::string& spelling : std::vector<std::string>{kRoot, kRoot + "/", kRoot + "\\\\", "C:\\Users\\user\\.\\Traces",
                                                               "C:\\Users\\user\\Traces\\..\\Traces\\", "C:/Users//user/Traces"})
        EXPECT_EQ(count(spelling), 3) << spelling;
    EXPECT_EQ(countThenPurge("C:\\Users\\user\\.\\Traces\\"), 3);
    ASSERT_EQ(top.children.size(), 1u);
    EXPECT_EQ(top.children[0]->name, ".keep");
    expectCanariesWhole();
}

// A namesake whose final path cannot be told from the listed name is known by its number.
TEST_F(HostileTree, ANamesakeSwappedInBehindATrimmedNameStays) {
    platform.files.finalPathsTrimTrailingDots = true;
    auto& top = platform.files.addFolder(kRoot);
    platform.files.addChild(top, "twin. ", attr::kArchive);
    platform.files.beforeOpen = [&](const std::string& path) {
        if (path != kRoot + "\\twin. ") return;
        platform.files.swapForHostLink(path, "C:\\Users\\user\\c3.txt");
    };
    purge(kRoot);
    expectCanariesWhole();
    EXPECT_TRUE(has("twin. "));
}

TEST_F(HostileTree, ClosingTheMainWindowStopsTheWalkAtOnce) {
    for (int i = 0; i < 10; ++i) platform.files.addFile(kRoot + "\\sub\\f" + std::to_string(i));
    auto closeAtFourthPump = [&](Application& closing) {
        backend.onPump = [&, pumps = 0]() mutable {
            if (++pumps == 4) closing.terminate();
        };
    };
    platform.tickStepMs = engine::kPumpIntervalMs; // every file pumps
    Application counting{backend};
    closeAtFourthPump(counting);
    ui::WindowCallback countingWindow(counting);
    EXPECT_EQ(engine::CountFiles(platform, countingWindow, kRoot), 3); // what it had when the window closed

    closeAtFourthPump(app);
    purge(kRoot);
    // The first pump is the count of what stays in ".keep"; then two went, nothing after the close.
    EXPECT_EQ(platform.files.fileCountBelow(kRoot + "\\sub"), 8);
    EXPECT_EQ(bar.position(), 2);
    EXPECT_TRUE(has("sub"));
    EXPECT_EQ(platform.files.openHandles(), 0);
    expectCanariesWhole();
}

TEST_F(FolderFixture, AnythingRaisedDuringOneEntryIsDropped) {
    for (int i = 0; i < 4; ++i) platform.files.addFile(kRoot + "\\f" + std::to_string(i));
    platform.tickStepMs = engine::kPumpIntervalMs;
    backend.onPump = [&, calls = 0]() mutable {
        if (++calls == 2) throw 42; // not a standard exception
    };
    purge(kRoot);
    EXPECT_EQ(platform.files.fileCountBelow(kRoot), 1);
    EXPECT_EQ(bar.position(), 30);
}
