#include <gtest/gtest.h>

#include "engine/CleanerError.h"
#include "engine/RecycleBin.h"
#include "engine/SidText.h"
#include "engine/StatusWords.h"
#include "engine/browsers/FormData.h"
#include "engine/browsers/HistoryStore.h"
#include "engine/browsers/InternetExplorerFamily.h"
#include "engine/browsers/InternetExplorerWindows.h"
#include "engine/browsers/UrlCache.h"
#include "ui/RunTexts.h"
#include "ui/WindowRun.h"
#include "platform/memory/MemoryPlatform.h"
#include "platform/toolkit/headless/HeadlessBackend.h"

using namespace tv;
using namespace tv::engine;
using namespace tv::engine::browsers;
using tv::ui::kClosingBrowserText;
using tv::memory::makeSid;

namespace {

constexpr WindowHandle kAppWindow = 0x4242;

class OwnedBackend : public toolkit::HeadlessBackend {
public:
    WindowHandle applicationWindow() const override { return kAppWindow; }
};

class BrowserCleaners : public ::testing::Test {
protected:
    BrowserCleaners() {
        caption.hide();
        bar.setRange(0, 1000);
    }
    memory::MemoryPlatform platform;
    OwnedBackend backend;
    toolkit::Application app{backend};
    toolkit::Label status{"Label10"};
    toolkit::Label caption{"Label11"};
    toolkit::ProgressBar bar{"ProgressBar1"};
    toolkit::CheckBox master{"CheckBox25"};
    toolkit::Label count{"Label1"};
    ui::WindowRun display{app, {}, {status, caption, bar, master, count}};

