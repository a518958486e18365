// The cleaning run of the real program, driven from outside: traces planted in every target
// with canaries beside them, a click on Start, the questions answered as a user would.

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "platform/win32/Win32Platform.h"
#include "tests/win/BrowserSupport.h"
#include "tests/win/WinTestSupport.h"

namespace {

using tv::e2e::ProgramDriver;
using tv::e2e::waitUntil;
using tv::e2e::widen;
using tv::e2e::windowText;
namespace wt = tv::wintest;

const std::wstring kMainTitle = widen("Tarmel veilo 2   - Surfez sur le web en toute discrétion -");
const std::wstring kCongratulation = widen("Félicitation, \r\rToutes les tâches sélectionnées se sont bien déroulées");
const std::string kIncomplete = "Le nettoyage n'est pas complet\u00A0:";
const std::wstring kRefusedTempSummary =
    widen(kIncomplete + "\rNettoyage impossible\u00A0: Dossier temporaire");
const std::wstring kHeldFileSummary = widen(kIncomplete + "\r1 fichier n'a pas été supprimé");
const std::string kFormData = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";

std::string specialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? tv::win32::narrowUntilNul(path) : "";
}
std::string tempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    std::string temp = tv::win32::narrowUntilNul(path);
    return temp.substr(0, temp.size() - 1);
}
std::string parentOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// --- the registry, through the system's own calls --------------------------------------

void setValue(const std::string& key, const std::string& name, const std::string& text) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    const std::wstring data = widen(text);
    RegSetValueExW(h, widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
}
bool keyExists(const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}
bool valueExists(const std::string& key, const std::string& name) {
    return RegGetValueW(HKEY_CURRENT_USER, widen(key).c_str(), widen(name).c_str(), RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}
// Values and subkeys of a key.
DWORD entriesOf(const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return 0xFFFFFFFF;
    DWORD subkeys = 0, values = 0;
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(h);
    return subkeys + values;
}

std::string currentUserSid() {
    wchar_t user[128] = {};
    DWORD userChars = 128;
    GetUserNameW(user, &userChars);
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domain[256];
    DWORD domainChars = 256;
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, user, sid, &sidSize, domain, &domainChars, &use)) return {};
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return {};
    std::string result = tv::win32::narrowUntilNul(text);
    LocalFree(text);
    return result;
}

