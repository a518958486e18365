#include "ProgramDriver.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>

#ifndef TV_PROGRAM_DIR
#error "TV_PROGRAM_DIR names the folder of TarmVeilon.exe"
#endif

namespace tv::e2e {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    return utf8;
}

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(pollMs);
    }
}

std::wstring windowText(HWND window) {
    // WM_GETTEXT, as an automation tool reads it; bounded so that a hung program fails the
    // test instead of stopping it.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        5000, &copied);
    text.resize(copied);
    return text;
}

std::wstring storedText(HWND window) {
    // For a window of another process this reads the text the system keeps, without a
    // message: the program may be busy, as it is during its start-up.
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

RECT screenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

std::wstring windowsPath(const std::string& path) {
    std::wstring wide = widen(path);
    if (!wide.empty() && wide[0] == L'/') {
        for (auto& c : wide)
            if (c == L'/') c = L'\\';
        wide = L"Z:" + wide;
    }
    return wide;
}

std::wstring programDirectory() { return windowsPath(TV_PROGRAM_DIR); }

std::wstring artefactPath(const std::wstring& name) { return programDirectory() + L"\\" + name; }

namespace {

struct FindTopLevel {
    DWORD pid;
    const std::wstring* title;
    HWND found;
};

struct CollectChildren {
    std::function<bool(const std::wstring&)> match;
    std::vector<HWND> found;
};

// A virtual display has no window manager to draw the title bars, so under Wine the
// program is asked to draw its own (for that program only), as it would look on Windows.
void drawOwnFramesUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\TarmVeilon.exe\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t no[] = L"N";
    RegSetValueExW(key, L"Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
    RegCloseKey(key);
}

} // namespace

// The test's environment with the given variables put over it.
static std::wstring environmentBlock(const std::vector<std::wstring>& overrides) {
    std::wstring block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) {
        const std::wstring variable = p;
        const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](const std::wstring& o) {
            const size_t name = o.find(L'=');
            return _wcsnicmp(variable.c_str(), o.c_str(), name + 1) == 0;
        });
        if (!replaced) block += variable + L'\0';
    }
    FreeEnvironmentStringsW(strings);
    for (const auto& o : overrides) block += o + L'\0';
    return block + L'\0';
}

ProgramDriver::ProgramDriver(int showState, const std::vector<std::wstring>& environment) {
    drawOwnFramesUnderWine();
    std::wstring commandLine = L"\"" + programDirectory() + L"\\TarmVeilon.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showState);
    std::wstring block = environmentBlock(environment);
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                       environment.empty() ? nullptr : block.data(), programDirectory().c_str(), &startup, &info_)) {
        process_ = info_.hProcess;
    }
}

ProgramDriver::~ProgramDriver() {
    if (!process_) return;
    if (running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(process_);
}

bool ProgramDriver::running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ProgramDriver::waitForExit(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

HWND ProgramDriver::topLevel(const std::wstring& title) const {
    FindTopLevel search{info_.dwProcessId, &title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<FindTopLevel*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid != s->pid || storedText(window) != *s->title) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramDriver::waitForVisibleTopLevel(const std::wstring& title, DWORD timeoutMs) const {
    HWND window = nullptr;
    waitUntil(
        [&] {
            window = topLevel(title);
            return window && IsWindowVisible(window);
        },
        timeoutMs);
    return window && IsWindowVisible(window) ? window : nullptr;
}

static std::vector<HWND> collect(HWND parent, std::function<bool(const std::wstring&)> match) {
    CollectChildren search{std::move(match), {}};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<CollectChildren*>(data);
            if (s->match(storedText(window))) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    std::sort(search.found.begin(), search.found.end(),
              [](HWND a, HWND b) { return screenRect(a).left < screenRect(b).left; });
    return search.found;
}

std::vector<HWND> ProgramDriver::childrenWithText(HWND parent, const std::wstring& text) {
    return collect(parent, [&](const std::wstring& t) { return t == text; });
}

std::vector<HWND> ProgramDriver::childrenEndingWith(HWND parent, const std::wstring& suffix) {
    return collect(parent, [&](const std::wstring& t) {
        return t.size() >= suffix.size() && t.compare(t.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}

HWND ProgramDriver::childAt(HWND parent, int left, int top, int width, int height) {
    const UINT dpi = GetDpiForWindow(parent);
    auto scaled = [&](int v) { return MulDiv(v, static_cast<int>(dpi ? dpi : 96), 96); };
    for (HWND child : collect(parent, [](const std::wstring&) { return true; })) {
        RECT r = screenRect(child);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        if (r.left == scaled(left) && r.top == scaled(top) && r.right - r.left == scaled(width) &&
            r.bottom - r.top == scaled(height))
            return child;
    }
    return nullptr;
}

std::vector<std::wstring> ProgramDriver::childTexts(HWND parent) {
    std::vector<std::wstring> texts;
    for (HWND child : collect(parent, [](const std::wstring&) { return true; })) texts.push_back(storedText(child));
    return texts;
}

GUITHREADINFO ProgramDriver::guiState() const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(info_.dwThreadId, &gui)) gui.hwndActive = gui.hwndFocus = nullptr;
    return gui;
}

HWND ProgramDriver::focused() const { return guiState().hwndFocus; }

bool ProgramDriver::takesKeys(HWND window) const {
    const GUITHREADINFO gui = guiState();
    return gui.hwndActive == window && gui.hwndFocus != nullptr;
}

void ProgramDriver::press(UINT key) const {
    const GUITHREADINFO gui = guiState();
    HWND target = gui.hwndFocus ? gui.hwndFocus : gui.hwndActive;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, key, scan | 1);
    PostMessageW(target, WM_KEYUP, key, scan | 1 | static_cast<LPARAM>(0xC0000000u));
}

HWND ProgramDriver::tab() const {
    HWND before = focused();
    press(VK_TAB);
    HWND after = nullptr;
    return waitUntil([&] { return (after = focused()) != before; }, 5000) ? after : nullptr;
}

void ProgramDriver::click(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

bool ProgramDriver::screenshot(HWND window, const std::wstring& path) {
    const RECT r = screenRect(window);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // bottom-up, as BMP files store it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<std::uint8_t> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    const int lines = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (lines != height) return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

HWND ProgramDriver::waitForBox(const std::wstring& caption, const std::wstring& words, DWORD timeoutMs) const {
    HWND found = nullptr;
    waitUntil(
        [&] {
            HWND box = topLevel(caption);
            if (!box || !IsWindowVisible(box)) return false;
            for (const auto& text : childTexts(box))
                if (text.find(words) != std::wstring::npos) found = box;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool ProgramDriver::answer(HWND box, const std::wstring& button) {
    const auto buttons = childrenWithText(box, button);
    if (buttons.size() != 1) return false;
    click(buttons[0]);
    return true;
}

} // namespace tv::e2e
