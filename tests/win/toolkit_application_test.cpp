// The native application under Wine: message boxes and their answers, the error box of an
// escaping exception, and closing the main window in the middle of a long handler.

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
