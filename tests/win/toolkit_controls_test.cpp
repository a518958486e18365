// The native controls under Wine: the model and the native window agree after sequences of
// changes, and a real click goes through the model's rule exactly once.

#include "ToolkitTestSupport.h"

#include <commctrl.h>

#include "platform/toolkit/win32/GifPicture.h"

using namespace tv::wintest;

namespace {

const char* const kLayout = R"(F TForm client=320,240 caption="Essai"
Box TCheckBox bounds=10,10,150,17 caption="Nettoyage complet" font=Verdana bold=1 fontcolor=magenta onclick=BoxClick
R1 TRadioButton bounds=10,30,80,17 caption="Un" checked=1
R2 TRadioButton bounds=100,30,80,17 caption="Deux"
Bar TProgressBar bounds=10,60,150,14 range=0,100 step=10
Status TLabel bounds=10,80,50,13 caption="Bonjour"
Ed TEdit bounds=10,100,120,21 caption="http://" onenter=EdEnter
Memo TMemo bounds=140,100,150,60
Ok TPanel bounds=10,200,60,25 caption="Ok" cursor=hand onclick=OkClick
)";

struct Controls : NativeApp {
    int boxClicks = 0;
    int enters = 0;
    int okClicks = 0;
    Form& f;
    Controls()
        : f(form(kLayout, {{"BoxClick", [this] { ++boxClicks; }},
                           {"EdEnter", [this] { ++enters; }},
                           {"OkClick", [this] { ++okClicks; }}})) {
        f.showForm();
        pump();
    }
    CheckBox& box() { return f.control<CheckBox>("Box"); }
    LRESULT nativeCheck() { return SendMessageW(hwndOf(box()), BM_GETCHECK, 0, 0); }
};

LRESULT nativeOf(CheckState state) {
    return state == CheckState::Checked ? BST_CHECKED : state == CheckState::Grayed ? BST_INDETERMINATE : BST_UNCHECKED;
}

} // namespace

TEST(NativeCheckBox, FollowsEveryProgrammaticChangeAndFiresOncePerChange) {
    Controls t;
    const CheckState sequence[] = {CheckState::Checked, CheckState::Checked, CheckState::Grayed,
                                   CheckState::Unchecked, CheckState::Grayed, CheckState::Grayed,
                                   CheckState::Checked, CheckState::Unchecked};
    int expectedClicks = 0;
    CheckState previous = CheckState::Unchecked;
    for (CheckState s : sequence) {
        t.box().setState(s);
        if (s != previous) ++expectedClicks;
        previous = s;
        t.pump(1);
        EXPECT_EQ(t.nativeCheck(), nativeOf(s));
        EXPECT_EQ(t.boxClicks, expectedClicks);
    }
}

