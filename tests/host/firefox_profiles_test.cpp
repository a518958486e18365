#include <gtest/gtest.h>

#include <set>

#include "engine/browsers/BrowserGate.h"
#include "engine/browsers/FirefoxCleaner.h"
#include "engine/browsers/GatedBrowsers.h"
#include "tests/host/browser_profiles_fixture.h"

using namespace tv;
using namespace tv::engine;
using namespace tv::engine::browsers;
using tv::testsupport::browserDatabase;
using tv::testsupport::rowsOf;
using Rows = tv::testsupport::Rows;

namespace {

const std::string kRoaming = "C:\\Users\\user\\AppData\\Roaming";
const std::string kLocal = "C:\\Users\\user\\AppData\\Local";
const std::string kFirefox = kRoaming + "\\Mozilla\\Firefox";
const std::string kStore = kLocal + "\\Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache";
const std::string kCanary = "canary-93be.example";
const std::string kBookmarked = "https://kept.example/reading";

// A visited page, a bookmarked page visited too, and what Firefox learnt of both.
std::string placesRows() {
    const std::string c = "https://" + kCanary;
    return "INSERT INTO moz_origins(id,prefix,host,frecency) VALUES(1,'https://','" + kCanary + "',500),(2,'https://','kept.example',900);"
           "INSERT INTO moz_places(id,url,title,rev_host,visit_count,typed,frecency,last_visit_date,guid,foreign_count,origin_id) VALUES"
           "(1,'" + c + "/page','Canary','elpmaxe.'||'" + kCanary + "',3,1,2000,1700000000000000,'canaryguid01',0,1),"
           "(2,'" + kBookmarked + "','Kept','elpmaxe.tpek.',7,1,9000,1700000000000001,'keptguid0001',1,2);"
           "INSERT INTO moz_historyvisits(id,place_id,visit_date,visit_type) VALUES(1,1,1700000000000000,1),(2,2,1700000000000001,1);"
           "INSERT INTO moz_bookmarks(id,type,fk,parent,position,title,guid) VALUES(1,2,NULL,0,0,'','root________'),"
           "(2,1,2,1,0,'Kept','bookmarkguid');"
           "INSERT INTO moz_inputhistory VALUES(1,'" + kCanary + "',1);"
           "INSERT INTO moz_places_metadata_search_queries VALUES(1,'" + kCanary + "');"
           "INSERT INTO moz_places_metadata(id,place_id,search_query_id) VALUES(1,2,1);"
           "INSERT INTO moz_anno_attributes VALUES(1,'downloads/destinationFileURI');"
           "INSERT INTO moz_annos(id,place_id,anno_attribute_id,content) VALUES(1,2,1,'file:///C:/" + kCanary + ".zip');"
           "INSERT INTO moz_meta VALUES('origin_frecency_count', 2);";
}

std::string faviconRows() {
    const std::string c = "https://" + kCanary;
    return "INSERT INTO moz_icons(id,icon_url,fixed_icon_url_hash,root,data) VALUES"
           "(1,'https://kept.example/reading.png',1,0,x'AA'),(2,'https://kept.example/favicon.ico',2,1,x'AB'),"
           "(3,'" + c + "/page.png',3,0,x'BB'),(4,'" + c + "/favicon.ico',4,1,x'BC');"
           "INSERT INTO moz_pages_w_icons VALUES(1,'" + kBookmarked + "',1),(2,'" + c + "/page',2);"
           "INSERT INTO moz_icons_to_pages(page_id,icon_id) VALUES(1,1),(2,3);";
}

class FirefoxProfiles : public tv::testsupport::BrowserProfilesTest {
protected:
    FirefoxProfiles() {
        platform.specialFolders[kCsidlAppData] = kRoaming;
        platform.specialFolders[kCsidlLocalAppData] = kLocal;
    }

    bool holdsCanary(const std::string& path) { return bytes(path).find(kCanary) != std::string::npos; }

    // A database as Firefox leaves it when it ends abruptly: every page still in its log.
    void loggedStore(const std::string& path, const std::string& store, const std::string& rows) {
        const auto [file, log] = tv::testsupport::loggedDatabase("firefox", store, rows);
        platform.files.addFile(path, attr::kArchive, file);
        platform.files.addFile(path + "-wal", attr::kArchive, log);
    }

