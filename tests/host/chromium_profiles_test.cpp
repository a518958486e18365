#include <gtest/gtest.h>

#include <set>

#include "engine/browsers/BrowserGate.h"
#include "engine/browsers/ChromiumCleaner.h"
#include "engine/browsers/ChromiumProfiles.h"
#include "engine/browsers/GatedBrowsers.h"
#include "tests/host/browser_profiles_fixture.h"
#include "ui/RunTexts.h"

using namespace tv;
using namespace tv::engine;
using namespace tv::engine::browsers;
using tv::testsupport::browserDatabase;
using tv::testsupport::rowsOf;
using Rows = tv::testsupport::Rows;

namespace {

const std::string kLocal = "C:\\Users\\user\\AppData\\Local";
const std::string kChrome = kLocal + "\\Google\\Chrome\\User Data";
const std::string kEdge = kLocal + "\\Microsoft\\Edge\\User Data";
const std::string kCanary = "canary-7d41.example";

std::string historyRows() {
    return "INSERT INTO urls VALUES(1,'https://" + kCanary + "/page','Canary',3,2,13300000000000000,0);"
           "INSERT INTO visits(id,url,visit_time,transition) VALUES(1,1,13300000000000000,1);"
           "INSERT INTO visited_links VALUES(1,1,'https://" + kCanary + "/','https://" + kCanary + "/',1);"
           "INSERT INTO keyword_search_terms VALUES(2,1,'" + kCanary + "','" + kCanary + "');"
           // A table of a later version, unknown today: emptied by the rule all the same.
           "CREATE TABLE future_page_notes(url TEXT);"
           "INSERT INTO future_page_notes VALUES('https://" + kCanary + "/note');";
}

std::string cookieRows(const std::string& host) {
    return "INSERT INTO cookies VALUES(1,'" + host + "','','sid','v',x'',"
           "'/',0,1,1,1,1,1,1,0,2,443,1,0,0);";
}

const std::string kBookmarked = "https://kept.example/reading";
const std::string kBookmarks = R"({"roots":{"bookmark_bar":{"type":"folder","children":[
    {"type":"folder","children":[{"type":"url","name":"Kept","url":")" + kBookmarked + R"("}]}]},
    "other":{"type":"folder","children":[]}},"version":1})";

class ChromiumProfiles : public tv::testsupport::BrowserProfilesTest {
protected:
    ChromiumProfiles() {
        platform.specialFolders[kCsidlLocalAppData] = kLocal;
    }

    void store(const std::string& path, const std::string& name, const std::string& rows) {
        platform.files.addFile(path, attr::kArchive, browserDatabase("chromium", name, rows));
    }
    bool holdsCanary(const std::string& path) { return bytes(path).find(kCanary) != std::string::npos; }

    // A profile with a trace in every store and, beside them, what its user keeps.
    void plantProfile(const std::string& userData, const std::string& profile,
                      const std::string& bookmarksFile = "Bookmarks") {
        const std::string p = userData + "\\" + profile;
        store(p + "\\History", "History", historyRows());
        store(p + "\\Network\\Cookies", "Cookies", cookieRows("." + kCanary));
        store(p + "\\Web Data", "Web Data",
              "INSERT INTO autofill VALUES('q','" + kCanary + "','" + kCanary + "',1,1,1);"
              "INSERT INTO autocomplete(name,value,value_lower) VALUES('email','" + kCanary + "','" + kCanary + "');"
              "INSERT INTO keywords(id,short_name,keyword,favicon_url,url) VALUES(9,'Moteur','moteur.example','','https://moteur.example/?q={searchTerms}');"
              "INSERT INTO credit_cards(guid,name_on_card) VALUES('card-1','Jeanne');");
        store(p + "\\Favicons", "Favicons",
              "INSERT INTO favicons VALUES(1,'https://kept.example/icon.png',1),(2,'https://" + kCanary + "/icon.png',1);"
              "INSERT INTO favicon_bitmaps(id,icon_id,image_data) VALUES(1,1,x'AA'),(2,2,x'BB');"
              "INSERT INTO icon_mapping VALUES(1,'" + kBookmarked + "',1,0),(2,'https://" + kCanary + "/page',2,0);");
        store(p + "\\Shortcuts", "Shortcuts",
              "INSERT INTO omni_box_shortcuts(id,text,url) VALUES('s1','can','https://" + kCanary + "/');");
        store(p + "\\Login Data", "Login Data",
              "INSERT INTO logins(origin_url,signon_realm,date_created,blacklisted_by_user,scheme) "
              "VALUES('https://bank.example/','https://bank.example/',1,0,0);");
        platform.files.addFile(p + "\\" + bookmarksFile, attr::kArchive, kBookmarks);
        platform.files.addFile(p + "\\Preferences", attr::kArchive, "{}");
        platform.files.addFile(p + "\\Visited Links", attr::kArchive, kCanary);
        platform.files.addFile(p + "\\Sessions\\Session_13441388324267472", attr::kArchive, kCanary);
        platform.files.addFile(p + "\\Cache\\Cache_Data\\f_000001", attr::kArchive, kCanary);
        platform.files.addFile(p + "\\Extensions\\abc\\1.0\\manifest.json", attr::kArchive, "{}");
    }

