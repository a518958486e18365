// The real program used with the keyboard alone, and read by a screen reader's interface.

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ProgramDriver.h"

using namespace tv::e2e;

namespace {

const std::wstring kMainTitle = widen("Tarmel veilo 2   - Surfez sur le web en toute discrétion -");
const std::wstring kOptionsTitle = L"Options Internet";

struct AccessibleFacts {
    std::wstring name;
    long role = 0;
    long state = 0;
};

// What a screen reader learns of the window through its standard interface.
AccessibleFacts accessibleFacts(HWND window) {
    AccessibleFacts facts;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))) ||
        !object)
        return facts;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) facts.name = name;
    SysFreeString(name);
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4) facts.role = value.lVal;
    VariantClear(&value);
    if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4) facts.state = value.lVal;
    VariantClear(&value);
    object->Release();
    return facts;
}

struct Com {
    Com() { CoInitialize(nullptr); }
    ~Com() { CoUninitialize(); }
};

} // namespace

TEST(Keyboard, TabEnterAndEscapeRunTheProgramAndItsButtonsHaveNamesAndRoles) {
    Com com;
    ProgramDriver program;
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    HWND start = ProgramDriver::childAt(main, 505, 338, 65, 65);
    HWND envelope = ProgramDriver::childAt(main, 20, 337, 65, 65);
    HWND logo = ProgramDriver::childAt(main, 56, 6, 479, 60);
    HWND heading = ProgramDriver::childAt(main, 21, 76, 91, 19);
    const auto options = ProgramDriver::childrenWithText(main, L"Options");
    const auto masters = ProgramDriver::childrenWithText(main, L"Nettoyage complet");
    // The link line at the bottom, whatever host it spells.
    POINT onLink{MulDiv(216, static_cast<int>(GetDpiForWindow(main)), 96), MulDiv(410, static_cast<int>(GetDpiForWindow(main)), 96)};
    HWND link = ChildWindowFromPointEx(main, onLink, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    ASSERT_TRUE(start && envelope && logo && heading && link && link != main);
    ASSERT_EQ(options.size(), 2u);
    ASSERT_EQ(masters.size(), 2u);

    // A screen reader's view: named push buttons, and a heading picture it skips.
    const AccessibleFacts startFacts = accessibleFacts(start);
    EXPECT_EQ(startFacts.name, widen("Start\u00a0: démarrer le nettoyage"));
    EXPECT_EQ(startFacts.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(startFacts.state & STATE_SYSTEM_FOCUSABLE);
    const AccessibleFacts envelopeFacts = accessibleFacts(envelope);
    EXPECT_EQ(envelopeFacts.name, widen("Envoyez ce logiciel à vos amis"));
    EXPECT_EQ(envelopeFacts.role, ROLE_SYSTEM_PUSHBUTTON);
    // The two "Options" told apart by the dialogs they open; the link line heard as its host.
    const AccessibleFacts optionsFacts = accessibleFacts(options[0]);
    EXPECT_EQ(optionsFacts.name, L"Options Internet");
    EXPECT_EQ(optionsFacts.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(accessibleFacts(options[1]).name, L"Options Windows");
    std::wstring host = windowText(link);
    host.erase(std::remove(host.begin(), host.end(), L' '), host.end());
    ASSERT_FALSE(host.empty());
    EXPECT_EQ(accessibleFacts(link).name, host);
    const auto status = ProgramDriver::childrenEndingWith(main, L"cliquez sur Start.");
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(accessibleFacts(status[0]).role, ROLE_SYSTEM_STATICTEXT);
    const AccessibleFacts headingFacts = accessibleFacts(heading);
    EXPECT_TRUE(headingFacts.name.empty());
    EXPECT_TRUE(headingFacts.state & STATE_SYSTEM_INVISIBLE);

    // Reading order, the start picture last, then round again.
    std::vector<HWND> order;
    for (int i = 0; i < 9; ++i) order.push_back(program.tab());
    EXPECT_EQ(order, (std::vector<HWND>{logo, masters[0], options[0], masters[1], options[1], envelope, link, start,
                                        logo}));
    for (int i = 0; i < 7; ++i) program.tab();
    ASSERT_EQ(program.focused(), start);
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(main, artefactPath(L"e2e-keyboard-focus-start.bmp")));

    // Enter on Start runs the run: with nothing ticked, it says so.
    program.press(VK_RETURN);
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = FindWindowW(L"#32770", L"Tarmel Veilo")) && IsWindowVisible(box); }));
    const auto boxTexts = ProgramDriver::childTexts(box);
    EXPECT_NE(std::find(boxTexts.begin(), boxTexts.end(), widen("Aucun élément n'a été coché")), boxTexts.end());
    program.press(VK_RETURN);
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(box); }));
    // The focus comes back to the picture that asked.
    EXPECT_TRUE(waitUntil([&] { return program.focused() == start; }));

    // The browser group's "Options" by keys: the dialog opens with the focus in it.
    for (int i = 0; i < 3; ++i) program.tab();
    ASSERT_EQ(program.focused(), options[0]);
    program.press(VK_RETURN);
    HWND dialog = program.waitForVisibleTopLevel(kOptionsTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(waitUntil([&] { return GetAncestor(program.focused(), GA_ROOT) == dialog; }));
    std::vector<std::wstring> dialogOrder{windowText(program.focused())};
    for (int i = 0; i < 6; ++i) dialogOrder.push_back(windowText(program.tab()));
    EXPECT_EQ(dialogOrder, (std::vector<std::wstring>{
                               L"Fichiers temporaires internet", L"Cookies", L"Historique de navigation",
                               widen("Dernières adresses saisies"), L"Saisie semi-automatique ", L"Ok",
                               L"Fichiers temporaires internet"}));
    for (int i = 0; i < 5; ++i) program.tab();
    ASSERT_EQ(windowText(program.focused()), L"Ok");
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(dialog, artefactPath(L"e2e-keyboard-focus-ok.bmp")));
    program.press(VK_ESCAPE);
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(dialog); }));
    EXPECT_TRUE(waitUntil([&] { return program.focused() == options[0]; }));


    // A run by keys that offers the start page: its dialog's order, and Escape back to Start.
    program.press(VK_RETURN);
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(dialog) && program.focused() != options[0]; }));
    for (int i = 0; i < 4; ++i) program.tab();
    ASSERT_EQ(windowText(program.focused()), widen("Dernières adresses saisies"));
    program.press(VK_SPACE);
    program.press(VK_RETURN);
    ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(dialog) && program.focused() == options[0]; }));
    for (int i = 0; i < 5; ++i) program.tab();
    ASSERT_EQ(program.focused(), start);
    program.press(VK_RETURN);
    for (int question = 0; question < 2; ++question) { // close the browser? the start page?
        HWND confirm = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (confirm = FindWindowW(L"#32770", L"Confirm")) && IsWindowVisible(confirm); },
                              60000));
        program.press(VK_RETURN); // "Yes", the box's default
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(confirm) || !IsWindowVisible(confirm); }));
    }
    HWND startPage = program.waitForVisibleTopLevel(widen("Page de démarrage"));
    ASSERT_NE(startPage, nullptr);
    ASSERT_TRUE(waitUntil([&] { return GetAncestor(program.focused(), GA_ROOT) == startPage; }));
    std::vector<std::wstring> startPageOrder{windowText(program.focused())};
    for (int i = 0; i < 9; ++i) startPageOrder.push_back(windowText(program.tab()));
    // Each portal's button, then its picture; the own address's button and field; "Ok".
    EXPECT_EQ(startPageOrder, (std::vector<std::wstring>{L"Ombrelune", L"Ombrelune", L"Yahoo", L"Yahoo", L"Voila",
                                                         L"Voila", L"", L"http://", L"Ok", L"Ombrelune"}));
    program.press(VK_ESCAPE);
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(startPage); }));
    EXPECT_TRUE(waitUntil([&] { return program.focused() == start; }));

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