    void plantProfile(const std::string& p, const std::string& cache) {
        loggedStore(p + "\\places.sqlite", "places", placesRows());
        loggedStore(p + "\\favicons.sqlite", "favicons", faviconRows());
        platform.files.addFile(p + "\\cookies.sqlite", attr::kArchive, browserDatabase("firefox", "cookies",
            "INSERT INTO moz_cookies(id,name,value,host,path) VALUES(1,'sid','v','." + kCanary + "','/');"));
        platform.files.addFile(p + "\\formhistory.sqlite", attr::kArchive, browserDatabase("firefox", "formhistory",
            "INSERT INTO moz_formhistory(id,fieldname,value) VALUES(1,'q','" + kCanary + "'),(2,'searchbar-history','" + kCanary + "');"
            "INSERT INTO moz_sources VALUES(1,'https://" + kCanary + "/');INSERT INTO moz_history_to_sources VALUES(1,1);"));
        platform.files.addFile(p + "\\sessionstore.jsonlz4", attr::kArchive, kCanary);
        platform.files.addFile(p + "\\sessionstore-backups\\recovery.jsonlz4", attr::kArchive, kCanary);
        for (const char* kept : {"\\logins.json", "\\key4.db", "\\cert9.db", "\\prefs.js",
                                 "\\bookmarkbackups\\bookmarks-2024-01-01.jsonlz4", "\\extensions\\addon@example.xpi"})
            platform.files.addFile(p + kept, attr::kArchive, "kept");
        platform.files.addFile(cache + "\\cache2\\entries\\0A1B", attr::kArchive, kCanary);
        platform.files.addFile(cache + "\\thumbnails\\a.png", attr::kArchive, kCanary);
    }

    void profilesIni(const std::string& folder, const std::string& sections) {
        platform.files.addFile(folder + "\\profiles.ini", attr::kArchive,
                               "[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n\r\n" + sections);
    }

