// The browsers of today under a real run: Chromium-family profiles planted in the prefix's
// local application data from the browsers' own schemas, and stand-ins for running browsers.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "tests/support/BrowserDatabases.h"
#include "tests/win/BrowserSupport.h"
#include "tests/win/WinTestSupport.h"

namespace {

using tv::e2e::ProgramDriver;
using tv::e2e::waitUntil;
using tv::e2e::widen;
namespace wt = tv::wintest;
namespace ts = tv::testsupport;

const std::wstring kMainTitle = widen("Tarmel veilo 2   - Surfez sur le web en toute discrétion -");
const std::string kCanary = "canary-e2e-5c1f.example";
const std::string kBookmarked = "https://kept.example/";

std::string localAppData() {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path)) ? tv::win32::narrowUntilNul(path) : "";
}

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(wt::longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string readFile(const std::string& path) {
    HANDLE h = CreateFileW(wt::longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(h, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(h);
    return bytes;
}

void makeFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        CreateDirectoryW(wt::longForm(path.substr(0, at)).c_str(), nullptr);
        if (at == std::string::npos) break;
    }
}

// Every file below a folder with its bytes, by relative path; the lock file aside.
std::map<std::string, std::string> snapshot(const std::string& folder, const std::string& relative = "") {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(widen(folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        const std::string name = tv::win32::narrowUntilNul(data.cFileName);
        if (name == "." || name == ".." || name == "lockfile") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files.merge(snapshot(folder + "\\" + name, relative + name + "\\"));
        else
            files[relative + name] = readFile(folder + "\\" + name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

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

// A running browser: the stand-in, copied to where the browser installs its program.
class RunningBrowser {
public:
    RunningBrowser(const wt::ScratchFolder& scratch, const std::string& program, const std::string& userData, bool staysOpen)
        : lock_(userData + "\\lockfile") {
        const std::string path = scratch / program;
        makeFolders(path.substr(0, path.find_last_of('\\')));
        if (!CopyFileW(tv::e2e::windowsPath(TV_CHROMIUM_STAND_IN).c_str(), widen(path).c_str(), FALSE)) return;
        std::wstring commandLine = L"\"" + widen(path) + L"\" \"" + widen(userData) + L"\" " + (staysOpen ? L"stay" : L"close");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(widen(path).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_.info))
            return;
        waitUntil([&] { return holdsLock(); }, 20000);
    }
    // Held with no sharing: a deletion cannot even open it.
    bool holdsLock() const {
        HANDLE h = CreateFileW(widen(lock_).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
        CloseHandle(h);
        return false;
    }
    bool ended(DWORD timeoutMs) const { return WaitForSingleObject(process_.info.hProcess, timeoutMs) == WAIT_OBJECT_0; }

private:
    std::string lock_;
    wt::StartedProcess process_;
};

// The Internet group's run: its master box, Start, yes to closing the browsers, and no to the
// start page; what the status panel says at the end.
std::wstring runInternetTasks(const ProgramDriver& program, HWND main, bool browsersRun) {
    HWND master = ProgramDriver::childrenWithText(main, L"Nettoyage complet").at(0);
    ProgramDriver::click(master);
    EXPECT_TRUE(waitUntil([&] { return SendMessageW(master, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    ProgramDriver::click(ProgramDriver::childAt(main, 505, 338, 65, 65));
    HWND question = program.waitForBox(L"Confirm", widen("Internet Explorer va être fermé"));
    if (!question) return L"no first question";
    if (!ProgramDriver::answer(question, L"&Yes")) return L"no Yes button";
    if (browsersRun) {
        HWND browsers = program.waitForBox(L"Confirm", widen("Google Chrome et Microsoft Edge"));
        if (!browsers) return L"no question naming the running browsers";
        if (!ProgramDriver::answer(browsers, L"&Yes")) return L"no Yes button";
    }
    HWND offer = program.waitForBox(L"Confirm", widen("page de démarrage"));
    if (!offer) return L"no start-page offer";
    if (!ProgramDriver::answer(offer, L"&No")) return L"no No button";
    std::wstring end;
    waitUntil([&] {
        for (const auto& text : ProgramDriver::childTexts(main))
            if (text.find(widen("Félicitation")) == 0 || text.find(widen("Nettoyage terminé")) == 0) end = text;
        return !end.empty();
    }, 60000);
    return end;
}

TEST(Browsers, AFullRunCleansEveryProfileOfEveryBrowserAndKeepsWhatItsUserKeeps) {
    PlantedBrowser chrome("Google", "Google\\Chrome\\User Data", {"Default", "Profile 1"});
    PlantedBrowser edge("Microsoft\\Edge", "Microsoft\\Edge\\User Data", {"Default"});
    ASSERT_TRUE(chrome.planted() && edge.planted()) << "the prefix already has these browsers";
    const std::string chromeLogins = readFile(chrome.userData() + "\\Profile 1\\Login Data");
    ASSERT_TRUE(holdsCanary(chrome.userData() + "\\segmentation_platform\\ukm_db-wal"));

    ProgramDriver program;
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    const std::wstring end = runInternetTasks(program, main, false);
    EXPECT_EQ(end.find(L"Chrome"), std::wstring::npos) << tv::e2e::narrow(end);
    EXPECT_EQ(end.find(L"Edge"), std::wstring::npos) << tv::e2e::narrow(end);
    EXPECT_NE(end.find(widen("Félicitation")) + end.find(widen("Nettoyage terminé")), 2 * std::wstring::npos);

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
    const std::wstring end = runInternetTasks(program, main, true);
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