    TasksOutcome runInternetTasks(std::vector<ChromiumInstallation>& installations) {
        return everyInternetTask([&](TaskWork& work) { cleanChromiumTask(work, installations, false); });
    }
    TasksOutcome runHistoryTask() {
        auto installations = findChromiumInstallations(platform);
        return oneTask(tkHistory, [&](TaskWork& work) { cleanChromiumTask(work, installations, false); });
    }
};

// Another program's connection to a database the cleaning works on, opened on the very file
// SQLite works on; it does not wait for a lock.
struct OtherReader {
    sqlite3* db = nullptr;
    explicit OtherReader(const std::string& file) { sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr); }
    ~OtherReader() { sqlite3_close(db); }
    OtherReader(const OtherReader&) = delete;
    OtherReader& operator=(const OtherReader&) = delete;
    // Starts reading, and keeps its read open when it could begin.
    int read() { return sqlite3_exec(db, "BEGIN; SELECT count(*) FROM urls", nullptr, nullptr, nullptr); }
};

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(ChromiumProfiles, EveryTraceGoesForGoodAndWhatTheUserKeepsStays) {
    plantProfile(kChrome, "Default");
    // Older stores: cookies at the profile's root and form entries before their move.
    platform.files.addFile(kChrome + "\\Local State", attr::kArchive,
                           R"({"profile":{"info_cache":{"Default":{},"Profile 1":{"name":"Travail"}}}})");
    const std::string older = kChrome + "\\Profile 1";
    platform.files.addFile(older + "\\Preferences", attr::kArchive, "{}");
    store(older + "\\Cookies", "Cookies", cookieRows("." + kCanary));
    store(older + "\\Web Data", "Web Data", "DROP TABLE autocomplete; INSERT INTO autofill VALUES('q','" + kCanary + "','x',1,1,1);");
    const std::string loginsBefore = bytes(kChrome + "\\Default\\Login Data");

    auto installations = findChromiumInstallations(platform);
    ASSERT_EQ(installations.size(), 1u);
    EXPECT_EQ(installations[0].profiles, (std::vector<std::string>{"Default", "Profile 1"}));
    const auto result = runInternetTasks(installations);
    EXPECT_TRUE(result.notCleaned.empty()) << result.notCleaned.front();
    EXPECT_EQ(result.filesStayed, 0);

    const std::string p = kChrome + "\\Default";
    for (const std::string& db : {p + "\\History", p + "\\Network\\Cookies", p + "\\Web Data", p + "\\Favicons",
                                  p + "\\Shortcuts", older + "\\Cookies", older + "\\Web Data"}) {
        EXPECT_FALSE(holdsCanary(db)) << db << " still holds the address";
        EXPECT_EQ(rows(db, "PRAGMA integrity_check"), (Rows{{"ok"}})) << db;
        EXPECT_FALSE(rows(db, "SELECT value FROM meta WHERE key = 'version'").empty()) << db;
    }
    EXPECT_EQ(rows(p + "\\History", "SELECT count(*) FROM future_page_notes"), (Rows{{"0"}}));
    EXPECT_EQ(rows(p + "\\Web Data", "SELECT keyword FROM keywords"), (Rows{{"moteur.example"}}));
    EXPECT_EQ(rows(p + "\\Web Data", "SELECT name_on_card FROM credit_cards"), (Rows{{"Jeanne"}}));
    EXPECT_EQ(rows(p + "\\Favicons", "SELECT page_url, url, image_data FROM icon_mapping JOIN favicons ON favicons.id = icon_mapping.icon_id "
                                     "JOIN favicon_bitmaps ON favicon_bitmaps.icon_id = favicons.id"),
              (Rows{{kBookmarked, "https://kept.example/icon.png", "\xAA"}}));
    EXPECT_TRUE(bytes(p + "\\Login Data") == loginsBefore);
    EXPECT_EQ(bytes(p + "\\Bookmarks"), kBookmarks);
    for (const char* kept : {"\\Preferences", "\\Extensions\\abc\\1.0\\manifest.json", "\\Cache\\Cache_Data", "\\Sessions"})
        EXPECT_TRUE(platform.files.exists(p + kept)) << kept;
    for (const char* gone : {"\\Visited Links", "\\Sessions\\Session_13441388324267472", "\\Cache\\Cache_Data\\f_000001"})
        EXPECT_FALSE(platform.files.exists(p + gone)) << gone;
}

