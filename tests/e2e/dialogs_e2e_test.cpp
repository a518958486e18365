#include <gtest/gtest.h>

#include "ProgramDriver.h"
#include "../host/web_query.h"

#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#ifndef TV_BROWSER_STAND_IN
#error "TV_BROWSER_STAND_IN names the program that stands in for the browser"
#endif

using namespace tv::e2e;

namespace {

const std::wstring kMainTitle = widen("Tarmel veilo 2   - Surfez sur le web en toute discrétion -");
const std::wstring kTellAFriendTitle = widen("Envoyez ce logiciel à vos amis");
const wchar_t kHttpCommand[] = L"Software\\Classes\\http\\shell\\open\\command";

std::optional<std::wstring> httpCommand() {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kHttpCommand, nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

void setHttpCommand(const std::wstring& command) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kHttpCommand, nullptr, REG_SZ, command.c_str(),
                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

// While it lives, web addresses open in the stand-in, which notes its command lines in a
// record file; the prefix's own browser comes back afterwards.
class BrowserStandIn {
public:
    BrowserStandIn() : saved_(httpCommand()), record_(artefactPath(L"e2e-browser-record.txt")) {
        std::filesystem::remove(std::filesystem::path(record_));
        setHttpCommand(L"\"" + windowsPath(TV_BROWSER_STAND_IN) + L"\" \"" + record_ + L"\" \"%1\"");
    }
    ~BrowserStandIn() {
        if (saved_) setHttpCommand(*saved_);
    }
    const std::wstring& record() const { return record_; }
    std::vector<std::wstring> commandLines() const {
        std::ifstream in{std::filesystem::path(record_)};
        std::vector<std::wstring> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(widen(line));
        return lines;
    }

private:
    std::optional<std::wstring> saved_;
    std::wstring record_;
};

std::vector<std::wstring> arguments(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> result(argv, argv + (argv ? count : 0));
    LocalFree(argv);
    return result;
}

// The query's parameters, each decoded and read in the Western code page.
std::map<std::wstring, std::wstring> queryParameters(const std::wstring& address) {
    std::map<std::wstring, std::wstring> parameters;
    for (const auto& [name, bytes] : tv::uitest::queryParameters(narrow(address))) {
        std::wstring value(bytes.size(), L'\0');
        value.resize(static_cast<size_t>(MultiByteToWideChar(1252, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                             value.data(), static_cast<int>(value.size()))));
        parameters[widen(name)] = value;
    }
    return parameters;
}

// The picture placed at this point of the layout (96 DPI) on the window.
HWND childAt(HWND window, int x, int y) {
    const UINT dpi = GetDpiForWindow(window);
    POINT at{MulDiv(x, static_cast<int>(dpi), 96), MulDiv(y, static_cast<int>(dpi), 96)};
    return ChildWindowFromPointEx(window, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

// The dialog's edit fields, from the left column top down, then the message.
std::vector<HWND> editFields(HWND dialog) {
    std::vector<HWND> fields;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (_wcsicmp(name, L"Edit") == 0) reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&fields));
    std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
        const RECT ra = screenRect(a), rb = screenRect(b);
        return ra.left / 100 != rb.left / 100 ? ra.left < rb.left : ra.top < rb.top;
    });
    return fields;
}

// Types the text key by key, as the keyboard gives characters to the field.
void type(HWND field, const std::wstring& text) {
    for (wchar_t c : text) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(field, WM_CHAR, c, 1, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
}

} // namespace

