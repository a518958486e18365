#include <gtest/gtest.h>

#include "ProgramDriver.h"

using namespace tv::e2e;

namespace {

const std::wstring kMainTitle = widen("Tarmel veilo 2   - Surfez sur le web en toute discrétion -");

LRESULT checkState(HWND box) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return static_cast<LRESULT>(state);
}

HWND only(const std::vector<HWND>& windows) { return windows.size() == 1 ? windows[0] : nullptr; }

bool becomes(HWND box, LRESULT state) {
    return waitUntil([&] { return checkState(box) == state; }, 10000);
}

} // namespace

TEST(OptionDialogs, RealClicksGiveTheSameStatesInTheNativeControls) {
    ProgramDriver program;
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    auto options = ProgramDriver::childrenWithText(main, L"Options");
    ASSERT_EQ(options.size(), 2u);
    auto masters = ProgramDriver::childrenWithText(main, L"Nettoyage complet");
    ASSERT_EQ(masters.size(), 2u);
    HWND internetMaster = masters[0], windowsMaster = masters[1];

    // The Internet group: one box, then the master.
    ProgramDriver::click(options[0]);
    HWND internet = program.waitForVisibleTopLevel(L"Options Internet");
    ASSERT_NE(internet, nullptr);
    HWND cookies = only(ProgramDriver::childrenWithText(internet, L"Cookies"));
    ASSERT_NE(cookies, nullptr);
    ProgramDriver::click(cookies);
    EXPECT_TRUE(becomes(cookies, BST_CHECKED));
    EXPECT_TRUE(becomes(internetMaster, BST_INDETERMINATE));
    EXPECT_EQ(windowText(internetMaster), L"Nettoyage partiel");
    EXPECT_EQ(checkState(windowsMaster), BST_UNCHECKED);

    ProgramDriver::click(internetMaster); // grayed -> checked: the whole group
    EXPECT_TRUE(becomes(internetMaster, BST_CHECKED));
    EXPECT_EQ(windowText(internetMaster), L"Nettoyage complet");
    for (const char* caption : {"Fichiers temporaires internet", "Cookies", "Historique de navigation",
                                "Dernières adresses saisies", "Saisie semi-automatique "}) {
        HWND box = only(ProgramDriver::childrenWithText(internet, widen(caption)));
        ASSERT_NE(box, nullptr) << caption;
        EXPECT_EQ(checkState(box), BST_CHECKED) << caption;
    }
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(internet, artefactPath(L"e2e-options-internet.bmp")));
    ProgramDriver::click(only(ProgramDriver::childrenWithText(internet, L"Ok")));
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(internet); })) << "Ok did not hide the dialog";

    // The Windows group: the recycle bin alone, and its dialog closed by its title bar.
    ProgramDriver::click(options[1]);
    HWND windows = program.waitForVisibleTopLevel(L"Options Windows");
    ASSERT_NE(windows, nullptr);
    HWND bin = only(ProgramDriver::childrenWithText(windows, L"Vider la corbeille"));
    ASSERT_NE(bin, nullptr);
    ProgramDriver::click(bin);
    EXPECT_TRUE(becomes(bin, BST_CHECKED));
    EXPECT_TRUE(becomes(windowsMaster, BST_INDETERMINATE));
    EXPECT_EQ(windowText(windowsMaster), L"Nettoyage partiel");
    EXPECT_EQ(checkState(internetMaster), BST_CHECKED);
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(windows, artefactPath(L"e2e-options-windows.bmp")));
    PostMessageW(windows, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(windows); }));
    EXPECT_TRUE(program.running());

    // Shown again, it keeps its ticks; a second click only brings it forward.
    ProgramDriver::click(options[1]);
    ASSERT_EQ(program.waitForVisibleTopLevel(L"Options Windows"), windows);
    ProgramDriver::click(options[1]);
    Sleep(300);
    EXPECT_EQ(program.topLevel(L"Options Windows"), windows);
    EXPECT_EQ(checkState(bin), BST_CHECKED);

    // Closing the main window with a dialog open ends the program.
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}