TEST_F(ChromiumProfiles, ABadStoreIsLeftAsItWasAndNamedWhileTheOthersAreCleaned) {
    plantProfile(kChrome, "Default");
    const std::string p = kChrome + "\\Default";
    platform.files.addFile(p + "\\Top Sites", attr::kArchive, "not a database, " + kCanary);
    // A cookie store without its table is not the browser's: nothing of it is emptied.
    store(p + "\\Cookies", "Top Sites", "INSERT INTO top_sites VALUES('https://" + kCanary + "/',1,'t');");
    const std::string oddCookies = bytes(p + "\\Cookies");
    platform.files.find(p + "\\Bookmarks")->content = "{ broken";

    auto installations = findChromiumInstallations(platform);
    const auto result = runInternetTasks(installations);

    EXPECT_EQ(result.notCleaned, (std::vector<std::string>{"Google Chrome (Cookies)", "Google Chrome (Favicons)",
                                                           "Google Chrome (Top Sites)"}));
    EXPECT_TRUE(bytes(p + "\\Top Sites") == "not a database, " + kCanary);
    EXPECT_TRUE(bytes(p + "\\Cookies") == oddCookies);
    // Unreadable bookmarks: no icon is known to be safe to remove.
    EXPECT_EQ(rows(p + "\\Favicons", "SELECT count(*) FROM icon_mapping"), (Rows{{"2"}}));
    EXPECT_FALSE(holdsCanary(p + "\\History"));
}

TEST_F(ChromiumProfiles, ProfilesBehindLinksOrOddNamesAreNeverEntered) {
    platform.files.addFile(kChrome + "\\Local State", attr::kArchive,
                           R"({"profile":{"info_cache":{"..":{},"..\\..\\Elsewhere":{},"C:":{},"Profile 2":{}}}})");
    plantProfile(kLocal + "\\Elsewhere", "Kept");
    platform.files.addLink(kChrome + "\\Profile 2", kLocal + "\\Elsewhere\\Kept");
    plantProfile(kLocal + "\\Moved", "User Data");
    platform.files.addFolder(kLocal + "\\Microsoft\\Edge");
    platform.files.addLink(kEdge, kLocal + "\\Moved\\User Data");
    const std::string before = bytes(kLocal + "\\Elsewhere\\Kept\\History");

    auto installations = findChromiumInstallations(platform);
    ASSERT_EQ(installations.size(), 2u);
    EXPECT_EQ(installations[0].profiles, (std::vector<std::string>{"Default", "Profile 2"}));
    const auto result = runInternetTasks(installations);

    EXPECT_TRUE(bytes(kLocal + "\\Elsewhere\\Kept\\History") == before);
    EXPECT_TRUE(platform.files.exists(kLocal + "\\Elsewhere\\Kept\\Visited Links"));
    EXPECT_TRUE(holdsCanary(kLocal + "\\Moved\\User Data\\History"));
    EXPECT_TRUE(platform.files.exists(kChrome + "\\Profile 2"));
    EXPECT_EQ(std::set<std::string>(result.notCleaned.begin(), result.notCleaned.end()),
              (std::set<std::string>{"Google Chrome (Profile 2)", "Microsoft Edge"}));
}

