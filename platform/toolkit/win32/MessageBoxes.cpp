#include "platform/toolkit/win32/MessageBoxes.h"

#include <commctrl.h>

#include "platform/toolkit/win32/Gdi.h"
#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

namespace {

constexpr int kClosedAnswer = 0x5443; // what the box ends with when closed by its title bar
constexpr UINT_PTR kBoxSubclassId = 0x5442;

thread_local HHOOK creationHook = nullptr;

LRESULT CALLBACK yesNoBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_INITDIALOG: {
        LRESULT result = DefSubclassProc(box, message, wParam, lParam);
        // The standard box greys its close button out when it has no Cancel: give it back.
        EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
        SetDlgItemTextW(box, IDYES, L"&Yes");
        SetDlgItemTextW(box, IDNO, L"&No");
        return result;
    }
    case WM_CLOSE:
        EndDialog(box, kClosedAnswer);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) { // Escape
            EndDialog(box, IDNO);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(box, yesNoBoxProc, kBoxSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

// Catches the box's own window as it is created, before its first message is handled.
LRESULT CALLBACK creationHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32770") == 0) {
            SetWindowSubclass(window, yesNoBoxProc, kBoxSubclassId, 0);
            HHOOK hook = creationHook;
            creationHook = nullptr;
            LRESULT next = CallNextHookEx(hook, code, wParam, lParam);
            UnhookWindowsHookEx(hook);
            return next;
        }
    }
    return CallNextHookEx(creationHook, code, wParam, lParam);
}

UINT iconFlag(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None: return 0;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Question: return MB_ICONQUESTION;
    case MessageIcon::Error: return MB_ICONERROR;
    }
    return 0;
}

} // namespace

MessageResult showMessageBox(HWND owner, const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) {
    const std::wstring wideText = drawnText(text);
    const std::wstring wideCaption = tv::win32::widen(caption);
    const UINT flags = iconFlag(icon) | MB_APPLMODAL | MB_SETFOREGROUND;
    if (buttons == MessageButtons::Ok) {
        MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), flags | MB_OK);
        return MessageResult::Ok;
    }
    creationHook = SetWindowsHookExW(WH_CBT, creationHookProc, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), flags | MB_YESNO);
    if (creationHook) { // the box never came up
        UnhookWindowsHookEx(creationHook);
        creationHook = nullptr;
    }
    if (answer == IDYES) return MessageResult::Yes;
    if (answer == kClosedAnswer) return MessageResult::Closed;
    return MessageResult::No;
}

} // namespace tv::toolkit::win32