    TasksOutcome runInternetTasks(std::vector<FirefoxInstallation>& installations) {
        return everyInternetTask([&](TaskWork& work) { cleanFirefoxTask(work, installations, false); });
    }
};

TEST_F(FirefoxProfiles, HistoryGoesForGoodFromTheLogToAndBookmarksKeepTheirPagesAndIcons) {
    profilesIni(kFirefox, "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/ab12.default-release\r\n");
    const std::string p = kFirefox + "\\Profiles\\ab12.default-release";
    plantProfile(p, kLocal + "\\Mozilla\\Firefox\\Profiles\\ab12.default-release");
    ASSERT_TRUE(holdsCanary(p + "\\places.sqlite-wal") && holdsCanary(p + "\\favicons.sqlite-wal"));

    auto installations = findFirefoxInstallations(platform);
    ASSERT_EQ(installations.size(), 1u);
    const auto result = runInternetTasks(installations);
    EXPECT_TRUE(result.notCleaned.empty()) << result.notCleaned.front();

    for (const char* db : {"\\places.sqlite", "\\favicons.sqlite", "\\cookies.sqlite", "\\formhistory.sqlite"}) {
        EXPECT_FALSE(holdsCanary(p + db)) << db;
        EXPECT_FALSE(holdsCanary(p + db + "-wal")) << db;
        EXPECT_EQ(rows(p + db, "PRAGMA integrity_check"), (Rows{{"ok"}})) << db;
    }
    const std::string places = p + "\\places.sqlite";
    EXPECT_EQ(rows(places, "SELECT url, visit_count, last_visit_date, typed, frecency FROM moz_places"),
              (Rows{{kBookmarked, "0", "", "0", "-1"}}));
    EXPECT_EQ(rows(places, "SELECT fk, title, guid FROM moz_bookmarks WHERE fk IS NOT NULL"), (Rows{{"2", "Kept", "bookmarkguid"}}));
    for (const char* table : {"moz_historyvisits", "moz_inputhistory", "moz_places_metadata", "moz_annos"})
        EXPECT_EQ(rows(places, std::string("SELECT count(*) FROM ") + table), (Rows{{"0"}})) << table;
    EXPECT_EQ(rows(places, "SELECT host, frecency FROM moz_origins"), (Rows{{"kept.example", "0"}}));
    EXPECT_EQ(rows(places, "SELECT key FROM moz_meta"), (Rows{{"origin_frecency_count"}}));
    // The bookmark's own icon and its site's icon stay, with their pictures.
    EXPECT_EQ(rows(p + "\\favicons.sqlite", "SELECT icon_url, hex(data) FROM moz_icons ORDER BY id"),
              (Rows{{"https://kept.example/reading.png", "AA"}, {"https://kept.example/favicon.ico", "AB"}}));
    EXPECT_EQ(rows(p + "\\favicons.sqlite", "SELECT page_url FROM moz_pages_w_icons"), (Rows{{kBookmarked}}));
    EXPECT_EQ(rows(p + "\\formhistory.sqlite", "SELECT count(*) FROM moz_formhistory"), (Rows{{"0"}}));

    for (const char* kept : {"\\logins.json", "\\key4.db", "\\cert9.db", "\\prefs.js",
                             "\\bookmarkbackups\\bookmarks-2024-01-01.jsonlz4", "\\extensions\\addon@example.xpi",
                             "\\sessionstore-backups"})
        EXPECT_TRUE(platform.files.exists(p + kept)) << kept;
    EXPECT_FALSE(platform.files.exists(p + "\\sessionstore.jsonlz4"));
    EXPECT_EQ(platform.files.fileCountBelow(p + "\\sessionstore-backups"), 0);
    EXPECT_EQ(platform.files.fileCountBelow(kLocal + "\\Mozilla\\Firefox\\Profiles"), 0);
    EXPECT_TRUE(platform.files.exists(kLocal + "\\Mozilla\\Firefox\\Profiles\\ab12.default-release\\cache2"));
}

TEST_F(FirefoxProfiles, TypedAddressesAloneLeaveHistoryAndTheSearchBarGoes) {
    profilesIni(kFirefox, "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/t.default\r\n");
    const std::string p = kFirefox + "\\Profiles\\t.default";
    plantProfile(p, p);
    auto installations = findFirefoxInstallations(platform);
    RunReport report;
    TaskWork work(platform, display, RunMode::Execute, tkTypedUrls, report);
    cleanFirefoxTask(work, installations, true);
    EXPECT_TRUE(report.storesLeft.empty());
    EXPECT_EQ(rows(p + "\\places.sqlite", "SELECT count(*), sum(typed) FROM moz_places"), (Rows{{"2", "0"}}));
    EXPECT_EQ(rows(p + "\\places.sqlite", "SELECT count(*) FROM moz_inputhistory"), (Rows{{"0"}}));
    EXPECT_EQ(rows(p + "\\places.sqlite", "SELECT count(*) FROM moz_historyvisits"), (Rows{{"2"}}));
    EXPECT_EQ(rows(p + "\\formhistory.sqlite", "SELECT fieldname FROM moz_formhistory"), (Rows{{"q"}}));
}

TEST_F(FirefoxProfiles, ProfilesIniRelativeAbsoluteAndBrokenTouchOnlyWhatTheyMayReach) {
    profilesIni(kFirefox,
                "[Install308046B0AF4A39CB]\r\nDefault=Profiles/rel.default\r\n\r\n"
                "[Profile0]\r\nName=rel\r\nIsRelative=1\r\nPath=Profiles/rel.default\r\nDefault=1\r\n\r\n"
                "[Profile1]\r\nName=abs\r\nIsRelative=0\r\nPath=D:/Firefox\\Travail\r\n\r\n"
                "[Profile2]\r\nName=nowhere\r\nIsRelative=1\r\nPath=Profiles/missing\r\n\r\n"
                "[Profile3]\r\nName=climbs\r\nIsRelative=1\r\nPath=../../Elsewhere\r\n\r\n"
                "[Profile4]\r\nName=linked\r\nIsRelative=1\r\nPath=Profiles\\linked\r\n");
    plantProfile(kFirefox + "\\Profiles\\rel.default", kLocal + "\\Mozilla\\Firefox\\Profiles\\rel.default");
    plantProfile("D:\\Firefox\\Travail", "D:\\Firefox\\Travail");
    plantProfile("C:\\Users\\user\\Elsewhere", "C:\\Users\\user\\Elsewhere");
    platform.files.addLink(kFirefox + "\\Profiles\\linked", "C:\\Users\\user\\Elsewhere");
    const std::string elsewhere = bytes("C:\\Users\\user\\Elsewhere\\places.sqlite");
    // The Store build's profiles.ini cannot be read: nothing of its tree is touched.
    plantProfile(kStore + "\\Roaming\\Mozilla\\Firefox\\Profiles\\s.default", kStore + "\\Local\\Mozilla\\Firefox\\Profiles\\s.default");
    profilesIni(kStore + "\\Roaming\\Mozilla\\Firefox", "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/s.default\r\n");
    platform.files.find(kStore + "\\Roaming\\Mozilla\\Firefox\\profiles.ini")->heldExclusively = true;

    auto installations = findFirefoxInstallations(platform);
    ASSERT_EQ(installations.size(), 2u);
    ASSERT_EQ(installations[0].profiles.size(), 4u) << "the climbing path is no profile";
    const auto result = runInternetTasks(installations);

    EXPECT_FALSE(holdsCanary(kFirefox + "\\Profiles\\rel.default\\places.sqlite"));
    EXPECT_FALSE(holdsCanary("D:\\Firefox\\Travail\\places.sqlite"));
    EXPECT_FALSE(platform.files.exists("D:\\Firefox\\Travail\\cache2\\entries\\0A1B"));
    EXPECT_FALSE(platform.files.exists(kFirefox + "\\Profiles\\missing"));
    EXPECT_TRUE(bytes("C:\\Users\\user\\Elsewhere\\places.sqlite") == elsewhere);
    EXPECT_TRUE(platform.files.exists("C:\\Users\\user\\Elsewhere\\sessionstore.jsonlz4"));
    EXPECT_TRUE(holdsCanary(kStore + "\\Roaming\\Mozilla\\Firefox\\Profiles\\s.default\\places.sqlite-wal"));
    EXPECT_TRUE(platform.files.exists(kStore + "\\Local\\Mozilla\\Firefox\\Profiles\\s.default\\cache2\\entries\\0A1B"));
    EXPECT_EQ(std::set<std::string>(result.notCleaned.begin(), result.notCleaned.end()),
              (std::set<std::string>{"Mozilla Firefox (linked)", "Mozilla Firefox"}));
}

TEST_F(FirefoxProfiles, OneQuestionNamesEveryRunningBrowserAndAFirefoxThatStaysIsNeverWritten) {
    profilesIni(kFirefox, "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/run.default\r\n");
    const std::string p = kFirefox + "\\Profiles\\run.default";
    plantProfile(p, p);
    platform.files.addFile(p + "\\parent.lock").heldExclusively = true;
    // The Store build ended long ago: its lock file is still there, and opens.
    const std::string s = kStore + "\\Roaming\\Mozilla\\Firefox\\Profiles\\s.default";
    profilesIni(kStore + "\\Roaming\\Mozilla\\Firefox", "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/s.default\r\n");
    plantProfile(s, s);
    platform.files.addFile(s + "\\parent.lock");
    const std::string chrome = kLocal + "\\Google\\Chrome\\User Data";
    platform.files.addFile(chrome + "\\lockfile").heldExclusively = true;
    const std::string placesBefore = bytes(p + "\\places.sqlite-wal");
    platform.windows = {{0x10, "MozillaWindowClass", 0, -1}, {0x20, "MozillaWindowClass"}, {0x30, "Chrome_WidgetWin_1"}};
    platform.windowPrograms[0x10] = {"C:\\Program Files\\Mozilla Firefox\\firefox.exe", ""};
    // Another program that draws its windows with Firefox's class.
    platform.windowPrograms[0x20] = {"C:\\Program Files\\Mozilla Thunderbird\\thunderbird.exe", ""};
    platform.windowPrograms[0x30] = {"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", chrome + "\\lockfile"};
    backend.answers = {toolkit::MessageResult::Yes};

    auto chromium = findChromiumInstallations(platform);
    auto firefox = findFirefoxInstallations(platform);
    auto browsers = gated(platform, chromium);
    auto gatedFirefox = gated(platform, firefox);
    browsers.insert(browsers.end(), gatedFirefox.begin(), gatedFirefox.end());
    closeRunningBrowsers(platform, display, browsers);
    const auto result = runInternetTasks(firefox);

    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_NE(backend.boxes[0].text.find("Google Chrome et Mozilla Firefox"), std::string::npos) << backend.boxes[0].text;
    std::vector<WindowHandle> asked;
    for (const auto& m : platform.posted) asked.push_back(m.window);
    EXPECT_EQ(asked, (std::vector<WindowHandle>{0x30, 0x10}));
    EXPECT_TRUE(bytes(p + "\\places.sqlite-wal") == placesBefore);
    EXPECT_TRUE(platform.files.exists(p + "\\sessionstore.jsonlz4"));
    EXPECT_FALSE(holdsCanary(s + "\\places.sqlite"));
    EXPECT_FALSE(platform.files.exists(s + "\\sessionstore.jsonlz4"));
    EXPECT_EQ(result.leftOpen, std::vector<std::string>(5, "Mozilla Firefox"));
}

TEST_F(FirefoxProfiles, ProfilesAwayFromThisMachineAndFoldersThatAreNoProfilesAreNeverTouched) {
    const std::string documents = "C:\\Users\\user\\Documents";
    profilesIni(kFirefox,
                "[Profile0]\r\nName=Perso\r\nIsRelative=1\r\nPath=Profiles/ok.default\r\n\r\n"
                "[Profile1]\r\nName=Partage\r\nIsRelative=0\r\nPath=\\\\server\\share\\ff\r\n\r\n"
                "[Profile2]\r\nName=Long\r\nIsRelative=0\r\nPath=\\\\?\\UNC\\server\\share\\ff2\r\n\r\n"
                "[Profile3]\r\nName=Lecteur\r\nIsRelative=0\r\nPath=Z:\\ff\r\n\r\n"
                "[Profile4]\r\nName=Documents\r\nIsRelative=0\r\nPath=" + documents + "\r\n");
    const std::string ok = kFirefox + "\\Profiles\\ok.default";
    plantProfile(ok, kLocal + "\\Mozilla\\Firefox\\Profiles\\ok.default");
    plantProfile("\\\\server\\share\\ff", "\\\\server\\share\\ff");
    plantProfile("Z:\\ff", "Z:\\ff");
    platform.driveKinds['Z'] = DriveKind::Network;
    platform.files.recordOpens = true;
    platform.files.addFile(documents + "\\cache2\\notes.txt", attr::kArchive, "the user's own");
    std::vector<std::string> unheldWrites;
    platform.files.beforeStatement = [&](const std::string& path, const std::string&, std::string_view sql) {
        const auto* lock = platform.files.find(ok + "\\parent.lock");
        if (sql.rfind("DELETE", 0) == 0 && !(lock && lock->heldExclusively)) unheldWrites.push_back(path);
    };

    auto installations = findFirefoxInstallations(platform);
    EXPECT_EQ(countFirefoxCacheFiles(platform, display, installations), 2);
    const auto result = runInternetTasks(installations);

    EXPECT_FALSE(holdsCanary(ok + "\\places.sqlite"));
    EXPECT_TRUE(unheldWrites.empty()) << unheldWrites.front();
    EXPECT_FALSE(platform.files.exists(ok + "\\parent.lock"));
    EXPECT_EQ(platform.files.contentOf(documents + "\\cache2\\notes.txt"), "the user's own");
    for (const std::string& away : {std::string("\\\\server\\share\\ff"), std::string("Z:\\ff")}) {
        EXPECT_TRUE(holdsCanary(away + "\\places.sqlite-wal")) << away;
        EXPECT_TRUE(platform.files.exists(away + "\\cache2\\entries\\0A1B")) << away;
    }
    // Nothing was opened on the share or the network drive, and of Documents only what tells
    // a profile.
    for (const std::string& opened : platform.files.opened) {
        EXPECT_NE(opened.rfind("\\\\", 0), 0u) << opened;
        EXPECT_NE(opened.rfind("Z:", 0), 0u) << opened;
        if (opened.rfind(documents + "\\", 0) == 0) {
            EXPECT_TRUE(opened == documents + "\\prefs.js" || opened == documents + "\\times.json") << opened;
        }
    }
    std::set<std::pair<std::string, StoreProblem>> stayed;
    for (const StoreLeft& store : result.storesStayed) {
        stayed.insert({store.profile, store.why});
        EXPECT_TRUE(!store.profile.empty() && store.store.empty()) << store.profile;
    }
    EXPECT_EQ(stayed, (std::set<std::pair<std::string, StoreProblem>>{{"Partage", StoreProblem::NetworkPath},
                                                                        {"Long", StoreProblem::NetworkPath},
                                                                        {"Lecteur", StoreProblem::NetworkPath}}));
}

} // namespace
