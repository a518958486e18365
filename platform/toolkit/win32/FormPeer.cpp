#include "platform/toolkit/win32/FormPeer.h"

#include <set>
#include <utility>
#include <vector>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/win32/Dpi.h"
#include "platform/toolkit/win32/Gdi.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

namespace {

// "TForm1" keeps its name; "SplashForm" becomes "TSplashForm".
std::wstring classNameOf(const Form& form) {
    const std::string& name = form.name();
    return tv::win32::widen(name.rfind('T', 0) == 0 ? name : "T" + name);
}

void registerFormClass(const std::wstring& name) {
    static std::set<std::wstring> registered;
    if (registered.count(name)) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
    registered.insert(name);
}

DWORD frameStyle(const Form& form) {
    DWORD style = WS_CLIPCHILDREN;
    switch (form.borderStyle()) {
    case BorderStyle::None: return style | WS_POPUP;
    case BorderStyle::Single: style |= WS_CAPTION | WS_SYSMENU; break;
    case BorderStyle::Dialog: style |= WS_CAPTION | WS_SYSMENU; break; // the frame is an extended style
    case BorderStyle::Sizeable: style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; break;
    }
    if (form.minimizeBox()) style |= WS_MINIMIZEBOX;
    if (form.maximizeBox()) style |= WS_MAXIMIZEBOX;
    return style;
}

DWORD frameExStyle(const Form& form) {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (form.borderStyle() == BorderStyle::Dialog) ex |= WS_EX_DLGMODALFRAME;
    if (form.alpha() < 255) ex |= WS_EX_LAYERED;
    return ex;
}

} // namespace

FormPeer::FormPeer(Form& form, Win32Backend& backend) : NativeControl(form, backend) {
    const std::wstring name = classNameOf(form);
    registerFormClass(name);
    create(name.c_str(), frameStyle(form), frameExStyle(form));
    if (form.alpha() < 255)
        SetLayeredWindowAttributes(hwnd(), 0, static_cast<BYTE>(form.alpha() < 0 ? 0 : form.alpha()), LWA_ALPHA);
}

void FormPeer::applyBounds() {
    const Form& f = form();
    const UINT d = dpi();
    RECT outer;
    if (f.clientWidth() > 0 && f.clientHeight() > 0) {
        outer = RECT{0, 0, scale(f.clientWidth(), d), scale(f.clientHeight(), d)};
        adjustWindowRectForDpi(outer, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)), d);
    } else {
        outer = RECT{0, 0, scale(f.bounds().width, d), scale(f.bounds().height, d)};
    }
    SetWindowPos(hwnd(), nullptr, f.bounds().left, f.bounds().top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (f.centered()) centre();
}

void FormPeer::centre() {
    RECT window;
    GetWindowRect(hwnd(), &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    const int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(hwnd(), nullptr, screen.left + (screen.right - screen.left - width) / 2,
                 screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormPeer::applyCaption() {
    // Form::repaint() comes here as well: draw everything now, before slow work starts.
    SetWindowTextW(hwnd(), tv::win32::widen(control().caption()).c_str());
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void FormPeer::applyVisible() {
    if (!control().visible()) {
        backend().forgetOnRestore(hwnd());
        const bool wasActive = GetActiveWindow() == hwnd();
        ShowWindow(hwnd(), SW_HIDE);
        // The activation, and with it the focus, goes back to the window this one came from.
        const Form* back = form().returnTo();
        if (wasActive && back && back->visible() && back->handle() && !backend().minimized())
            SetForegroundWindow(reinterpret_cast<HWND>(back->handle()));
        return;
    }
    if (backend().minimized()) {
        // The program is down on its taskbar button: the form waits for the restore, at the
        // place it would have been shown at.
        if (!IsWindowVisible(hwnd()) && form().centered() && !shownBefore_) centre();
        backend().showOnRestore(hwnd());
        return;
    }
    if (IsWindowVisible(hwnd())) {
        // Shown again: to the front, restored if minimised.
        if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
        SetForegroundWindow(hwnd());
        BringWindowToTop(hwnd());
        return;
    }
    if (form().centered()) centre();
    shownBefore_ = true;
    ShowWindow(hwnd(), std::exchange(nextShowCommand_, SW_SHOW));
    if (!IsIconic(hwnd())) SetForegroundWindow(hwnd());
    UpdateWindow(hwnd());
}

void FormPeer::showAgain() {
    shownBefore_ = true;
    ShowWindow(hwnd(), std::exchange(nextShowCommand_, SW_SHOW));
    UpdateWindow(hwnd());
}

void FormPeer::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, brushFor(colorRef(control().color())));
}

void FormPeer::rescale() {
    applyBounds();
    for (const auto& c : form().controls())
        if (auto* peer = dynamic_cast<NativeControl*>(c->peer())) peer->rescale();
}

bool FormPeer::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CLOSE:
        // The title-bar close button: the form decides (hide, or end the program).
        dispatch([this] { form().requestClose(); });
        result = 0;
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_MINIMIZE) return false;
        // The forms have no taskbar buttons of their own: the whole program goes down to its.
        backend().minimizeApplication();
        result = 0;
        return true;
    case WM_ACTIVATE: {
        if (LOWORD(wParam) == WA_INACTIVE) return false;
        backend().noteActive(hwnd());
        form().application().noteActivated(form());
        if (HIWORD(wParam)) return false; // minimised
        // The focus goes back to the control that had it; a keyboard user starts on the
        // first stop. A mouse user's window keeps the focus itself, showing no cue.
        const Control* target = form().focusTarget(backend().keyboardCues());
        if (!target || !target->handle()) return false;
        SetFocus(reinterpret_cast<HWND>(target->handle()));
        result = 0;
        return true;
    }
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        for (const auto& c : form().controls())
            if (auto* peer = dynamic_cast<NativeControl*>(c->peer())) peer->rescale();
        result = 0;
        return true;
    }
    default:
        return NativeControl::onMessage(message, wParam, lParam, result);
    }
}

} // namespace tv::toolkit::win32