TEST_F(ChromiumProfiles, ARunningBrowserIsAskedToCloseByItsOwnWindowsAndOneThatStaysIsNeverWritten) {
    plantProfile(kChrome, "Default");
    plantProfile(kEdge, "Default");
    for (const std::string& userData : {kChrome, kEdge})
        platform.files.addFile(userData + "\\lockfile").heldExclusively = true;
    const std::string edgeHistory = bytes(kEdge + "\\Default\\History");
    platform.windows = {{0x10, "Chrome_WidgetWin_1"}, {0x20, "Chrome_WidgetWin_1", 0, -1},
                        {0x30, "Chrome_WidgetWin_1"}};
    platform.windowPrograms[0x10] = {"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", kChrome + "\\lockfile"};
    platform.windowPrograms[0x20] = {"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\msedge.exe", ""};
    // Another program that draws its windows with the same class.
    platform.windowPrograms[0x30] = {"C:\\Users\\user\\AppData\\Local\\Programs\\Editor\\Code.exe", ""};
    backend.answers = {toolkit::MessageResult::Yes};

    auto installations = findChromiumInstallations(platform);
    closeRunningBrowsers(platform, display, gated(platform, installations));
    const auto result = runInternetTasks(installations);

    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, ui::closeBrowsersQuestion({"Google Chrome", "Microsoft Edge"}));
    EXPECT_NE(backend.boxes[0].text.find("Google Chrome et Microsoft Edge"), std::string::npos);
    std::vector<WindowHandle> asked;
    for (const auto& m : platform.posted) asked.push_back(m.window);
    EXPECT_EQ(asked, (std::vector<WindowHandle>{0x10, 0x20}));
    EXPECT_LE(platform.clockMs, kBrowserCloseWaitMs + kBrowserClosePollMs);
    EXPECT_FALSE(holdsCanary(kChrome + "\\Default\\History"));
    EXPECT_TRUE(bytes(kEdge + "\\Default\\History") == edgeHistory);
    EXPECT_TRUE(platform.files.exists(kEdge + "\\Default\\Visited Links"));
    EXPECT_EQ(result.leftOpen, std::vector<std::string>(5, "Microsoft Edge"));
}

TEST_F(ChromiumProfiles, TheSignedInAccountsBookmarksKeepTheirIconsWithoutABookmarksFile) {
    plantProfile(kChrome, "Default", "AccountBookmarks");
    const auto result = runHistoryTask();

    EXPECT_TRUE(result.notCleaned.empty()) << result.notCleaned.front();
    const std::string favicons = kChrome + "\\Default\\Favicons";
    EXPECT_EQ(rows(favicons, "SELECT page_url, url, hex(image_data) FROM icon_mapping JOIN favicons ON favicons.id = icon_mapping.icon_id "
                             "JOIN favicon_bitmaps ON favicon_bitmaps.icon_id = favicons.id"),
              (Rows{{kBookmarked, "https://kept.example/icon.png", "AA"}}));
    EXPECT_FALSE(holdsCanary(favicons));
}

TEST_F(ChromiumProfiles, NoOtherConnectionReadsBetweenTheFirstDeletionAndTheEndOfTheRebuildWhileTheLockIsHeld) {
    plantProfile(kChrome, "Default");
    std::vector<std::string> unheldWrites;
    std::unique_ptr<OtherReader> reader;
    int readBeforeRebuild = SQLITE_OK;
    platform.files.beforeStatement = [&](const std::string& path, const std::string& file, std::string_view sql) {
        const auto* lock = platform.files.find(kChrome + "\\lockfile");
        const bool writes = sql.rfind("DELETE", 0) == 0 || sql.rfind("UPDATE", 0) == 0 || sql == "VACUUM";
        if (writes && !(lock && lock->heldExclusively)) unheldWrites.push_back(path + ": " + std::string(sql));
        // An indexer that arrives once the rows are committed, before the file is rebuilt.
        if (sql == "VACUUM" && endsWith(path, "\\History")) {
            reader = std::make_unique<OtherReader>(file);
            readBeforeRebuild = reader->read();
        }
    };
    const auto result = runHistoryTask();
    reader.reset();

    EXPECT_EQ(readBeforeRebuild, SQLITE_BUSY);
    EXPECT_TRUE(result.storesStayed.empty()) << result.storesStayed.front().store;
    EXPECT_FALSE(holdsCanary(kChrome + "\\Default\\History"));
    EXPECT_TRUE(unheldWrites.empty()) << unheldWrites.front();
    // The browser had left no lock file: the one made for the run goes with it.
    EXPECT_FALSE(platform.files.exists(kChrome + "\\lockfile"));
}