TEST(NativeCheckBox, RealClicksGoThroughTheModelRuleOnce) {
    Controls t;
    HWND box = hwndOf(t.box());
    // BM_CLICK: unchecked -> checked -> unchecked.
    SendMessageW(box, BM_CLICK, 0, 0);
    t.pump();
    EXPECT_EQ(t.box().state(), CheckState::Checked);
    EXPECT_EQ(t.nativeCheck(), BST_CHECKED);
    EXPECT_EQ(t.boxClicks, 1);
    SendMessageW(box, BM_CLICK, 0, 0);
    t.pump();
    EXPECT_EQ(t.box().state(), CheckState::Unchecked);
    EXPECT_EQ(t.boxClicks, 2);
    // Grayed by the program, then a mouse click: grayed -> checked, one handling each.
    t.box().setState(CheckState::Grayed);
    EXPECT_EQ(t.boxClicks, 3);
    PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    t.pump();
    EXPECT_EQ(t.box().state(), CheckState::Checked);
    EXPECT_EQ(t.nativeCheck(), BST_CHECKED);
    EXPECT_EQ(t.boxClicks, 4);
    // The space bar on the focused box is a click too.
    SetFocus(box);
    PostMessageW(box, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageW(box, WM_KEYUP, VK_SPACE, 0xC0000000);
    t.pump();
    EXPECT_EQ(t.box().state(), CheckState::Unchecked);
    EXPECT_EQ(t.boxClicks, 5);
}

TEST(NativeRadioButton, AClickTicksItAndUnticksItsSiblings) {
    Controls t;
    auto& one = t.f.control<RadioButton>("R1");
    auto& two = t.f.control<RadioButton>("R2");
    EXPECT_EQ(SendMessageW(hwndOf(one), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(hwndOf(two), BM_CLICK, 0, 0);
    t.pump();
    EXPECT_TRUE(two.checked());
    EXPECT_FALSE(one.checked());
    EXPECT_EQ(SendMessageW(hwndOf(two), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(hwndOf(one), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(NativeProgressBar, ModelAgreesWithTheNativeControlDrivenByItsOwnMessages) {
    Controls t;
    auto& bar = t.f.control<ProgressBar>("Bar");
    // A second, bare native bar driven with the control's own messages is the reference.
    HWND reference = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 100, 10, hwndOf(t.f), nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(reference);
    struct Case {
        int min, max, step, start;
        std::vector<int> ops; // 0: step-it, otherwise step-by that amount
    };
    const Case cases[] = {
        {0, 100, 10, 0, std::vector<int>(13, 0)},    // past the maximum and round again
        {0, 100, 30, 80, {0, 0, 0, 0, 0}},            // a step that overshoots
        {5, 47, 10, 5, {0, 0, 0, 0, 0, 0, 0, 0, 0}},  // a range that does not start at 0
        {0, 100, 10, 95, {20, -200, 50, 60, 0, -5}},  // step-by stops at both ends
        {0, 7, 10, 0, {0, 0, 0}},                     // a step larger than the range
    };
    for (const Case& c : cases) {
        bar.setRange(c.min, c.max);
        bar.setStep(c.step);
        bar.setPosition(c.start);
        SendMessageW(reference, PBM_SETRANGE32, static_cast<WPARAM>(c.min), c.max);
        SendMessageW(reference, PBM_SETSTEP, static_cast<WPARAM>(c.step), 0);
        SendMessageW(reference, PBM_SETPOS, static_cast<WPARAM>(c.start), 0);
        for (size_t i = 0; i < c.ops.size(); ++i) {
            if (c.ops[i] == 0) {
                bar.stepIt();
                SendMessageW(reference, PBM_STEPIT, 0, 0);
            } else {
                bar.stepBy(c.ops[i]);
                SendMessageW(reference, PBM_DELTAPOS, static_cast<WPARAM>(c.ops[i]), 0);
            }
            const int native = static_cast<int>(SendMessageW(reference, PBM_GETPOS, 0, 0));
            EXPECT_EQ(bar.position(), native) << "range " << c.min << ".." << c.max << " step " << c.step
                                              << " op " << i;
            t.pump(); // the native bar takes the model's changes when messages are pumped
            EXPECT_EQ(static_cast<int>(SendMessageW(hwndOf(bar), PBM_GETPOS, 0, 0)), bar.position());
        }
    }
    DestroyWindow(reference);
}

TEST(NativeControls, TextsAndVisibilityFollowTheModelAndTheUser) {
    Controls t;
    auto& status = t.f.control<Label>("Status");
    status.setCaption("Félicitation, \r\rToutes les tâches");
    EXPECT_EQ(windowText(hwndOf(status)), "Félicitation, \r\rToutes les tâches");
    // Auto-sized to three lines.
    RECT r;
    GetClientRect(hwndOf(status), &r);
    EXPECT_GT(r.bottom, 2 * 13);

    auto& edit = t.f.control<Edit>("Ed");
    EXPECT_EQ(windowText(hwndOf(edit)), "http://");
    edit.setText("http://exemple.fr/?a=1&b=é");
    EXPECT_EQ(windowText(hwndOf(edit)), "http://exemple.fr/?a=1&b=é");
    // The user types at the end: the model takes the window's text.
    SendMessageW(hwndOf(edit), EM_SETSEL, 100, 100);
    for (wchar_t c : std::wstring(L" ç&")) SendMessageW(hwndOf(edit), WM_CHAR, c, 1);
    EXPECT_EQ(edit.text(), "http://exemple.fr/?a=1&b=é ç&");

    auto& memo = t.f.control<Memo>("Memo");
    SetFocus(hwndOf(memo));
    for (wchar_t c : std::wstring(L"ab\rcd")) SendMessageW(hwndOf(memo), WM_CHAR, c, 1);
    EXPECT_EQ(memo.text(), "ab\r\ncd");

    status.hide();
    EXPECT_FALSE(IsWindowVisible(hwndOf(status)));
    status.show();
    EXPECT_TRUE(IsWindowVisible(hwndOf(status)));
    t.f.hide();
    EXPECT_FALSE(IsWindowVisible(hwndOf(t.f)));
}

TEST(NativeControls, FocusEntryAndPanelClicksReachTheirHandlers) {
    Controls t;
    SetForegroundWindow(hwndOf(t.f));
    SetFocus(hwndOf(t.f.control<Edit>("Ed")));
    t.pump();
    EXPECT_EQ(t.enters, 1);
    SetFocus(hwndOf(t.box()));
    SetFocus(hwndOf(t.f.control<Edit>("Ed")));
    t.pump();
    EXPECT_EQ(t.enters, 2);

    HWND ok = hwndOf(t.f.control<Panel>("Ok"));
    PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    t.pump();
    EXPECT_EQ(t.okClicks, 1);
    // Released outside the panel: no click, as with a button.
    PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    t.pump();
    EXPECT_EQ(t.okClicks, 1);

    // The hand over clickable controls; the wait cursor everywhere while it is on.
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND), wait = LoadCursorW(nullptr, IDC_WAIT);
    SendMessageW(ok, WM_SETCURSOR, reinterpret_cast<WPARAM>(ok), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hand);
    t.app.setScreenCursor(Cursor::Hourglass);
    SendMessageW(ok, WM_SETCURSOR, reinterpret_cast<WPARAM>(ok), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), wait);
    t.app.setScreenCursor(Cursor::Default);
    SendMessageW(ok, WM_SETCURSOR, reinterpret_cast<WPARAM>(ok), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hand);
}

TEST(NativeForms, ExactClientSizeCentredAndTranslucentWhenAsked) {
    NativeApp t;
    Form& f = t.form("Main TForm client=586,422 border=single icons=system,minimize alpha=250 caption=\"Main\"\n");
    f.showForm();
    t.pump();
    HWND window = hwndOf(f);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 586);
    EXPECT_EQ(client.bottom, 422);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 250);
    RECT outer;
    GetWindowRect(window, &outer);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((outer.left + outer.right) / 2, screenWidth / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, screenHeight / 2, 1);
    // Owned by the application window, which carries the title.
    EXPECT_EQ(GetWindow(window, GW_OWNER), reinterpret_cast<HWND>(t.app.handle()));
    EXPECT_EQ(windowText(reinterpret_cast<HWND>(t.app.handle())), "Tarmel Veilo");
}

TEST(NativeImages, PicturesComeFromTheProgramResourcesAtTheirSize) {
    NativeApp t;
    Form& f = t.form("F TForm client=200,100\nPic TImage bounds=0,0,65,65 picture=start_disc\n");
    const auto* picture = t.backend.picture("start_disc");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width(), 65);
    EXPECT_EQ(picture->height(), 65);
    EXPECT_EQ(t.backend.picture("no_such_picture"), nullptr);
    f.showForm();
    t.pump();
    // The disc is white inside its ring, above the word.
    HDC dc = GetDC(hwndOf(f.control<Image>("Pic")));
    EXPECT_EQ(GetPixel(dc, 32, 12) & 0xFFFFFF, 0xFFFFFFu);
    ReleaseDC(hwndOf(f.control<Image>("Pic")), dc);
}

TEST(NativeForms, TabMovesThroughTheFieldsInTheirOrderAcrossPanels) {
    NativeApp t;
    Layout layout = loadLayout("TForm6");
    auto created = std::make_unique<Form>(t.app, layout.form.name);
    buildForm(*created, layout, {{"Button1Click", [] {}}});
    Form& f = t.app.adopt(std::move(created));
    t.backend.realize(f);
    f.showForm();
    t.pump();
    HWND first = hwndOf(f.control<Edit>("Edit1"));
    SetFocus(first);
    ASSERT_EQ(GetFocus(), first);
    auto tab = [&] {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000000);
        t.pump();
    };
    tab();
    EXPECT_EQ(GetFocus(), hwndOf(f.control<Edit>("Edit2")));
    tab();
    EXPECT_EQ(GetFocus(), hwndOf(f.control<Memo>("memo1")));
}

TEST(NativeForms, TabFollowsTheLayoutsTabOrderNotTheOrderOfCreation) {
    NativeApp t;
    // Created A, P (with C, D), B; the tab order says A, B, then P's D before its C.
    Form& f = t.form("F TForm client=300,200\n"
                     "A TEdit bounds=10,10,80,21 taborder=0\n"
                     "P TPanel bounds=10,40,200,100 taborder=2\n"
                     "C TEdit parent=P bounds=5,5,80,21 taborder=1\n"
                     "D TEdit parent=P bounds=5,35,80,21 taborder=0\n"
                     "B TEdit bounds=100,10,80,21 taborder=1\n");
    f.showForm();
    t.pump();
    auto field = [&](const char* name) { return hwndOf(f.control<Edit>(name)); };
    SetFocus(field("A"));
    ASSERT_EQ(GetFocus(), field("A"));
    auto tab = [&](bool shift) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000000);
        t.pump();
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        return GetFocus();
    };
    EXPECT_EQ(tab(false), field("B"));
    EXPECT_EQ(tab(false), field("D"));
    EXPECT_EQ(tab(false), field("C"));
    EXPECT_EQ(tab(false), field("A")); // round again
    EXPECT_EQ(tab(true), field("C"));  // Shift+Tab goes back
    EXPECT_EQ(tab(true), field("D"));
}
