// The native application under Wine: message boxes and their answers, the error box of an
// escaping exception, and closing the main window in the middle of a long handler.

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "ToolkitTestSupport.h"

using namespace tv::wintest;

TEST(NativeMessageBoxes, ConfirmationAnswersYesNoAndClosed) {
    NativeApp t;
    {
        BoxAnswerer answer("Confirm", [](HWND box) { PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0); });
        EXPECT_EQ(t.app.messageBox("Fermer le navigateur ?", "Confirm", MessageButtons::YesNo, MessageIcon::Question),
                  MessageResult::Yes);
        const SeenBox& seen = answer.seen();
        ASSERT_TRUE(seen.found);
        EXPECT_TRUE(contains(seen.texts, "&Yes"));
        EXPECT_TRUE(contains(seen.texts, "&No"));
        EXPECT_TRUE(contains(seen.texts, "Fermer le navigateur ?"));
        EXPECT_TRUE(seen.closeEnabled);
    }
    {
        // Escape answers No.
        BoxAnswerer answer("Confirm", [](HWND box) {
            HWND focused = GetDlgItem(box, IDYES);
            PostMessageW(focused, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(focused, WM_KEYUP, VK_ESCAPE, 0xC0000000);
        });
        EXPECT_EQ(t.app.messageBox("Question", "Confirm", MessageButtons::YesNo, MessageIcon::Question),
                  MessageResult::No);
    }
    {
        BoxAnswerer answer("Confirm", [](HWND box) { PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0); });
        EXPECT_EQ(t.app.messageBox("Question", "Confirm", MessageButtons::YesNo, MessageIcon::Question),
                  MessageResult::No);
    }
    {
        // The title-bar close button: neither Yes nor No.
        BoxAnswerer answer("Confirm", [](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); });
        EXPECT_EQ(t.app.messageBox("Question", "Confirm", MessageButtons::YesNo, MessageIcon::Question),
                  MessageResult::Closed);
    }
}

