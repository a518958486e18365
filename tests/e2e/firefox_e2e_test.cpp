// Firefox under a real run: a profile planted in the prefix's application data from Firefox's
// own schemas, its history still in the write-ahead logs, and a stand-in for a running Firefox.

#include <string>

#include "BrowserRuns.h"
#include "tests/support/BrowserDatabases.h"

namespace {

using tv::e2e::ProgramDriver;
using tv::e2e::widen;
using namespace tv::e2e::browsers;
namespace ts = tv::testsupport;

const std::string kCanary = "canary-e2e-f1a7.example";
const std::string kBookmarked = "https://kept.example/";

bool holdsCanary(const std::string& path) { return readFile(path).find(kCanary) != std::string::npos; }

// A Firefox profile with a trace in each store, left as a Firefox that ended leaves it (its
// lock file still there), and what its user keeps beside them; Firefox's folders go again at
// the end.
class PlantedFirefox {
public:
    PlantedFirefox()
        : roaming_(specialFolder(CSIDL_APPDATA) + "\\Mozilla\\Firefox"),
          local_(localAppData() + "\\Mozilla\\Firefox"),
          profile_(roaming_ + "\\Profiles\\e2e.default-release"),
          cache_(local_ + "\\Profiles\\e2e.default-release") {
        planted_ = !wt::exists(roaming_) && !wt::exists(local_);
        if (!planted_) return;
        makeFolders(profile_ + "\\sessionstore-backups");
        makeFolders(cache_ + "\\cache2\\entries");
        writeFile(roaming_ + "\\profiles.ini",
                  "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/e2e.default-release\r\nDefault=1\r\n\r\n"
                  "[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n");
        const std::string c = "https://" + kCanary + "/";
        ts::writeLoggedDatabase(tv::win32::narrow(wt::longForm(profile_ + "\\places.sqlite")), "firefox", "places",
            "INSERT INTO moz_places(id,url,title,visit_count,last_visit_date,foreign_count) VALUES"
            "(1,'" + c + "','Canary',2,1700000000000000,0),(2,'" + kBookmarked + "','Kept',5,1700000000000000,1);"
            "INSERT INTO moz_historyvisits(id,place_id,visit_date,visit_type) VALUES(1,1,1700000000000000,1),(2,2,1700000000000000,1);"
            "INSERT INTO moz_bookmarks(id,type,fk,parent,position,title,guid) VALUES(1,2,NULL,0,0,'','root________'),(2,1,2,1,0,'Kept','bookmarkguid');"
            "INSERT INTO moz_inputhistory VALUES(1,'" + kCanary + "',1);");
        ts::writeLoggedDatabase(tv::win32::narrow(wt::longForm(profile_ + "\\favicons.sqlite")), "firefox", "favicons",
            "INSERT INTO moz_icons(id,icon_url,fixed_icon_url_hash,data) VALUES(1,'" + kBookmarked + "icon.png',1,x'AA'),(2,'" + c + "icon.png',2,x'BB');"
            "INSERT INTO moz_pages_w_icons VALUES(1,'" + kBookmarked + "',1),(2,'" + c + "',2);"
            "INSERT INTO moz_icons_to_pages(page_id,icon_id) VALUES(1,1),(2,2);");
        writeFile(profile_ + "\\cookies.sqlite", ts::browserDatabase("firefox", "cookies",
            "INSERT INTO moz_cookies(id,name,value,host,path) VALUES(1,'sid','v','." + kCanary + "','/');"));
        writeFile(profile_ + "\\formhistory.sqlite", ts::browserDatabase("firefox", "formhistory",
            "INSERT INTO moz_formhistory(id,fieldname,value) VALUES(1,'q','" + kCanary + "');"));
        writeFile(profile_ + "\\sessionstore.jsonlz4", kCanary);
        writeFile(profile_ + "\\sessionstore-backups\\recovery.jsonlz4", kCanary);
        writeFile(profile_ + "\\logins.json", "{\"logins\":[]}");
        writeFile(profile_ + "\\prefs.js", "user_pref(\"a\", 1);");
        writeFile(profile_ + "\\parent.lock", "");
        writeFile(cache_ + "\\cache2\\entries\\0A1B", kCanary);
    }
    ~PlantedFirefox() {
        if (!planted_) return;
        wt::removeTree(roaming_);
        wt::removeTree(local_);
    }
    bool planted() const { return planted_; }
    const std::string& profile() const { return profile_; }
    const std::string& cache() const { return cache_; }

private:
    std::string roaming_, local_, profile_, cache_;
    bool planted_ = false;
};

TEST(Firefox, AFullRunCleansAProfileAFirefoxThatEndedLeftAndKeepsBookmarksAndTheirIcons) {
    PlantedFirefox firefox;
    ASSERT_TRUE(firefox.planted()) << "the prefix already has Firefox's folders";
    const std::string p = firefox.profile();
    ASSERT_TRUE(holdsCanary(p + "\\places.sqlite-wal") && holdsCanary(p + "\\favicons.sqlite-wal"));

    ProgramDriver program;
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    const std::wstring end = runInternetTasks(program, main);
    EXPECT_EQ(end.find(L"Firefox"), std::wstring::npos) << tv::e2e::narrow(end);

    for (const char* store : {"\\places.sqlite", "\\favicons.sqlite", "\\cookies.sqlite", "\\formhistory.sqlite"}) {
        const std::string path = p + store;
        EXPECT_FALSE(holdsCanary(path)) << path;
        EXPECT_FALSE(holdsCanary(path + "-wal")) << path;
        EXPECT_EQ(ts::rowsOf(readFile(path), "PRAGMA integrity_check"), (ts::Rows{{"ok"}})) << path;
    }
    EXPECT_EQ(ts::rowsOf(readFile(p + "\\places.sqlite"), "SELECT url, visit_count FROM moz_places"),
              (ts::Rows{{kBookmarked, "0"}}));
    EXPECT_EQ(ts::rowsOf(readFile(p + "\\places.sqlite"), "SELECT title FROM moz_bookmarks WHERE fk = 2"), (ts::Rows{{"Kept"}}));
    EXPECT_EQ(ts::rowsOf(readFile(p + "\\favicons.sqlite"), "SELECT hex(data) FROM moz_icons"), (ts::Rows{{"AA"}}));
    EXPECT_FALSE(wt::exists(p + "\\sessionstore.jsonlz4"));
    EXPECT_FALSE(wt::exists(p + "\\sessionstore-backups\\recovery.jsonlz4"));
    EXPECT_FALSE(wt::exists(firefox.cache() + "\\cache2\\entries\\0A1B"));
    for (const char* kept : {"\\logins.json", "\\prefs.js", "\\sessionstore-backups", "\\parent.lock"})
        EXPECT_TRUE(wt::exists(p + kept)) << kept;

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

TEST(Firefox, AFirefoxThatStaysOpenIsLeftUntouchedAndNamed) {
    PlantedFirefox firefox;
    ASSERT_TRUE(firefox.planted()) << "the prefix already has Firefox's folders";
    wt::ScratchFolder installs("e2e-firefox");
    RunningBrowser staying(installs, "Mozilla Firefox\\firefox.exe", firefox.profile(), true, "MozillaWindowClass",
                           "parent.lock");
    ASSERT_TRUE(staying.holdsLock()) << "the stand-in did not start";
    const auto before = snapshot(firefox.profile());
    const auto cacheBefore = snapshot(firefox.cache());

    ProgramDriver program;
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    const std::wstring end = runInternetTasks(program, main, "Mozilla Firefox est ouvert");

    EXPECT_NE(end.find(L"Mozilla Firefox"), std::wstring::npos) << tv::e2e::narrow(end);
    EXPECT_TRUE(staying.holdsLock()) << "the Firefox that stayed was ended";
    EXPECT_TRUE(snapshot(firefox.profile()) == before) << "the running Firefox's profile was written";
    EXPECT_TRUE(snapshot(firefox.cache()) == cacheBefore) << "the running Firefox's cache was purged";

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

} // namespace