TEST_F(ChromiumProfiles, AReaderThatHoldsTheDatabaseFirstLeavesItUnwrittenAndNamed) {
    plantProfile(kChrome, "Default");
    const std::string history = kChrome + "\\Default\\History";
    const std::string before = bytes(history);
    std::unique_ptr<OtherReader> reader;
    platform.files.beforeStatement = [&](const std::string& path, const std::string& file, std::string_view) {
        if (!reader && endsWith(path, "\\History")) {
            reader = std::make_unique<OtherReader>(file);
            ASSERT_EQ(reader->read(), SQLITE_OK);
        }
    };
    const auto result = runHistoryTask();
    reader.reset();

    EXPECT_TRUE(bytes(history) == before);
    EXPECT_FALSE(platform.files.exists(history + "-journal"));
    ASSERT_EQ(result.storesStayed.size(), 1u);
    EXPECT_EQ(result.storesStayed[0].store, "History");
    EXPECT_EQ(result.storesStayed[0].why, StoreProblem::Refused);
    EXPECT_EQ(result.storesStayed[0].path, history);
    EXPECT_FALSE(holdsCanary(kChrome + "\\Default\\Favicons"));
}

TEST_F(ChromiumProfiles, ARebuildThatFailsOnceTheRowsWentSaysSo) {
    plantProfile(kChrome, "Default");
    platform.files.failingStatements = {"VACUUM"};
    const auto result = runHistoryTask();

    std::set<std::pair<std::string, StoreProblem>> stayed;
    for (const StoreLeft& store : result.storesStayed) stayed.insert({store.store, store.why});
    EXPECT_TRUE(stayed.count({"History", StoreProblem::RebuildFailed})) << result.storesStayed.size();
    EXPECT_EQ(rows(kChrome + "\\Default\\History", "SELECT count(*) FROM urls"), (Rows{{"0"}}));
}

TEST_F(ChromiumProfiles, AFolderThatCannotBeListedIsCountedAndNamedWithItsProfile) {
    platform.files.addFile(kChrome + "\\Local State", attr::kArchive,
                           R"({"profile":{"info_cache":{"Default":{"name":"Personne 1"},"Profile 1":{"name":"Travail"}}}})");
    plantProfile(kChrome, "Default");
    plantProfile(kChrome, "Profile 1");
    platform.files.find(kChrome + "\\Profile 1\\Sessions")->unreadable = true;
    const auto result = runHistoryTask();

    EXPECT_EQ(result.foldersUnreached, 1);
    ASSERT_EQ(result.foldersStayed.size(), 1u);
    const FolderLeft& folder = result.foldersStayed[0];
    EXPECT_EQ(folder.path, kChrome + "\\Profile 1\\Sessions");
    EXPECT_EQ(folder.browser, "Google Chrome");
    EXPECT_EQ(folder.profile, "Travail");
    EXPECT_FALSE(platform.files.exists(kChrome + "\\Default\\Sessions\\Session_13441388324267472"));
}

TEST_F(ChromiumProfiles, ADatabaseHoldingATriggerAndAFolderThatIsNoProfileAreLeftAsTheyWere) {
    platform.files.addFile(kChrome + "\\Local State", attr::kArchive,
                           R"({"profile":{"info_cache":{"Default":{},"Profile 3":{}}}})");
    plantProfile(kChrome, "Default");
    // A trigger would copy each row deleted into a table of its own, inside the transaction.
    const std::string history = kChrome + "\\Default\\History";
    platform.files.find(history)->content = browserDatabase("chromium", "History", historyRows() +
        "CREATE TABLE copies(url TEXT);"
        "CREATE TRIGGER copy BEFORE DELETE ON urls BEGIN INSERT INTO copies VALUES(old.url); END;");
    const std::string before = bytes(history);
    // Listed, but without what every profile holds.
    store(kChrome + "\\Profile 3\\History", "History", historyRows());
    const std::string notAProfile = bytes(kChrome + "\\Profile 3\\History");

    auto installations = findChromiumInstallations(platform);
    const auto result = runInternetTasks(installations);

    EXPECT_TRUE(bytes(history) == before);
    EXPECT_TRUE(bytes(kChrome + "\\Profile 3\\History") == notAProfile);
    std::set<std::pair<std::string, StoreProblem>> stayed;
    for (const StoreLeft& store : result.storesStayed) {
        stayed.insert({store.store, store.why});
        EXPECT_TRUE(store.profile.empty()) << "one profile: its name is not said";
    }
    EXPECT_EQ(stayed, (std::set<std::pair<std::string, StoreProblem>>{{"History", StoreProblem::HoldsTrigger}}));
    EXPECT_FALSE(holdsCanary(kChrome + "\\Default\\Network\\Cookies"));
}

} // namespace
