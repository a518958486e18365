// The folder walks on the real file system: attributes, dot folders, names outside the
// ANSI code page, long paths, links that must never be followed, and folders larger than
// one listing batch.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "FolderWalkFixture.h"
#include "WinTestSupport.h"

namespace tv {
namespace {

using wintest::exists;
using wintest::makeFile;
using wintest::makeFolder;

using FolderWalks = wintest::FolderWalkFixture;

TEST_F(FolderWalks, MixedTreeIsCountedAndPurgedExceptWhatMustStay) {
    wintest::ScratchFolder scratch("mixed");
    const std::string root = scratch.path();
    makeFile(root + "\\plain.txt");
    makeFile(root + "\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    makeFile(root + "\\system.txt", FILE_ATTRIBUTE_SYSTEM);
    makeFile(root + "\\readonly.txt", FILE_ATTRIBUTE_READONLY);
    makeFile(root + "\\.dotfile");
    makeFile(root + "\\\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.txt"); // Ελληνικά
    makeFolder(root + "\\sub");
    makeFile(root + "\\sub\\a.txt");
    makeFolder(root + "\\sub\\deeper");
    makeFile(root + "\\sub\\deeper\\b.txt");
    makeFolder(root + "\\sub\\deeper\\deepest");
    makeFile(root + "\\sub\\deeper\\deepest\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"); // 日本語
    makeFolder(root + "\\sub\\keep");
    makeFile(root + "\\sub\\keep\\readonly2.txt", FILE_ATTRIBUTE_READONLY);
    makeFolder(root + "\\.dotfolder");
    makeFile(root + "\\.dotfolder\\inside.txt");
    makeFolder(root + "\\.dotfolder\\nested");
    makeFile(root + "\\.dotfolder\\nested\\inside2.txt");

    // Every file but those below the dot folder; with or without the final backslash.
    EXPECT_EQ(count(root), 10);
    EXPECT_EQ(count(root + "\\"), 10);

    EXPECT_EQ(purge(root), 10);

    EXPECT_TRUE(exists(root));
    EXPECT_TRUE(exists(root + "\\readonly.txt"));
    EXPECT_TRUE(exists(root + "\\sub\\keep\\readonly2.txt"));
    EXPECT_TRUE(exists(root + "\\.dotfolder\\inside.txt"));
    EXPECT_TRUE(exists(root + "\\.dotfolder\\nested\\inside2.txt"));
    for (const char* gone : {"plain.txt", "hidden.txt", "system.txt", ".dotfile", "sub\\a.txt", "sub\\deeper"})
        EXPECT_FALSE(exists(root + "\\" + gone)) << gone;
    EXPECT_FALSE(exists(root + "\\\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.txt"));
    EXPECT_EQ(count(root), 2); // the two read-only files
    EXPECT_TRUE(backend.boxes.empty());
}

TEST_F(FolderWalks, MissingFolderGivesNothingAndSaysNothing) {
    wintest::ScratchFolder scratch("missing");
    EXPECT_EQ(count(scratch / "absent"), 0);
    EXPECT_EQ(purge(scratch / "absent"), 0);
    EXPECT_TRUE(backend.boxes.empty());
}

TEST_F(FolderWalks, PathsLongerThanTheOldLimitAreWalked) {
    wintest::ScratchFolder scratch("long");
    std::string folder = scratch.path();
    const std::string segment(60, 'd');
    for (int level = 0; level < 5; ++level) {
        folder += "\\" + segment + std::to_string(level);
        makeFolder(folder);
        makeFile(folder + "\\f.txt");
    }
    const std::string deepest = folder + "\\\xE6\x97\xA5\xE6\x9C\xAC.txt";
    makeFile(deepest);
    ASSERT_GT(deepest.size(), 300u);

    EXPECT_EQ(count(scratch.path()), 6);
    EXPECT_EQ(purge(scratch.path()), 6);
    EXPECT_FALSE(exists(deepest));
    EXPECT_FALSE(exists(scratch / (segment + "0")));
    EXPECT_TRUE(exists(scratch.path()));
}

// The link shows as a folder; a walk that went in would count and delete another tree's
// files, and a link to its own parent would never end.
TEST_F(FolderWalks, LinksAreRemovedNeverFollowed) {
    wintest::ScratchFolder scratch("links");
    const std::string outside = scratch / "outside";
    const std::string emptyOutside = scratch / "empty-outside";
    const std::string tree = scratch / "tree";
    makeFolder(outside);
    makeFile(outside + "\\canary.txt");
    makeFolder(emptyOutside);
    makeFolder(tree);
    makeFile(tree + "\\one.txt");
    makeFolder(tree + "\\sub");
    makeFile(tree + "\\sub\\two.txt");

    const auto kind = wintest::makeFolderLink(tree + "\\link", outside);
    ASSERT_NE(kind, wintest::LinkKind::None);
    ASSERT_NE(wintest::makeFolderLink(tree + "\\empty-link", emptyOutside), wintest::LinkKind::None);
    ASSERT_NE(wintest::makeFolderLink(tree + "\\sub\\loop", tree + "\\sub"), wintest::LinkKind::None);

    EXPECT_EQ(count(tree), 2);
    EXPECT_EQ(purge(tree), 2);

    EXPECT_TRUE(exists(outside + "\\canary.txt"));
    EXPECT_TRUE(exists(emptyOutside));
    EXPECT_FALSE(exists(tree + "\\one.txt"));
    EXPECT_FALSE(exists(tree + "\\sub\\two.txt"));
    if (kind == wintest::LinkKind::Junction) {
        // The links themselves go, and with the loop gone its folder is empty and goes too.
        EXPECT_FALSE(exists(tree + "\\link"));
        EXPECT_FALSE(exists(tree + "\\empty-link"));
        EXPECT_FALSE(exists(tree + "\\sub"));
    } else {
        // Wine opens the folder behind a host link, never the link: the links must stay,
        // and what they lead to with them.
        EXPECT_TRUE(exists(tree + "\\link"));
        EXPECT_TRUE(exists(tree + "\\empty-link"));
    }
    EXPECT_EQ(count(tree), 0);
}

TEST_F(FolderWalks, AFileAnotherProgramHoldsOpenStaysAndIsCountedAsStaying) {
    wintest::ScratchFolder scratch("held");
    const std::string held = scratch / "held.log";
    wintest::makeFile(held);
    wintest::makeFile(scratch / "free.tmp");
    HANDLE holder = CreateFileW(wintest::longForm(held).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(count(scratch.path()), 2);
    const engine::PurgeTally tally = engine::PurgeFolder(platform, display, scratch.path());
    EXPECT_EQ(tally.met, 2);
    EXPECT_EQ(tally.stayed, 1);
    EXPECT_EQ(count(scratch.path()), 1);
    CloseHandle(holder);
    EXPECT_TRUE(wintest::exists(held));
    EXPECT_FALSE(wintest::exists(scratch / "free.tmp"));
}

// Long names make about two hundred records fill a listing batch, so this folder takes eight;
// the purge deletes what it met while the listing goes on, and a subfolder's own listing
// comes between two batches of its parent's. A skipped entry would stay, a repeated one be
// met twice.
TEST_F(FolderWalks, AFolderOfManyBatchesIsCountedAndPurgedEntryByEntry) {
    wintest::ScratchFolder scratch("batches");
    const std::string root = scratch.path();
    const std::string stem(100, 'n');
    std::vector<std::string> folders;
    int files = 0;
    for (int i = 0; i < 1500; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%04d", i);
        const std::string entry = root + "\\" + number + stem;
        if (i % 97 == 0) {
            makeFolder(entry);
            makeFile(entry + "\\" + stem + ".a");
            makeFile(entry + "\\" + stem + ".b");
            folders.push_back(entry);
            files += 2;
        } else {
            makeFile(entry);
            ++files;
        }
    }

    EXPECT_EQ(count(root), files);
    const engine::PurgeTally tally = engine::PurgeFolder(platform, display, root);
    EXPECT_EQ(tally.met, files);
    EXPECT_EQ(tally.stayed, 0);
    EXPECT_EQ(bar.position(), files);
    EXPECT_TRUE(exists(root));
    EXPECT_EQ(count(root), 0);
    for (const auto& folder : folders) EXPECT_FALSE(exists(folder)) << folder;
}

} // namespace
} // namespace tv
