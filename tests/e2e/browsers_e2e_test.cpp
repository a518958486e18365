// The browsers of today under a real run: Chromium-family profiles planted in the prefix's
// local application data from the browsers' own schemas, and stand-ins for running browsers.

#include <string>
#include <vector>

#include "BrowserRuns.h"
#include "tests/support/BrowserDatabases.h"

namespace {

using tv::e2e::ProgramDriver;
using tv::e2e::waitUntil;
using tv::e2e::widen;
using namespace tv::e2e::browsers;
namespace ts = tv::testsupport;
const std::string kCanary = "canary-e2e-5c1f.example";
const std::string kBookmarked = "https://kept.example/";

bool holdsCanary(const std::string& path) { return readFile(path).find(kCanary) != std::string::npos; }

// A browser's user-data folder planted below the prefix's local application data, with a
// trace in each store of each profile and what its user keeps beside them; the vendor's
// folder goes again at the end.
class PlantedBrowser {
public:
    PlantedBrowser(const std::string& vendor, const std::string& userData, const std::vector<std::string>& profiles)
        : top_(localAppData() + "\\" + vendor), userData_(localAppData() + "\\" + userData) {
        planted_ = !wt::exists(top_);
        if (!planted_) return;
        makeFolders(userData_);
        std::string cache = R"({"profile":{"info_cache":{)";
        for (size_t i = 0; i < profiles.size(); ++i) cache += (i ? ",\"" : "\"") + profiles[i] + "\":{}";
        writeFile(userData_ + "\\Local State", cache + "}}}");
        for (const auto& profile : profiles) plantProfile(userData_ + "\\" + profile);
        makeFolders(userData_ + "\\segmentation_platform");
        ts::writeLoggedDatabase(tv::win32::narrow(wt::longForm(userData_ + "\\segmentation_platform\\ukm_db")), "chromium",
                                "ukm_db", "INSERT INTO urls(url_id,url,last_timestamp) VALUES(1,'https://" + kCanary + "/',1);");
        makeFolders(userData_ + "\\GrShaderCache");
        writeFile(userData_ + "\\GrShaderCache\\data_1", kCanary);
    }
    ~PlantedBrowser() {
        if (planted_) wt::removeTree(top_);
    }
    bool planted() const { return planted_; }
    const std::string& userData() const { return userData_; }

    static std::vector<std::string> stores() {
        return {"History", "Network\\Cookies", "Web Data", "Favicons", "Shortcuts"};
    }

private:
    void plantProfile(const std::string& p) {
        makeFolders(p + "\\Network");
        writeFile(p + "\\History", ts::browserDatabase("chromium", "History",
            "INSERT INTO urls VALUES(1,'https://" + kCanary + "/','Canary',2,1,13300000000000000,0);"
            "INSERT INTO visits(id,url,visit_time,transition) VALUES(1,1,13300000000000000,1);"));
        writeFile(p + "\\Network\\Cookies", ts::browserDatabase("chromium", "Cookies",
            "INSERT INTO cookies VALUES(1,'." + kCanary + "','','sid','v',x'','/',0,1,1,1,1,1,1,0,2,443,1,0,0);"));
        writeFile(p + "\\Web Data", ts::browserDatabase("chromium", "Web Data",
            "INSERT INTO autocomplete(name,value,value_lower) VALUES('q','" + kCanary + "','" + kCanary + "');"
            "INSERT INTO keywords(id,short_name,keyword,favicon_url,url) VALUES(9,'Moteur','moteur.example','','https://moteur.example/?q={searchTerms}');"));
        writeFile(p + "\\Favicons", ts::browserDatabase("chromium", "Favicons",
            "INSERT INTO favicons VALUES(1,'" + kBookmarked + "icon.png',1),(2,'https://" + kCanary + "/icon.png',1);"
            "INSERT INTO icon_mapping VALUES(1,'" + kBookmarked + "',1,0),(2,'https://" + kCanary + "/',2,0);"));
        writeFile(p + "\\Shortcuts", ts::browserDatabase("chromium", "Shortcuts",
            "INSERT INTO omni_box_shortcuts(id,text,url) VALUES('s','can','https://" + kCanary + "/');"));
        writeFile(p + "\\Login Data", ts::browserDatabase("chromium", "Login Data",
            "INSERT INTO logins(origin_url,signon_realm,date_created,blacklisted_by_user,scheme) VALUES('https://bank.example/','https://bank.example/',1,0,0);"));
        writeFile(p + "\\Bookmarks", R"({"roots":{"bookmark_bar":{"type":"folder","children":[{"type":"url","url":")" +
                                         kBookmarked + R"("}]}},"version":1})");
        writeFile(p + "\\Preferences", "{}");
        writeFile(p + "\\Visited Links", kCanary);
        makeFolders(p + "\\Sessions");
        writeFile(p + "\\Sessions\\Session_1", kCanary);
        makeFolders(p + "\\Cache\\Cache_Data");
        writeFile(p + "\\Cache\\Cache_Data\\f_000001", kCanary);
    }

    std::string top_;
    std::string userData_;
    bool planted_ = false;
};

