#include <gtest/gtest.h>

#include <shlobj.h>

#include <filesystem>
#include <fstream>

#include "ProgramDriver.h"

using namespace tv::e2e;
namespace fs = std::filesystem;

namespace {

const std::wstring kMainTitle = widen("Tarmel veilo 2   - Surfez sur le web en toute discrétion -");
const std::wstring kGreeting =
    widen("Bonjour,\r\rChoisissez les tâches à effectuer par Tarmel Veilo\ret cliquez sur Start.");

std::wstring countText(long files) {
    const long shown = files < 5 ? 0 : files;
    const wchar_t* plural = shown > 1 ? L"s" : L"";
    return std::to_wstring(shown) + L" fichier" + plural + L" nettoyable" + plural;
}

long filesBelow(const fs::path& folder) {
    std::error_code error;
    long count = 0;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error)) ++count;
    return count;
}

fs::path specialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? fs::path(path) : fs::path();
}

// Centred on the desktop, whatever the stored position says.
void expectCentred(const RECT& r, const char* what) {
    RECT desktop{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    EXPECT_NEAR((r.left + r.right) / 2, (desktop.left + desktop.right) / 2, 1) << what;
    EXPECT_NEAR((r.top + r.bottom) / 2, (desktop.top + desktop.bottom) / 2, 1) << what;
}

fs::path tempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return fs::path(path);
}

// Sample traces in the temporary folder, some of them a level down.
fs::path plantTraces(int files) {
    fs::path folder = tempFolder() / L"tv-e2e-traces";
    fs::remove_all(folder);
    fs::create_directories(folder / L"sub");
    for (int i = 0; i < files; ++i)
        std::ofstream(folder / (i % 2 ? L"sub" : L"") / (L"trace" + std::to_wstring(i) + L".tmp")) << "x";
    return folder;
}

} // namespace

TEST(StartUp, SplashComesAndGoesThenTheMainWindowShowsTheGreetingAndTheCounts) {
    const fs::path traces = plantTraces(6);
    // Whatever else the folders hold counts too.
    const long browserFiles = filesBelow(specialFolder(CSIDL_INTERNET_CACHE)) + filesBelow(specialFolder(CSIDL_COOKIES));
    const long tempFiles = filesBelow(tempFolder());
    ASSERT_GE(tempFiles, 6);
    ProgramDriver program;
    ASSERT_TRUE(program.started());

    HWND splash = program.waitForVisibleTopLevel(L"SplashForm");
    ASSERT_NE(splash, nullptr) << "no splash window";
    // The program is busy creating its windows: nothing here may wait for it to answer.
    const RECT s = screenRect(splash);
    EXPECT_EQ(s.right - s.left, 390);
    EXPECT_EQ(s.bottom - s.top, 219);
    expectCentred(s, "splash");
    EXPECT_EQ(ProgramDriver::childrenWithText(splash, L"Veuillez patienter pendant l'ouverture de TarmelVeilo").size(), 1u);
    EXPECT_EQ(ProgramDriver::childrenWithText(splash, L"Vs 2 ").size(), 1u);

    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr) << "no main window";
    EXPECT_TRUE(waitUntil([&] {
        HWND gone = program.topLevel(L"SplashForm");
        return !gone || !IsWindowVisible(gone);
    })) << "the splash stayed";

    expectCentred(screenRect(main), "main window");
    EXPECT_EQ(ProgramDriver::childrenWithText(main, kGreeting).size(), 1u);
    auto counts = ProgramDriver::childrenEndingWith(main, L" nettoyable");
    for (HWND more : ProgramDriver::childrenEndingWith(main, L" nettoyables")) counts.push_back(more);
    std::sort(counts.begin(), counts.end(), [](HWND a, HWND b) { return screenRect(a).left < screenRect(b).left; });
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(windowText(counts[0]), countText(browserFiles));
    EXPECT_EQ(windowText(counts[1]), countText(tempFiles));

    EXPECT_NE(program.topLevel(L"Tarmel Veilo"), nullptr) << "no taskbar window titled Tarmel Veilo";
    Sleep(500); // the last paint
    EXPECT_TRUE(ProgramDriver::screenshot(main, artefactPath(L"e2e-main-window.bmp")));

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000)) << "closing the main window left the process running";
    fs::remove_all(traces);
}

namespace {

// What the taskbar sends to the window that owns the button when the user clicks it.
void restoreFromTheTaskbar(HWND application) { PostMessageW(application, WM_SYSCOMMAND, SC_RESTORE, 0); }

bool onScreen(HWND window) { return IsWindowVisible(window) && !IsIconic(window); }

} // namespace

TEST(MinimiseAndRestore, ShowStateSevenComesUpOnTheTaskbarButtonAndComesBackFromIt) {
    ProgramDriver program(SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(program.started());
    HWND main = nullptr;
    HWND application = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        main = program.topLevel(kMainTitle);
        application = program.topLevel(L"Tarmel Veilo");
        return main && application && IsIconic(application);
    })) << "no minimised taskbar button";
    Sleep(300);
    EXPECT_TRUE(IsIconic(application));
    EXPECT_FALSE(onScreen(main)) << "the main window is on screen";

    restoreFromTheTaskbar(application);
    EXPECT_TRUE(waitUntil([&] { return onScreen(main); }, 10000)) << "the main window did not come back";
    EXPECT_FALSE(IsIconic(main));
    EXPECT_FALSE(IsIconic(application));
    expectCentred(screenRect(main), "main window");
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(main, artefactPath(L"e2e-restored-from-state-7.bmp")));

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

TEST(MinimiseAndRestore, TheMinimiseButtonTakesTheWindowsToTheTaskbarButtonAndRestoringBringsThemBack) {
    ProgramDriver program;
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    HWND application = program.topLevel(L"Tarmel Veilo");
    ASSERT_NE(application, nullptr);
    auto options = ProgramDriver::childrenWithText(main, L"Options");
    ASSERT_EQ(options.size(), 2u);
    ProgramDriver::click(options[0]);
    HWND dialog = program.waitForVisibleTopLevel(L"Options Internet");
    ASSERT_NE(dialog, nullptr);
    const RECT dialogPlace = screenRect(dialog);

    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0); // the main window's minimise button
    EXPECT_TRUE(waitUntil([&] { return IsIconic(application) && !onScreen(main) && !onScreen(dialog); }, 10000))
        << "not down on the taskbar button";

    restoreFromTheTaskbar(application);
    EXPECT_TRUE(waitUntil([&] { return onScreen(main) && onScreen(dialog); }, 10000)) << "not back";
    EXPECT_FALSE(IsIconic(main));
    EXPECT_FALSE(IsIconic(application));
    expectCentred(screenRect(main), "main window");
    const RECT dialogNow = screenRect(dialog);
    EXPECT_TRUE(EqualRect(&dialogPlace, &dialogNow)) << "the dialog moved";

    // Alt+Tab lists the button's window (shown, owned by nobody, not a tool window) and
    // activates it; the program hands the activation on to its own window.
    EXPECT_TRUE(IsWindowVisible(application));
    EXPECT_EQ(GetWindow(application, GW_OWNER), nullptr);
    EXPECT_FALSE(GetWindowLongPtrW(application, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    SetForegroundWindow(application);
    EXPECT_TRUE(waitUntil([&] {
        HWND active = GetForegroundWindow();
        return active == main || active == dialog;
    }, 10000)) << "the activation stayed on the button's window";

    // A click on the button of the program in front takes it down; its Close ends it from there.
    PostMessageW(application, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(waitUntil([&] { return IsIconic(application) && !onScreen(main); }, 10000));
    PostMessageW(application, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}
