// The start-page dialog on the native toolkit and the real registry, and the code page the
// typed texts are spelt in.

#include "ToolkitTestSupport.h"

#include <optional>

#include "platform/win32/Win32Platform.h"
#include "ui/MakerAddresses.h"
#include "ui/Unit2.h"

using namespace tv;
using namespace tv::wintest;

namespace {

const wchar_t kMainKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";

std::optional<std::wstring> startPage() {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page", RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

// The browser's start page as it was, put back whatever the test did.
class StartPageKept {
public:
    StartPageKept() : saved_(startPage()) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kMainKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, &disposition_);
        if (key) RegCloseKey(key);
    }
    ~StartPageKept() {
        if (disposition_ == REG_CREATED_NEW_KEY) {
            RegDeleteTreeW(HKEY_CURRENT_USER, kMainKey);
        } else if (saved_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page", REG_SZ, saved_->c_str(),
                            static_cast<DWORD>((saved_->size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page");
        }
    }

private:
    std::optional<std::wstring> saved_;
    DWORD disposition_ = 0;
};

// A left click as the mouse gives it, in the middle of the control.
void realClick(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

bool ticked(const toolkit::RadioButton& button) {
    return SendMessageW(hwndOf(button), BM_GETCHECK, 0, 0) == BST_CHECKED && button.checked();
}

} // namespace

TEST(StartPageDialog, RealClicksChooseTheTypedAddressThenAPortalWhichOkWritesIntoTheRegistry) {
    StartPageKept kept;
    tv::win32::Win32Platform platform;
    NativeApp t;
    auto& dialog = static_cast<ui::TForm2&>(t.app.adopt(std::make_unique<ui::TForm2>(t.app, platform)));
    t.backend.realize(dialog);
    dialog.showForm();
    t.pump();
    ASSERT_TRUE(IsWindowVisible(hwndOf(dialog)));
    EXPECT_TRUE(ticked(dialog.RadioButton4));

    realClick(hwndOf(dialog.Edit1));
    t.pump();
    EXPECT_EQ(GetFocus(), hwndOf(dialog.Edit1));
    EXPECT_TRUE(ticked(dialog.RadioButton3));
    EXPECT_FALSE(ticked(dialog.RadioButton4));

    // Focus that arrives by the keyboard ticks it as well.
    realClick(hwndOf(dialog.RadioButton2));
    t.pump();
    ASSERT_TRUE(ticked(dialog.RadioButton2));
    for (int i = 0; i < 6 && GetFocus() != hwndOf(dialog.Edit1); ++i) {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000000);
        t.pump();
    }
    EXPECT_EQ(GetFocus(), hwndOf(dialog.Edit1));
    EXPECT_TRUE(ticked(dialog.RadioButton3));

    realClick(hwndOf(dialog.RadioButton2));
    t.pump();
    EXPECT_TRUE(ticked(dialog.RadioButton2));
    EXPECT_FALSE(ticked(dialog.RadioButton3));
    realClick(hwndOf(dialog.Panel3));
    t.pump();
    const std::wstring written = startPage().value_or(L"");
    EXPECT_EQ(written, tv::win32::widen(ui::portalServer() + "/tool/?id=1"));
    EXPECT_FALSE(IsWindowVisible(hwndOf(dialog)));
}

TEST(CodePage, TypedTextsAreSpeltInTheAnsiCodePageWithAQuestionMarkForTheRest) {
    tv::win32::Win32Platform platform;
    ASSERT_EQ(GetACP(), 1252u) << "the test prefix is expected to have a Western code page";
    EXPECT_EQ(platform.toAnsiCodePage(""), "");
    EXPECT_EQ(platform.toAnsiCodePage("a&b=c d"), "a&b=c d");
    EXPECT_EQ(platform.toAnsiCodePage("Ça coûte 5 €… ÿ"), "\xC7" "a co\xFBte 5 \x80\x85 \xFF");
    // No look-alike for what the code page lacks: the o with double acute is not an o.
    EXPECT_EQ(platform.toAnsiCodePage("ő"), "?");
    EXPECT_EQ(platform.toAnsiCodePage("aΩ\U0001F600b"), "a???b"); // two units beyond 16 bits
}