TEST(Browsers, AFullRunCleansEveryProfileOfEveryBrowserAndKeepsWhatItsUserKeeps) {
    PlantedBrowser chrome("Google", "Google\\Chrome\\User Data", {"Default", "Profile 1"});
    PlantedBrowser edge("Microsoft\\Edge", "Microsoft\\Edge\\User Data", {"Default"});
    ASSERT_TRUE(chrome.planted() && edge.planted()) << "the prefix already has these browsers";
    const std::string chromeLogins = readFile(chrome.userData() + "\\Profile 1\\Login Data");
    ASSERT_TRUE(holdsCanary(chrome.userData() + "\\segmentation_platform\\ukm_db-wal"));

    ProgramDriver program;
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    const std::wstring end = runInternetTasks(program, main);
    EXPECT_EQ(end.find(L"Chrome"), std::wstring::npos) << tv::e2e::narrow(end);
    EXPECT_EQ(end.find(L"Edge"), std::wstring::npos) << tv::e2e::narrow(end);
    EXPECT_NE(end.find(L'\r'), std::wstring::npos) << "the run did not end: " << tv::e2e::narrow(end);

    for (const std::string& userData : {chrome.userData() + "\\Default", chrome.userData() + "\\Profile 1",
                                        edge.userData() + "\\Default"}) {
        for (const std::string& store : PlantedBrowser::stores()) {
            const std::string path = userData + "\\" + store;
            EXPECT_FALSE(holdsCanary(path)) << path;
            EXPECT_EQ(ts::rowsOf(readFile(path), "PRAGMA integrity_check"), (ts::Rows{{"ok"}})) << path;
            EXPECT_FALSE(wt::exists(path + "-journal")) << path;
        }
        EXPECT_EQ(ts::rowsOf(readFile(userData + "\\Web Data"), "SELECT keyword FROM keywords"), (ts::Rows{{"moteur.example"}}));
        EXPECT_EQ(ts::rowsOf(readFile(userData + "\\Favicons"), "SELECT page_url FROM icon_mapping"), (ts::Rows{{kBookmarked}}));
        for (const char* gone : {"\\Visited Links", "\\Sessions\\Session_1", "\\Cache\\Cache_Data\\f_000001"})
            EXPECT_FALSE(wt::exists(userData + gone)) << userData << gone;
        for (const char* kept : {"\\Bookmarks", "\\Login Data", "\\Sessions", "\\Cache\\Cache_Data"})
            EXPECT_TRUE(wt::exists(userData + kept)) << userData << kept;
    }
    EXPECT_EQ(readFile(chrome.userData() + "\\Profile 1\\Login Data"), chromeLogins);
    const std::string ukm = chrome.userData() + "\\segmentation_platform\\ukm_db";
    EXPECT_FALSE(holdsCanary(ukm));
    EXPECT_FALSE(holdsCanary(ukm + "-wal"));
    EXPECT_FALSE(wt::exists(chrome.userData() + "\\GrShaderCache\\data_1"));

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

TEST(Browsers, ABrowserThatClosesWhenAskedIsCleanedAndOneThatStaysIsLeftUntouchedAndNamed) {
    PlantedBrowser chrome("Google", "Google\\Chrome\\User Data", {"Default"});
    PlantedBrowser edge("Microsoft\\Edge", "Microsoft\\Edge\\User Data", {"Default"});
    ASSERT_TRUE(chrome.planted() && edge.planted()) << "the prefix already has these browsers";
    wt::ScratchFolder installs("e2e-browsers");
    RunningBrowser closing(installs, "Google\\Chrome\\Application\\chrome.exe", chrome.userData(), false);
    RunningBrowser staying(installs, "Microsoft\\Edge\\Application\\msedge.exe", edge.userData(), true);
    ASSERT_TRUE(closing.holdsLock() && staying.holdsLock()) << "the stand-ins did not start";
    const auto edgeBefore = snapshot(edge.userData());

    ProgramDriver program;
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    const std::wstring end = runInternetTasks(program, main, "Google Chrome et Microsoft Edge");
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(main, tv::e2e::artefactPath(L"e2e-browser-left-open.bmp")));

    EXPECT_NE(end.find(L"Microsoft Edge"), std::wstring::npos) << tv::e2e::narrow(end);
    EXPECT_EQ(end.find(L"Google Chrome"), std::wstring::npos) << tv::e2e::narrow(end);
    EXPECT_TRUE(closing.ended(10000)) << "the browser asked to close is still running";
    EXPECT_TRUE(staying.holdsLock()) << "the browser that stayed was ended";
    EXPECT_FALSE(holdsCanary(chrome.userData() + "\\Default\\History"));
    EXPECT_TRUE(snapshot(edge.userData()) == edgeBefore) << "the running browser's profile was written";

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

} // namespace