    std::string errorOf(bool (*cleaner)(PlatformServices&)) {
        try {
            cleaner(platform);
        } catch (const CleanerError& e) {
            return e.what();
        }
        return "no error";
    }
};

// --- browser frame windows -------------------------------------------------------------

TEST_F(BrowserCleaners, NoFrameSetsTheDisplayAndReturnsWithoutPausing) {
    platform.windows = {{0x30, "Shell_TrayWnd"}};
    CloseBrowserWindows(platform, display);
    EXPECT_EQ(backend.cursors, std::vector<toolkit::Cursor>{toolkit::Cursor::Hourglass});
    EXPECT_TRUE(caption.visible());
    EXPECT_EQ(status.caption(), "Fermeture de votre navigateur en cours");
    EXPECT_TRUE(platform.sleeps.empty());
    EXPECT_TRUE(platform.posted.empty());
}

TEST_F(BrowserCleaners, EachFrameIsClosedThroughTheTopOfItsParentChainAndNothingElseIsAsked) {
    platform.windows = {{0x10, "IEFrame", 0x05}, {0x05, "Owner", 0x04}, {0x04, "OwnerOfOwner"},
                        {0x20, "IEFrame"}, {0x30, "Shell_TrayWnd"}};
    CloseBrowserWindows(platform, display);
    ASSERT_EQ(platform.posted.size(), 2u);
    EXPECT_EQ(platform.posted[0].window, 0x04u);
    EXPECT_EQ(platform.posted[1].window, 0x20u);
    for (const auto& m : platform.posted) {
        EXPECT_EQ(m.message, 0x0112u);
        EXPECT_EQ(m.wParam, 0xF060u);
        EXPECT_EQ(m.lParam, 0);
    }
    EXPECT_EQ(platform.sleeps, (std::vector<std::uint32_t>{50, 50}));
    ASSERT_EQ(platform.windows.size(), 1u);
    EXPECT_EQ(platform.windows[0].className, "Shell_TrayWnd");
}

TEST_F(BrowserCleaners, AFrameThatNeverClosesGetsExactly5000RequestsFiftyMillisecondsApart) {
    platform.windows = {{0x10, "IEFrame", 0, -1}};
    CloseBrowserWindows(platform, display);
    ASSERT_EQ(platform.posted.size(), 5000u);
    for (size_t i = 0; i < platform.posted.size(); ++i) ASSERT_EQ(platform.posted[i].atMs, 50u * (i + 1));
    EXPECT_EQ(platform.clockMs, 250000u);
    EXPECT_EQ(platform.windows.size(), 1u);
}

// --- URL cache -------------------------------------------------------------------------

TEST_F(BrowserCleaners, EmptyCacheIsProbedOnceAndNothingMore) {
    EXPECT_TRUE(PurgeUrlCache(platform));
    EXPECT_EQ(platform.urlCacheFindFirstCalls, 1);
    EXPECT_EQ(platform.urlCacheFindNextCalls, 0);
    EXPECT_TRUE(platform.urlCacheDeleted.empty());
}

TEST_F(BrowserCleaners, EveryEntryIsFetchedWithItsReportedSizeAndEntriesInUseStay) {
    platform.urlCache = {{"http://a/", 100}, {"http://b/", 300, true}, {"Cookie:user@c/", 50}};
    EXPECT_FALSE(PurgeUrlCache(platform)); // the entry in use stayed, and it says so
    EXPECT_EQ(platform.urlCacheDeleted, (std::vector<std::string>{"http://a/", "Cookie:user@c/"}));
    ASSERT_EQ(platform.urlCache.size(), 1u);
    EXPECT_EQ(platform.urlCache[0].url, "http://b/");
    EXPECT_EQ(platform.urlCacheBufferSizes, (std::vector<std::uint32_t>{0, 100, 0, 300, 0, 50, 0}));
    EXPECT_EQ(platform.urlCacheOpenEnumerations, 0);
}

TEST_F(BrowserCleaners, AnEnumerationThatBreaksDownEndsThePurgeAndClosesItsHandle) {
    const std::vector<memory::UrlCacheEntry> cache = {{"http://a/"}, {"http://b/"}, {"http://c/"}};

    platform.urlCache = cache;
    platform.urlCacheFailNextAfter = 2; // the probe of the third entry fails
    EXPECT_FALSE(PurgeUrlCache(platform));
    EXPECT_EQ(platform.urlCacheDeleted, (std::vector<std::string>{"http://a/", "http://b/"}));
    EXPECT_EQ(platform.urlCacheOpenEnumerations, 0);

    memory::MemoryPlatform noHandle;
    noHandle.urlCache = cache;
    noHandle.urlCacheFirstGivesNoHandle = true;
    EXPECT_FALSE(PurgeUrlCache(noHandle));
    EXPECT_EQ(noHandle.urlCacheFindFirstCalls, 2);
    EXPECT_EQ(noHandle.urlCacheFindNextCalls, 0);
    EXPECT_EQ(noHandle.urlCache.size(), 3u);

    memory::MemoryPlatform growing;
    growing.urlCache = cache;
    growing.urlCacheFetchFails = true; // every fetch after a probe is refused
    EXPECT_FALSE(PurgeUrlCache(growing));
    EXPECT_EQ(growing.urlCacheFindNextCalls, 2 * kUrlCacheFetchRetries);
    EXPECT_EQ(growing.urlCacheDeleted, std::vector<std::string>{"http://a/"});
    EXPECT_EQ(growing.urlCacheOpenEnumerations, 0);
}

// --- history store ---------------------------------------------------------------------

TEST_F(BrowserCleaners, AHistoryStoreThatDoesNotClearSaysSoAndBothReferencesAreReleased) {
    EXPECT_TRUE(clear_history(platform));
    platform.historyClearResult = static_cast<std::int32_t>(0x80004001); // not implemented
    EXPECT_FALSE(clear_history(platform));
    EXPECT_EQ(platform.historyClearCount, 2);
    EXPECT_EQ(platform.historyOpenReferences, 0);
}

TEST_F(BrowserCleaners, HistoryStoreFailuresRaiseTheirMessagesAndLeaveNoReference) {
    platform.historyCreateResult = static_cast<std::int32_t>(0x80040154);
    EXPECT_EQ(errorOf(clear_history), "OLE error 80040154");
    platform.errorDescriptions[static_cast<std::int32_t>(0x80040154)] = "Classe non enregistrée\r\n";
    EXPECT_EQ(errorOf(clear_history), "Classe non enregistrée");

    platform.historyCreateResult = 0;
    platform.historyOffersStg2 = false;
    EXPECT_EQ(errorOf(clear_history), "Interface not supported");
    EXPECT_EQ(platform.historyClearCount, 0);
    EXPECT_EQ(platform.historyOpenReferences, 0);
}

// --- security identifier text ----------------------------------------------------------

TEST_F(BrowserCleaners, SidTextFollowsThePublishedFormat) {
    EXPECT_EQ(SidToText(platform, makeSid({0, 0, 0, 0, 0, 5}, {21, 7, 8, 9, 1000})), "S-1-5-21-7-8-9-1000");
    EXPECT_EQ(SidToText(platform, makeSid({0, 1, 0, 0, 0, 42}, {1})), "S-1-0x00010000002A-1");
    EXPECT_EQ(SidToText(platform, makeSid({0, 0, 0, 0, 0, 5}, {})), "S-1-5");
    EXPECT_EQ(SidToText(platform, makeSid({0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, {4294967295u})),
              "S-1-4294967295-4294967295");
    std::vector<std::uint8_t> bad = makeSid({0, 0, 0, 0, 0, 5}, {21});
    bad[0] = 2;
    EXPECT_THROW(SidToText(platform, bad), CleanerError);
}

// --- stored form data ------------------------------------------------------------------

class AutoComplete : public BrowserCleaners {
protected:
    const std::string sidText = "S-1-5-21-7-8-9-1000";
    const std::string machineData = "Software\\Microsoft\\Protected Storage System Provider\\user\\Data";
    const std::string userData = "Software\\Microsoft\\Protected Storage System Provider\\" + sidText + "\\Data";
    const std::string target = "\\e161255a-37c3-11d2-bcaa-00c04fd929db";

    AutoComplete() {
        platform.accounts["user"] = makeSid({0, 0, 0, 0, 0, 5}, {21, 7, 8, 9, 1000});
        platform.registry.ensure(Hive::CurrentUser, userData + target + "\\sub\\deeper");
        platform.registry.ensure(Hive::CurrentUser, userData + "\\other");
        platform.registry.ensure(Hive::CurrentUser,
                                 "Software\\Microsoft\\Protected Storage System Provider\\S-1-5-21-7-8-9-1001" +
                                     std::string("\\Data") + target);
    }
    bool userTargetLeft() const { return platform.registry.exists(Hive::CurrentUser, userData + target); }
};

TEST_F(AutoComplete, MachineRouteIsTakenWhenItsKeyExistsEvenIfTheDeletionFails) {
    platform.registry.ensure(Hive::LocalMachine, machineData + target + "\\sub");
    platform.registry.ensure(Hive::LocalMachine, machineData + "\\other");
    PurgeAutoComplete(platform, display);
    EXPECT_FALSE(platform.registry.exists(Hive::LocalMachine, machineData + target));
    EXPECT_TRUE(platform.registry.exists(Hive::LocalMachine, machineData + "\\other"));
    EXPECT_TRUE(userTargetLeft());
    EXPECT_EQ(bar.position(), 100);

    platform.registry.ensure(Hive::LocalMachine, machineData + target);
    platform.registry.denyDelete.insert(machineData + target);
    PurgeAutoComplete(platform, display);
    EXPECT_TRUE(platform.registry.exists(Hive::LocalMachine, machineData + target));
    EXPECT_TRUE(userTargetLeft());
    EXPECT_EQ(bar.position(), 200);
    EXPECT_EQ(platform.accountCalls, (std::vector<std::string>{"user 81", "user 81"}));
}

TEST_F(AutoComplete, PerUserRouteDeletesOnlyTheKeyUnderTheUsersIdentifier) {
    PurgeAutoComplete(platform, display);
    EXPECT_FALSE(userTargetLeft());
    EXPECT_TRUE(platform.registry.exists(Hive::CurrentUser, userData + "\\other"));
    EXPECT_TRUE(platform.registry.exists(Hive::CurrentUser, "Software\\Microsoft\\Protected Storage System "
                                                            "Provider\\S-1-5-21-7-8-9-1001\\Data" + target));
    EXPECT_EQ(bar.position(), 100);
    EXPECT_EQ(platform.accountCalls,
              (std::vector<std::string>{"user 81", "computer 81", "lookup PC user 0 64", "lookup PC user 28 64"}));
    EXPECT_EQ(platform.registry.openHandles(), 0u);
}

TEST_F(AutoComplete, UnreadableNamesAndFailedLookupsStopQuietlyWithoutAStep) {
    auto expectUntouched = [&](const char* why) {
        PurgeAutoComplete(platform, display);
        EXPECT_TRUE(userTargetLeft()) << why;
        EXPECT_EQ(bar.position(), 0) << why;
    };
    platform.userNameFails = true;
    expectUntouched("user name unreadable");
    platform.userNameFails = false;
    platform.user = std::string(81, 'u');
    expectUntouched("user name longer than 80 characters");
    EXPECT_EQ(platform.accountCalls.size(), 2u); // nothing asked beyond the names
    platform.user = "user";

    platform.lookupProbeError = kErrorAccessDenied;
    expectUntouched("probe refused");
    platform.lookupProbeError = 0;
    platform.lookupSecondCallFails = true;
    expectUntouched("lookup refused");
    platform.lookupSecondCallFails = false;
    platform.accounts.clear();
    expectUntouched("unknown account");

    platform.accounts["user"] = {2, 1, 0, 0, 0, 0, 0, 5, 1, 0, 0, 0};
    EXPECT_THROW(PurgeAutoComplete(platform, display), CleanerError);
    EXPECT_TRUE(userTargetLeft());
    EXPECT_EQ(bar.position(), 0);
}

TEST_F(AutoComplete, AnEightyCharacterNameIsTrusted) {
    platform.user = std::string(80, 'u');
    platform.accounts[platform.user] = platform.accounts["user"];
    PurgeAutoComplete(platform, display);
    EXPECT_FALSE(userTargetLeft());
    EXPECT_EQ(bar.position(), 100);
}

// --- recycle bin -----------------------------------------------------------------------

TEST_F(BrowserCleaners, RecycleBinIsEmptiedSilentlyOwnedByTheApplicationWindow) {
    platform.recycleBinItems = 3;
    EXPECT_EQ(EmptyRecycleBin(platform, display), kCleaned);
    ASSERT_EQ(platform.recycleBinCalls.size(), 1u);
    EXPECT_EQ(platform.recycleBinCalls[0].owner, kAppWindow);
    EXPECT_EQ(platform.recycleBinCalls[0].root, "");
    EXPECT_EQ(platform.recycleBinCalls[0].flags, 7u);
    EXPECT_EQ(platform.recycleBinItems, 0);
    EXPECT_EQ(platform.loadedLibraries, 0);
    EXPECT_EQ(bar.position(), 100);
}

TEST_F(BrowserCleaners, RecycleBinOutOfReachIsReportedAndTheBarStillMoves) {
    platform.libraries["shell32.dll"] = {"SHEmptyRecycleBinW"};
    EXPECT_EQ(EmptyRecycleBin(platform, display), kImpossible);
    EXPECT_EQ(bar.position(), 100);
    platform.libraries.clear();
    EXPECT_EQ(EmptyRecycleBin(platform, display), kImpossible);
    EXPECT_EQ(bar.position(), 200);
    EXPECT_TRUE(platform.recycleBinCalls.empty());
    EXPECT_EQ(platform.loadedLibraries, 0);
}

} // namespace
