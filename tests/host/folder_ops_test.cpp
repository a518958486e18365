#include <gtest/gtest.h>

#include "engine/FolderOps.h"
#include "platform/memory/MemoryPlatform.h"
#include "platform/toolkit/headless/HeadlessBackend.h"

using namespace tv;
using namespace tv::toolkit;

namespace {

const std::string kRoot = "C:\\Users\\user\\Traces";

struct FolderFixture : ::testing::Test {
    memory::MemoryPlatform platform;
    HeadlessBackend backend;
    Application app{backend};
    ProgressBar bar{"ProgressBar1"};

    FolderFixture() {
        app.setTitle("Tarmel Veilo");
        bar.setRange(0, 1000);
    }
    int count(const std::string& path) { return engine::CountFiles(platform, app, path); }
    void purge(const std::string& path) { engine::PurgeFolder(platform, app, bar, path); }
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
    EXPECT_EQ(platform.files.mostOpenEnumerations(), 4); // one per level reached
    purge(kRoot);
    EXPECT_FALSE(has("a"));
    EXPECT_FALSE(has("empty"));
    EXPECT_EQ(bar.position(), 30);
    EXPECT_EQ(platform.files.openEnumerations(), 0);
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
    EXPECT_EQ(platform.files.openEnumerations(), 0);
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
    backend.onPump = [&] { platform.clockMs += engine::kPumpIntervalMs; };
    backend.pumpCount = 0;
    count(kRoot);
    EXPECT_EQ(backend.pumpCount, 50);
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