TEST(NativeMessageBoxes, PlainBoxCarriesTheTitleAndKeepsEveryWindowDisabledWhileOpen) {
    NativeApp t;
    Form& main = t.form("Main TForm client=100,100 caption=Main\n");
    Form& dialog = t.form("Dialog TForm client=100,100 caption=Dialog\n");
    main.showForm();
    dialog.showForm();
    t.pump();
    bool mainEnabledDuringBox = true;
    BoxAnswerer answer("Tarmel Veilo", [&](HWND box) {
        mainEnabledDuringBox = IsWindowEnabled(hwndOf(main));
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    t.app.showMessage("Aucun élément n'a été coché");
    const SeenBox& seen = answer.seen();
    EXPECT_FALSE(mainEnabledDuringBox);
    EXPECT_TRUE(IsWindowEnabled(hwndOf(main)));
    EXPECT_TRUE(IsWindowEnabled(hwndOf(dialog)));
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(contains(seen.texts, "OK"));
    EXPECT_TRUE(contains(seen.texts, "Aucun élément n'a été coché"));
    EXPECT_FALSE(contains(seen.texts, "&Yes"));
}

namespace {

// Sees the box come and go: the windows disabled for it, in order, and whether its owner
// is enabled again when it goes. The box disables its owner only when it finds it enabled,
// and only then enables it again before it goes, which is when Windows hands the
// activation back to it (to another program otherwise).
struct BoxDestruction {
    static inline HWND owner = nullptr;
    static inline bool ownerEnabled = false;
    static inline std::vector<HWND> disabled;
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_DESTROYWND) {
            HWND window = reinterpret_cast<HWND>(wParam);
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (lstrcmpW(name, L"#32770") == 0) {
                owner = GetWindow(window, GW_OWNER);
                ownerEnabled = IsWindowEnabled(owner);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK sent(int code, WPARAM wParam, LPARAM lParam) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->message == WM_ENABLE && !message->wParam) disabled.push_back(message->hwnd);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK installed = SetWindowsHookExW(WH_CBT, hook, nullptr, GetCurrentThreadId());
    HHOOK watching = SetWindowsHookExW(WH_CALLWNDPROC, sent, nullptr, GetCurrentThreadId());
    BoxDestruction() {
        owner = nullptr;
        ownerEnabled = false;
        disabled.clear();
    }
    ~BoxDestruction() {
        UnhookWindowsHookEx(watching);
        UnhookWindowsHookEx(installed);
    }
    // The owner was left to the box: disabled once, by the box, after the others.
    static bool ownerLeftToTheBox(HWND window) {
        return !disabled.empty() && disabled.back() == window &&
               std::count(disabled.begin(), disabled.end(), window) == 1;
    }
};

} // namespace

TEST(NativeMessageBoxes, AfterEachKindOfBoxTheWindowThatAskedHasTheActivationBack) {
    NativeApp t;
    Form& main = t.form("Main TForm client=200,100 caption=Main\n");
    Form& dialog = t.form("Dialog TForm client=100,100 caption=Dialog\nGo TPanel bounds=0,0,50,20 onclick=Go\n",
                          {{"Go", [] { throw std::runtime_error("Invalid SID"); }}});
    main.showForm();
    dialog.showForm();
    t.pump();
    auto press = [](int button) {
        return [button](HWND box) { PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0); };
    };
    auto ask = [&](MessageButtons buttons, std::function<void(HWND)> act) {
        BoxDestruction watch;
        BoxAnswerer answer(buttons == MessageButtons::Ok ? "Tarmel Veilo" : "Confirm", std::move(act));
        if (buttons == MessageButtons::Ok) t.app.showMessage("Aucun élément n'a été coché");
        else t.app.messageBox("Fermer le navigateur ?", "Confirm", buttons, MessageIcon::Question);
        EXPECT_TRUE(answer.seen().found);
    };
    for (Form* asking : {&main, &dialog}) {
        const HWND window = hwndOf(*asking);
        auto expectBack = [&](const char* kind) {
            EXPECT_EQ(BoxDestruction::owner, window) << kind << " asked by " << asking->caption();
            EXPECT_TRUE(BoxDestruction::ownerLeftToTheBox(window)) << kind << " asked by " << asking->caption();
            EXPECT_TRUE(BoxDestruction::ownerEnabled) << kind << " asked by " << asking->caption();
            t.pump();
            EXPECT_EQ(GetForegroundWindow(), window) << kind << " asked by " << asking->caption();
            EXPECT_EQ(GetActiveWindow(), window) << kind << " asked by " << asking->caption();
            EXPECT_TRUE(IsWindowEnabled(window));
        };
        SetForegroundWindow(window);
        t.pump();
        ASSERT_EQ(GetForegroundWindow(), window);
        ask(MessageButtons::Ok, press(IDOK));
        expectBack("the plain box");
        ask(MessageButtons::YesNo, press(IDYES));
        expectBack("Yes");
        ask(MessageButtons::YesNo, press(IDNO));
        expectBack("No");
        ask(MessageButtons::YesNo, [](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); });
        expectBack("the close button");
    }
    // The error box of a handler, asked from the dialog by a click.
    {
        BoxDestruction watch;
        BoxAnswerer answer("Tarmel Veilo", press(IDOK));
        const HWND go = hwndOf(dialog.control<Panel>("Go"));
        PostMessageW(go, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(go, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        t.pump(20);
        EXPECT_TRUE(answer.seen().found);
        EXPECT_EQ(BoxDestruction::owner, hwndOf(dialog));
        EXPECT_TRUE(BoxDestruction::ownerLeftToTheBox(hwndOf(dialog)));
        EXPECT_TRUE(BoxDestruction::ownerEnabled);
    }
    t.pump();
    EXPECT_EQ(GetForegroundWindow(), hwndOf(dialog)) << "the error box";
}

TEST(NativeApplication, AnExceptionInAHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
    NativeApp t;
    int clicks = 0;
    Form& f = t.form("F TForm client=200,100\nP TPanel bounds=0,0,50,20 caption=Go onclick=Go\n",
                     {{"Go", [&] {
                           ++clicks;
                           if (clicks == 1) throw std::runtime_error("Failed to set data for 'Start Page'");
                           if (clicks == 2) throw 42; // an error of no known kind: nothing to read from it
                       }}});
    f.showForm();
    t.pump();
    HWND panel = hwndOf(f.control<Panel>("P"));
    for (const char* expected : {"Failed to set data for 'Start Page'.", "Erreur inattendue."}) {
        BoxAnswerer answer("Tarmel Veilo", [](HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
        PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        t.pump(20);
        const SeenBox& seen = answer.seen();
        ASSERT_TRUE(seen.found) << expected;
        EXPECT_TRUE(contains(seen.texts, expected));
    }
    // The next click runs normally.
    PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    t.pump();
    EXPECT_EQ(clicks, 3);
}

TEST(NativeApplication, ClosingTheMainWindowDuringALongHandlerEndsTheLoop) {
    NativeApp t;
    int pumpsAfterClose = 0;
    MessageResult askedAfterClose = MessageResult::Yes;
    Form* mainForm = nullptr;
    Form& main = t.form("Main TForm client=300,200 caption=Main\nStart TPanel bounds=0,0,50,20 onclick=Run\n",
                        {{"Run", [&] {
                              // A long run that pumps; the user closes the main window meanwhile.
                              PostMessageW(hwndOf(*mainForm), WM_CLOSE, 0, 0);
                              for (int i = 0; i < 20; ++i) {
                                  t.app.processMessages();
                                  if (t.app.terminated()) ++pumpsAfterClose;
                              }
                              askedAfterClose = t.app.messageBox("Encore ?", "Confirm", MessageButtons::YesNo,
                                                                 MessageIcon::Question);
                          }}});
    mainForm = &main;
    Form& dialog = t.form("Dialog TForm client=100,100 caption=Dialog\n");
    dialog.showForm();
    HWND start = hwndOf(main.control<Panel>("Start"));
    PostMessageW(start, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(start, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    t.app.run(); // returns: the loop ended although a dialog is open
    EXPECT_TRUE(t.app.terminated());
    EXPECT_FALSE(main.visible());
    EXPECT_GT(pumpsAfterClose, 0);
    EXPECT_EQ(askedAfterClose, MessageResult::No); // nothing more is asked once closing
}

TEST(NativeApplication, ReleasedFormIsDestroyedByTheLoop) {
    NativeApp t;
    Form& splash = t.form("SplashForm TForm client=100,100 border=none\n");
    HWND window = hwndOf(splash);
    splash.showForm();
    t.app.release(splash);
    EXPECT_TRUE(IsWindow(window)); // not yet: at the next turn of the loop
    t.pump();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(t.app.forms().empty());
}