// Files below a folder, all levels, links not entered.
int filesBelow(const std::string& folder) {
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(widen(folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
        else if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            count += filesBelow(folder + "\\" + tv::win32::narrowUntilNul(data.cFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

// The files the system's URL cache and history store keep for themselves in the cleaned
// folders and that are there: no traces, emptied through the stores themselves.
int storeFilesPresent() {
    tv::win32::Win32Platform platform;
    int present = 0;
    for (auto store : {tv::BrowserStore::UrlCache, tv::BrowserStore::History})
        for (const std::string& file : platform.storeOwnFiles(store)) present += wt::exists(file) ? 1 : 0;
    return present;
}

// Whether the system's history store clears when asked, as the run asks it.
bool historyStoreClears() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool cleared = false;
    {
        tv::win32::Win32Platform platform;
        auto creation = platform.createUrlHistory();
        if (creation.object)
            if (auto history = creation.object->queryHistoryStg2()) cleared = history->clearHistory() >= 0;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return cleared;
}

// --- the program's windows ---------------------------------------------------------------

HWND startPicture(HWND main) { return ProgramDriver::childAt(main, 505, 338, 65, 65); }

bool shows(HWND main, const std::wstring& text) { return !ProgramDriver::childrenWithText(main, text).empty(); }

// --- the traces ------------------------------------------------------------------------------

struct Trace {
    std::string path;
    bool goes; // a trace the run must remove; else a canary that must stay
};

// Traces in every folder the run cleans, canaries beside each one and behind a link inside
// the temporary folder; everything planted is removed again at the end.
class PlantedFolders {
public:
    PlantedFolders() {
        for (int csidl : {CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_HISTORY, CSIDL_RECENT}) plantIn(specialFolder(csidl));
        plantIn(tempFolder());
        // Outside every target, reached from the temporary folder through a link.
        const std::string outside = specialFolder(CSIDL_PROFILE) + "\\tv-e2e-outside";
        CreateDirectoryW(widen(outside).c_str(), nullptr);
        made_.insert(made_.begin(), outside);
        canary_ = outside + "\\canary.txt";
        wt::makeFile(canary_);
        made_.insert(made_.begin() + 1, canary_);
        linked_ = wt::makeFolderLink(tempFolder() + "\\tv-e2e-link", outside) != wt::LinkKind::None;
    }
    ~PlantedFolders() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            DeleteFileW(widen(*it).c_str());
            RemoveDirectoryW(widen(*it).c_str());
        }
        if (linked_ && wt::exists(tempFolder() + "\\tv-e2e-link")) wt::removeTree(tempFolder() + "\\tv-e2e-link");
    }
    const std::vector<Trace>& traces() const { return traces_; }
    const std::string& outsideCanary() const { return canary_; }
    bool linked() const { return linked_; }

private:
    void plantIn(const std::string& folder) {
        ASSERT_FALSE(folder.empty());
        const std::string sub = folder + "\\tv-e2e-sub";
        CreateDirectoryW(widen(sub).c_str(), nullptr);
        made_.push_back(sub);
        for (const std::string& file : {folder + "\\tv-e2e-trace.txt", sub + "\\tv-e2e-deep.txt"}) {
            wt::makeFile(file);
            traces_.push_back({file, true});
            made_.push_back(file);
        }
        const std::string canary = parentOf(folder) + "\\tv-e2e-canary-" + folder.substr(folder.find_last_of('\\') + 1);
        wt::makeFile(canary);
        traces_.push_back({canary, false});
        made_.push_back(canary);
    }

    std::vector<Trace> traces_;
    std::string canary_;
    std::vector<std::string> made_;
    bool linked_ = false;
};

struct RegistryTrace {
    std::string key;
    std::string value;
    bool goes;
};

// Values in every key the run resets or clears, with a canary value or key beside each.
class PlantedKeys {
public:
    PlantedKeys() {
        const std::string sid = currentUserSid();
        const std::vector<std::string> resets = {
            "Software\\Microsoft\\Internet Explorer\\TypedURLs",
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
            "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
            "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList",
            "Software\\Microsoft\\Office\\8.0\\Excel\\Recent Files",
            "Software\\Microsoft\\Office\\8.0\\Excel\\Recent File List",
            "Software\\Microsoft\\Office\\10.0\\Excel\\Recent Files",
            "Software\\Microsoft\\Office\\9.0\\Excel\\Recent Files",
            "Software\\Microsoft\\Office\\8.0\\Powerpoint\\Recent File List",
            "Software\\Microsoft\\Office\\9.0\\Powerpoint\\Recent File List",
        };
        for (const auto& key : resets) {
            plant(key, "tv-e2e-trace", true);
            plant(key + "\\tv-e2e-sub", "tv-e2e-deep", true);
            plant(parentOf(key), "tv-e2e-canary", false);
            resets_.push_back(key);
        }
        for (const char* version : {"10.0", "9.0", "8.0"}) {
            const std::string data = std::string("Software\\Microsoft\\Office\\") + version + "\\Word\\Data";
            plant(data, "Settings", true);
            plant(data, "tv-e2e-canary", false);
        }
        formData_ = "Software\\Microsoft\\Protected Storage System Provider\\" + sid + kFormData;
        plant(formData_ + "\\item", "tv-e2e-trace", true);
        plant(parentOf(formData_) + "\\tv-e2e-other", "tv-e2e-canary", false);
    }
    ~PlantedKeys() {
        for (const auto& t : traces_) {
            if (t.key.find("tv-e2e") != std::string::npos) RegDeleteTreeW(HKEY_CURRENT_USER, widen(t.key).c_str());
            else {
                HKEY h = nullptr;
                if (RegOpenKeyExW(HKEY_CURRENT_USER, widen(t.key).c_str(), 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
                    RegDeleteValueW(h, widen(t.value).c_str());
                    RegCloseKey(h);
                }
            }
        }
    }
    const std::vector<RegistryTrace>& traces() const { return traces_; }
    const std::vector<std::string>& resets() const { return resets_; }
    const std::string& formData() const { return formData_; }

private:
    void plant(const std::string& key, const std::string& value, bool goes) {
        setValue(key, value, "tv-e2e");
        traces_.push_back({key, value, goes});
    }
    std::vector<RegistryTrace> traces_;
    std::vector<std::string> resets_;
    std::string formData_;
};

void throwAway(const std::string& folder) {
    const std::string file = folder + "\\tv-e2e-binned.txt";
    wt::makeFile(file);
    std::wstring from = widen(file) + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(SHFileOperationW(&op), 0);
}

// --- the runs -------------------------------------------------------------------------------

// Ticks these boxes of the Windows options and closes the dialog.
void tickWindowsOptions(const ProgramDriver& program, HWND main, const std::vector<const char*>& captions) {
    ProgramDriver::click(ProgramDriver::childrenWithText(main, L"Options").at(1));
    HWND options = program.waitForVisibleTopLevel(L"Options Windows");
    ASSERT_NE(options, nullptr);
    for (const char* caption : captions) {
        HWND box = ProgramDriver::childrenWithText(options, widen(caption)).at(0);
        ProgramDriver::click(box);
        ASSERT_TRUE(waitUntil([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; })) << caption;
    }
    ProgramDriver::click(ProgramDriver::childrenWithText(options, L"Ok").at(0));
}


TEST(CleaningRun, AFullRunAnsweredYesEmptiesEveryTargetAndNothingElse) {
    if (!wt::recycleBinIsScratch()) GTEST_SKIP() << "XDG_DATA_HOME not set: the run would empty the user's own trash";
    ASSERT_EQ(FindWindowW(L"IEFrame", nullptr), nullptr) << "a browser frame is already open";
    PlantedFolders folders;
    PlantedKeys keys;
    wt::ScratchFolder binned("e2e-binned");
    throwAway(binned.path());
    ASSERT_GT(wt::recycleBinItems(), 0);
    const std::wstring cached = L"http://tarmel-e2e.example/page.html";
    wt::commitCacheEntry(cached);

    wt::StartedProcess browser;
    ASSERT_TRUE(wt::startBrowser(browser));
    HWND frame = wt::waitForWindow(L"IEFrame", browser.info.dwProcessId, std::chrono::seconds(60));
    ASSERT_NE(frame, nullptr) << "the browser showed no frame within a minute";

    ProgramDriver program;
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    for (HWND master : ProgramDriver::childrenWithText(main, L"Nettoyage complet")) {
        ProgramDriver::click(master);
        ASSERT_TRUE(waitUntil([&] { return SendMessageW(master, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    }
    HWND start = startPicture(main);
    ASSERT_NE(start, nullptr) << "no start picture";
    ProgramDriver::click(start);

    HWND question = program.waitForBox(L"Confirm", L"Internet Explorer va être fermé");
    ASSERT_NE(question, nullptr) << "no full-wipe question";
    ASSERT_TRUE(ProgramDriver::answer(question, L"&Yes"));
    HWND offer = program.waitForBox(L"Confirm", L"page de démarrage");
    ASSERT_NE(offer, nullptr) << "no start-page offer";
    // The run stands after its last task, the bar on show, the recycle bin's result shown.
    EXPECT_TRUE(waitUntil([&] { return shows(main, widen("Nettoyé")); })) << "the last task's result is not shown";
    Sleep(500); // the box's first paint
    EXPECT_TRUE(ProgramDriver::screenshot(main, tv::e2e::artefactPath(L"e2e-cleaning-run-during.bmp")));
    ASSERT_TRUE(ProgramDriver::answer(offer, L"&Yes"));
    EXPECT_NE(program.waitForVisibleTopLevel(widen("Page de démarrage"), 20000), nullptr) << "no start-page dialog";
    // The stores' own files stay open in the processes that use them (this one included) and
    // are no traces: the end counts exactly the other entries still in the cleaned folders,
    // names a history store that would not clear, and congratulates only when neither is so.
    int stayed = -storeFilesPresent();
    for (int csidl : {CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_HISTORY, CSIDL_RECENT})
        stayed += filesBelow(specialFolder(csidl));
    stayed += filesBelow(tempFolder());
    // A link the system would only open through (a host's link under Wine) stays as it is.
    if (wt::exists(tempFolder() + "\\tv-e2e-link")) ++stayed;
    const bool historyRefuses = !historyStoreClears();
    std::string lines;
    if (stayed > 0)
        lines += "\r" + (stayed == 1 ? std::string("1 fichier n'a pas été supprimé")
                                     : std::to_string(stayed) + " fichiers n'ont pas été supprimés");
    if (historyRefuses) lines += "\rNettoyage impossible\u00A0: Historique de navigation";
    const std::wstring end = lines.empty() ? kCongratulation : widen(kIncomplete + lines);
    EXPECT_TRUE(waitUntil([&] { return shows(main, end); }, 60000))
        << "not the closing text for " << stayed << " files, history refused: " << historyRefuses << "; shown: "
        << [&] {
               std::string texts;
               for (const auto& text : ProgramDriver::childTexts(main)) texts += tv::e2e::narrow(text) + " | ";
               return texts;
           }();
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(main, tv::e2e::artefactPath(L"e2e-cleaning-run-after.bmp")));

    EXPECT_FALSE(IsWindow(frame)) << "the browser frame is still open";
    EXPECT_EQ(WaitForSingleObject(browser.info.hProcess, 30000), WAIT_OBJECT_0);
    for (const auto& t : folders.traces()) EXPECT_EQ(wt::exists(t.path), !t.goes) << t.path;
    for (int csidl : {CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_HISTORY, CSIDL_RECENT})
        EXPECT_TRUE(wt::exists(specialFolder(csidl))) << csidl;
    EXPECT_TRUE(wt::exists(tempFolder()));
    EXPECT_TRUE(wt::exists(folders.outsideCanary())) << "the run reached through the link";
    EXPECT_TRUE(folders.linked()) << "no link could be made in the temporary folder";
    for (const auto& t : keys.traces()) EXPECT_EQ(valueExists(t.key, t.value), !t.goes) << t.key << " " << t.value;
    for (const auto& key : keys.resets()) EXPECT_EQ(entriesOf(key), 0u) << key << " not there or not empty";
    EXPECT_FALSE(keyExists(keys.formData()));
    EXPECT_FALSE(wt::cacheHolds(cached));
    EXPECT_EQ(wt::recycleBinItems(), 0);

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

// A drive letter of its own for a scratch folder, made in the prefix's device folder.
class ScratchDrive {
public:
    explicit ScratchDrive(const std::string& folder) {
        wchar_t prefix[MAX_PATH] = {};
        if (!wt::underWine() || !GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) return;
        const DWORD used = GetLogicalDrives();
        for (char letter = 'T'; letter <= 'Y' && letter_ == 0; ++letter)
            if (!(used & (1u << (letter - 'A')))) letter_ = letter;
        if (!letter_) return;
        device_ = tv::win32::narrowUntilNul(prefix) + "/dosdevices/" + static_cast<char>(letter_ + 'a' - 'A') + ":";
        const std::string target = wt::detail::unixName(folder + "\\x");
        wt::detail::runHost(L"Z:\\bin\\ln -s " + wt::detail::quoted(target.substr(0, target.size() - 2)) + L" " +
                                wt::detail::quoted(device_),
                            [&] { return wt::exists(root()); });
    }
    ~ScratchDrive() {
        if (letter_) wt::detail::runHost(L"Z:\\bin\\rm -f " + wt::detail::quoted(device_), [&] { return !wt::exists(root()); });
    }
    bool ready() const { return letter_ && wt::exists(root()); }
    std::string root() const { return std::string(1, letter_) + ":\\"; }

private:
    char letter_ = 0;
    std::string device_;
};

TEST(CleaningRun, TemporaryFolderSetToADriveRootLosesNothing) {
    wt::ScratchFolder scratch("e2e-drive");
    ScratchDrive drive(scratch.path());
    if (!drive.ready()) GTEST_SKIP() << "no scratch drive letter could be mapped";
    wt::makeFolder(scratch / "sub");
    const std::vector<std::string> files = {scratch / "root.txt", scratch / "sub\\deep.txt"};
    for (const auto& f : files) wt::makeFile(f);

    ProgramDriver program(SW_SHOWNORMAL, {L"TEMP=" + widen(drive.root()), L"TMP=" + widen(drive.root())});
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    // Only the temporary folder's task, ticked in the Windows options.
    tickWindowsOptions(program, main, {"Fichiers temporaires"});

    ProgramDriver::click(startPicture(main));
    EXPECT_TRUE(waitUntil([&] { return shows(main, widen("Nettoyage impossible")); }, 60000));
    // The end says so too: no congratulation for a task that was not carried out.
    EXPECT_TRUE(waitUntil([&] { return shows(main, kRefusedTempSummary); }, 60000)) << "no summary";
    for (const auto& f : files) EXPECT_TRUE(wt::exists(f)) << f;

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

TEST(CleaningRun, AFileAnotherProgramHoldsStaysAndTheEndSaysSo) {
    wt::ScratchFolder scratch("e2e-held");
    wt::makeFolder(scratch / "Temp");
    const std::string held = scratch / "Temp\\held.log";
    const std::string free = scratch / "Temp\\free.tmp";
    wt::makeFile(held);
    wt::makeFile(free);
    // Held open by this process, with no sharing of its deletion, as a running program does.
    HANDLE holder = CreateFileW(widen(held).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::wstring temp = widen(scratch / "Temp\\");
    ProgramDriver program(SW_SHOWNORMAL, {L"TEMP=" + temp, L"TMP=" + temp});
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    tickWindowsOptions(program, main, {"Fichiers temporaires"});

    ProgramDriver::click(startPicture(main));
    EXPECT_TRUE(waitUntil([&] { return shows(main, kHeldFileSummary); }, 60000)) << "no summary";
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(main, tv::e2e::artefactPath(L"e2e-run-summary.bmp")));
    CloseHandle(holder);
    EXPECT_TRUE(wt::exists(held));
    EXPECT_FALSE(wt::exists(free));

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

TEST(CleaningRun, ClosingTheMainWindowDuringARunEndsTheRunAndTheProgram) {
    wt::ScratchFolder scratch("e2e-close");
    wt::makeFolder(scratch / "Temp");
    std::vector<std::string> files;
    for (int i = 0; i < 200; ++i) {
        files.push_back(scratch / ("Temp\\trace" + std::to_string(i) + ".tmp"));
        wt::makeFile(files.back());
    }
    const std::wstring temp = widen(scratch / "Temp\\");
    ProgramDriver program(SW_SHOWNORMAL, {L"TEMP=" + temp, L"TMP=" + temp});
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    tickWindowsOptions(program, main, {"Derniers documents", "Fichiers temporaires"});

    ProgramDriver::click(startPicture(main));
    // Closed while the first stage shows: the temporary folder's turn never comes.
    ASSERT_TRUE(waitUntil([&] { return shows(main, widen("Nettoyage en cours des documents récents")); }, 30000, 5));
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000)) << "the program went on after its main window closed";
    for (const auto& f : files) ASSERT_TRUE(wt::exists(f)) << f;
}

// Today's desktop lists, planted with their settings and neighbours; the keys this test made
// go again at its end.
class PlantedDesktopLists {
public:
    PlantedDesktopLists() {
        const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
        for (const char* list : {"RecentDocs", "RecentDocs\\.txt", "ComDlg32\\OpenSavePidlMRU\\*",
                                 "ComDlg32\\OpenSavePidlMRU\\txt", "ComDlg32\\LastVisitedPidlMRU", "ComDlg32\\CIDSizeMRU",
                                 "ComDlg32\\OpenSaveMRU\\*", "ComDlg32\\LastVisitedMRU", "TypedPaths", "WordWheelQuery"}) {
            plant(explorer + list, "MRUListEx", true);
            plant(explorer + list, "0", true);
        }
        for (const char* list : {"RecentDocs", "ComDlg32\\OpenSavePidlMRU", "ComDlg32\\OpenSaveMRU", "TypedPaths",
                                 "WordWheelQuery"})
            wholes_.push_back(explorer + list);
        plant(explorer + "ComDlg32", "tv-e2e-canary", false);
        plant(explorer + "tv-e2e-neighbour", "tv-e2e-canary", false);

        const std::string word = "Software\\Microsoft\\Office\\16.0\\Word\\";
        for (const std::string& list : {word + "File MRU", word + "Place MRU", word + "User MRU\\tv-e2e-ADAL\\File MRU",
                                        std::string("Software\\Microsoft\\Office\\16.0\\Excel\\File MRU"),
                                        std::string("Software\\Microsoft\\Office\\12.0\\PowerPoint\\Place MRU")}) {
            for (const char* item : {"Item 1", "Item 2", "Item Metadata 1"}) plant(list, item, true);
            plant(list, "Max Display", false);
        }
        plant(word + "Reading Locations\\Document 0", "File Path", true);
        wholes_.push_back(word + "Reading Locations");
        plant(word + "User MRU\\tv-e2e-ADAL", "tv-e2e-canary", false);
        plant(word + "tv-e2e-neighbour", "tv-e2e-canary", false);
    }
    ~PlantedDesktopLists() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            RegDeleteTreeW(HKEY_CURRENT_USER, widen(*it).c_str());
            RegDeleteKeyW(HKEY_CURRENT_USER, widen(*it).c_str());
        }
    }
    const std::vector<RegistryTrace>& traces() const { return traces_; }
    // Lists emptied whole: their keys stay, with nothing in them.
    const std::vector<std::string>& wholes() const { return wholes_; }

private:
    void plant(const std::string& key, const std::string& value, bool goes) {
        // The first key on the way that is not there yet is this test's to take away again.
        for (size_t cut = key.find('\\'); ; cut = key.find('\\', cut + 1)) {
            const std::string above = key.substr(0, cut);
            if (!keyExists(above)) {
                made_.push_back(above);
                break;
            }
            if (cut == std::string::npos) break;
        }
        setValue(key, value, "tv-e2e");
        traces_.push_back({key, value, goes});
    }
    std::vector<RegistryTrace> traces_;
    std::vector<std::string> wholes_;
    std::vector<std::string> made_;
};

TEST(CleaningRun, TheDesktopGroupEmptiesTodaysListsAndKeepsTheirSettingsAndNeighbours) {
    if (!wt::recycleBinIsScratch()) GTEST_SKIP() << "XDG_DATA_HOME not set: the run would empty the user's own trash";
    PlantedDesktopLists lists;
    wt::ScratchFolder scratch("e2e-desktop");
    wt::makeFolder(scratch / "Temp");
    const std::wstring temp = widen(scratch / "Temp\\");
    ProgramDriver program(SW_SHOWNORMAL, {L"TEMP=" + temp, L"TMP=" + temp});
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    tickWindowsOptions(program, main,
                       {"Derniers documents", "Derniers éléments exécutés", "Derniers documents MediaPlayer",
                        "Fichiers temporaires", "Derniers documents MS Office", "Vider la corbeille"});

    ProgramDriver::click(startPicture(main));
    EXPECT_TRUE(waitUntil([&] { return shows(main, kCongratulation); }, 60000)) << "no congratulation";
    for (const auto& t : lists.traces()) EXPECT_EQ(valueExists(t.key, t.value), !t.goes) << t.key << " " << t.value;
    for (const auto& key : lists.wholes()) EXPECT_EQ(entriesOf(key), 0u) << key << " not there or not empty";

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

} // namespace