TEST(TellAFriend, TheEnvelopeOpensTheDialogAndASendOpensOneAddressWithEachFieldAsTyped) {
    BrowserStandIn browser;
    ProgramDriver program;
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    HWND envelope = childAt(main, 20 + 32, 337 + 32);
    ASSERT_NE(envelope, nullptr);
    ASSERT_NE(envelope, main);
    ProgramDriver::click(envelope);
    HWND dialog = program.waitForVisibleTopLevel(kTellAFriendTitle);
    ASSERT_NE(dialog, nullptr);
    const RECT frame = screenRect(dialog);
    EXPECT_EQ(frame.left, 430);
    EXPECT_EQ(frame.top, 331);

    const auto fields = editFields(dialog);
    ASSERT_EQ(fields.size(), 3u);
    const std::wstring own = L"moi+test@ici.example";
    const std::wstring friends = L"ami@a.example, autre@b.example";
    const std::wstring message = widen("Salut \"toi\" & co,\r\nessaie ça = 100% #bien");
    type(fields[0], own);
    type(fields[1], friends);
    type(fields[2], L"Salut \"toi\" & co,\ressaie ça = 100% #bien");
    ASSERT_EQ(windowText(fields[2]), message);
    Sleep(300);
    EXPECT_TRUE(ProgramDriver::screenshot(dialog, artefactPath(L"e2e-tell-a-friend.bmp")));

    const auto send = ProgramDriver::childrenWithText(dialog, L"Envoyer");
    ASSERT_EQ(send.size(), 1u);
    ProgramDriver::click(send[0]);
    ASSERT_TRUE(waitUntil([&] { return !browser.commandLines().empty(); })) << "no address was opened";
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(dialog); }));
    Sleep(1000); // a second opening would have come by now
    const auto opened = browser.commandLines();
    ASSERT_EQ(opened.size(), 1u);
    const auto argv = arguments(opened[0]);
    ASSERT_EQ(argv.size(), 3u) << narrow(opened[0]);
    EXPECT_EQ(argv[1], browser.record());
    const std::wstring& address = argv[2];
    EXPECT_NE(address.find(L"/soft/sendsoft.php?name=tarmelveilo&sendto="), std::wstring::npos) << narrow(address);
    const auto parameters = queryParameters(address);
    EXPECT_EQ(parameters.size(), 4u) << narrow(address);
    EXPECT_EQ(parameters.at(L"sendto"), friends);
    EXPECT_EQ(parameters.at(L"replyto"), own);
    EXPECT_EQ(parameters.at(L"msg"), message);

    // Shown again, the texts are those of the send.
    ProgramDriver::click(envelope);
    ASSERT_EQ(program.waitForVisibleTopLevel(kTellAFriendTitle), dialog);
    EXPECT_EQ(windowText(fields[1]), friends);
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}

TEST(TellAFriend, ByKeysAloneWithTextsSetFromOutsideEnterInAFieldSendsThem) {
    BrowserStandIn browser;
    ProgramDriver program;
    ASSERT_TRUE(program.started());
    HWND main = program.waitForVisibleTopLevel(kMainTitle);
    ASSERT_NE(main, nullptr);
    HWND envelope = childAt(main, 20 + 32, 337 + 32);
    ASSERT_TRUE(waitUntil([&] { return program.takesKeys(main); }));
    for (int i = 0; i < 6; ++i) program.tab();
    ASSERT_EQ(program.focused(), envelope);
    program.press(VK_RETURN);
    HWND dialog = program.waitForVisibleTopLevel(kTellAFriendTitle);
    ASSERT_NE(dialog, nullptr);
    const auto fields = editFields(dialog);
    ASSERT_EQ(fields.size(), 3u);
    const auto send = ProgramDriver::childrenWithText(dialog, L"Envoyer");
    ASSERT_EQ(send.size(), 1u);
    ASSERT_TRUE(waitUntil([&] { return program.focused() == fields[0]; }));
    EXPECT_EQ(program.tab(), fields[1]);
    EXPECT_EQ(program.tab(), fields[2]);
    EXPECT_EQ(program.tab(), send[0]);
    EXPECT_EQ(program.tab(), fields[0]);

    // Dictation or an automation tool sets the texts through the windows.
    const std::wstring friends = L"ami@a.example";
    const std::wstring message = widen("Dicté\r\nà la voix");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(fields[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(friends.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    SendMessageTimeoutW(fields[2], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(message.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    EXPECT_EQ(program.tab(), fields[1]);
    program.press(VK_RETURN);
    ASSERT_TRUE(waitUntil([&] { return !browser.commandLines().empty(); })) << "no address was opened";
    const auto argv = arguments(browser.commandLines()[0]);
    ASSERT_EQ(argv.size(), 3u);
    const auto parameters = queryParameters(argv[2]);
    EXPECT_EQ(parameters.at(L"sendto"), friends);
    EXPECT_EQ(parameters.at(L"msg"), message);
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(dialog); }));
    EXPECT_TRUE(waitUntil([&] { return program.focused() == envelope; }));
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.waitForExit(15000));
}
