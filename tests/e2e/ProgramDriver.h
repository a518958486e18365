#pragma once
// Drives the real TarmVeilon.exe from outside, as a user would: starts it, finds its
// windows by title and text, reads texts back, clicks, and keeps screenshots. Every wait is
// bounded, and the process never outlives the test.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tv::e2e {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& wide);

// Polls until the condition holds or the time is up; says which.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000, DWORD pollMs = 20);

// WM_GETTEXT, as automation tools read a control's text.
std::wstring windowText(HWND window);
// The text the system keeps for the window, read without a message to the program.
std::wstring storedText(HWND window);
RECT screenRect(HWND window);

class ProgramDriver {
public:
    // Starts the program with this show state (STARTF_USESHOWWINDOW), and with these
    // variables ("NAME=value") set in its environment over the test's own.
    explicit ProgramDriver(int showState = SW_SHOWNORMAL, const std::vector<std::wstring>& environment = {});
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    bool started() const { return process_ != nullptr; }
    bool running() const;
    // True when the process ended within the time.
    bool waitForExit(DWORD timeoutMs);

    // Searches go by the stored texts, so that they work while the program is busy.
    // A top-level window of the program with exactly this title (visible or not).
    HWND topLevel(const std::wstring& title) const;
    HWND waitForVisibleTopLevel(const std::wstring& title, DWORD timeoutMs = 20000) const;

    static std::vector<HWND> childrenWithText(HWND parent, const std::wstring& text);
    // The children whose text ends with this suffix, left to right.
    static std::vector<HWND> childrenEndingWith(HWND parent, const std::wstring& suffix);

    // The child of `parent` placed at exactly these client coordinates (at 96 DPI).
    static HWND childAt(HWND parent, int left, int top, int width, int height);
    // The texts of every window below `parent`.
    static std::vector<std::wstring> childTexts(HWND parent);

    // The program's window that has the keyboard focus (null when none has).
    HWND focused() const;
    // Whether `window` is the program's active window and something in it has the focus: keys
    // pressed before then are lost.
    bool takesKeys(HWND window) const;
    // A key pressed and released on the window that has the focus, as the keyboard gives it.
    void press(UINT key) const;
    // Tab, and the window the focus went to (null when it did not move).
    HWND tab() const;

    // A visible message box of the program with this caption, one of whose texts holds
    // `words`; null when none came within the time.
    HWND waitForBox(const std::wstring& caption, const std::wstring& words, DWORD timeoutMs = 60000) const;
    // Clicks the box's button of that text; false when it has no such button.
    static bool answer(HWND box, const std::wstring& button);

    // A left click in the middle of the window, as the mouse gives it.
    static void click(HWND window);
    // Saves what the screen shows of the window as a BMP file; false when it could not.
    static bool screenshot(HWND window, const std::wstring& path);

private:
    // The program's input state: its active window and the one with the focus.
    GUITHREADINFO guiState() const;
    PROCESS_INFORMATION info_{};
    HANDLE process_ = nullptr;
};

// A build path as the program sees it (Unix paths are reached through Wine's Z: drive).
std::wstring windowsPath(const std::string& path);
// The folder that holds the program.
std::wstring programDirectory();
// Where the screenshots go: next to the program.
std::wstring artefactPath(const std::wstring& name);

} // namespace tv::e2e