TEST(Keyboard, EscapeClosesADialogFromItsBoxesFieldsAndMessage) {
    ProgramDriver program;
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    const auto options = ProgramDriver::childrenWithText(main, L"Options");
    HWND envelope = ProgramDriver::childAt(main, 20, 337, 65, 65);
    ASSERT_EQ(options.size(), 2u);
    ASSERT_NE(envelope, nullptr);
    // Escape where the focus lands when a dialog opens, and in the message, which keeps Enter.
    const auto escapeFrom = [&](HWND button, const std::wstring& title, UINT opener, int tabs) {
        for (int i = 0; i < 9 && program.focused() != button; ++i) program.tab();
        ASSERT_EQ(program.focused(), button);
        program.press(opener);
        HWND dialog = program.waitForVisibleTopLevel(title);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(waitUntil([&] { return GetAncestor(program.focused(), GA_ROOT) == dialog; }));
        for (int i = 0; i < tabs; ++i) program.tab();
        const std::wstring where = windowText(program.focused());
        program.press(VK_ESCAPE);
        EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(dialog); })) << "Escape on \"" << narrow(where) << "\"";
        EXPECT_TRUE(waitUntil([&] { return program.focused() == button; }));
    };
    escapeFrom(options[0], kOptionsTitle, VK_SPACE, 0);         // its first check box
    escapeFrom(options[1], L"Options Windows", VK_RETURN, 0);   // and the other dialog's
    const std::wstring friends = widen("Envoyez ce logiciel à vos amis");
    escapeFrom(envelope, friends, VK_RETURN, 0);                // the first field
    escapeFrom(envelope, friends, VK_RETURN, 2);                // the message

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}
