#include "platform/toolkit/win32/Win32Backend.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <functional>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/win32/ControlPeers.h"
#include "platform/toolkit/win32/Dpi.h"
#include "platform/toolkit/win32/FormPeer.h"
#include "platform/toolkit/win32/Gdi.h"
#include "platform/toolkit/win32/GifPicture.h"
#include "platform/toolkit/win32/MessageBoxes.h"
#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

namespace {

constexpr const wchar_t* kApplicationClass = L"TvApplication";
constexpr UINT kReleaseMessage = WM_APP + 1;

// The top-level windows of this thread that pass the test.
std::vector<HWND> threadWindows(const std::function<bool(HWND)>& wanted) {
    struct Search {
        const std::function<bool(HWND)>* wanted;
        std::vector<HWND> found;
    } search{&wanted, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            try { // called by the system: nothing may unwind through it
                if ((*s->wanted)(window)) s->found.push_back(window);
            } catch (...) {
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void realizeChildren(Control& parent, Win32Backend& backend) {
    for (Control* child : parent.children()) {
        if (!child->peer()) child->attachPeer(makePeer(*child, backend));
        realizeChildren(*child, backend);
    }
}

} // namespace

Win32Backend::Win32Backend() = default;

Win32Backend::~Win32Backend() { finalize(); }

void Win32Backend::initialize() {
    if (appWindow_) return;
    comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
    // The manifest asks for it too; a program without one still scales.
    becomeDpiAware();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerControlClasses(instance);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = appWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kApplicationClass;
    RegisterClassExW(&wc);
    // No size: it is never seen, only its taskbar button is; the forms are owned by it.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    appWindow_ = CreateWindowExW(0, kApplicationClass, title_.c_str(),
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0, nullptr, nullptr,
                                 instance, nullptr);
    SetWindowLongPtrW(appWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Win32Backend::finalize() {
    pendingRelease_.clear();
    pictures_.clear();
    if (appWindow_) {
        DestroyWindow(appWindow_);
        appWindow_ = nullptr;
    }
    releaseGdiCaches();
    if (comInitialized_) {
        CoUninitialize();
        comInitialized_ = false;
    }
}

void Win32Backend::setTitle(const std::string& title) {
    title_ = tv::win32::widen(title);
    if (appWindow_) SetWindowTextW(appWindow_, title_.c_str());
}

void Win32Backend::realize(Form& form) {
    if (!appWindow_) initialize();
    if (!form.peer()) form.attachPeer(std::make_unique<FormPeer>(form, *this));
    realizeChildren(form, *this);
}

MessageResult Win32Backend::messageBox(const std::string& text, const std::string& caption, MessageButtons buttons,
                                       MessageIcon icon) {
    // Once the main window has closed nothing more is asked: the safe answer is No.
    if (quitting_) return buttons == MessageButtons::YesNo ? MessageResult::No : MessageResult::Ok;
    flushDeferred(); // the box runs its own loop: the bar shows where it stands
    HWND owner = GetActiveWindow();
    if (!owner || !IsWindowVisible(owner)) owner = appWindow_;
    // Modal for the whole program, not just for its owner: no other window takes a click
    // (a second run, the main window's close) while the question is open. The owner is the
    // box's own to disable: it enables it again before it goes, so that the system hands
    // the activation back to the window that asked rather than to another program.
    const std::vector<HWND> disabled = threadWindows(
        [owner](HWND window) { return window != owner && IsWindowVisible(window) && IsWindowEnabled(window); });
    for (HWND window : disabled) EnableWindow(window, FALSE);
    const MessageResult answer = showMessageBox(owner, text, caption, buttons, icon);
    for (HWND window : disabled)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    return answer;
}

bool Win32Backend::translate(MSG& message) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    auto* form = root ? dynamic_cast<FormPeer*>(NativeControl::from(root)) : nullptr;
    if (form && message.message == WM_KEYDOWN && translateKey(message, *form)) return true;
    // The arrow keys and the rest are the dialog manager's.
    if (form && IsDialogMessageW(root, &message)) return true;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

bool Win32Backend::translateKey(const MSG& message, FormPeer& form) {
    keyboardUsed();
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    Key key;
    switch (message.wParam) {
    case VK_TAB: key = Key::Tab; break;
    case VK_SPACE: key = Key::Space; break;
    case VK_RETURN: key = Key::Enter; break;
    case VK_ESCAPE: key = Key::Escape; break;
    default: return false;
    }
    const bool repeated = (message.lParam & (1 << 30)) != 0;
    if (key != Key::Tab && repeated) return false; // a held key presses a button once
    const NativeControl* focusedPeer = NativeControl::from(GetFocus());
    Control* focused = focusedPeer ? &focusedPeer->control() : nullptr;
    if (focused && focused->form() != &form.form()) focused = nullptr;
    if (focused == &form.form()) focused = nullptr;
    if (key == Key::Tab) {
        // Tab follows the layout's tab order, unless the focused control keeps it for itself.
        const LRESULT wants = SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam,
                                           reinterpret_cast<LPARAM>(&message));
        if (wants & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
        return form.form().focusNext(GetKeyState(VK_SHIFT) < 0);
    }
    // The native boxes press themselves on Space, and the fields type it.
    if (key == Key::Space && focused && !focused->actsAsButton()) return false;
    const std::function<void()> action = form.form().keyAction(key, false, focused);
    if (!action) return false;
    form.form().application().dispatch(action);
    return true;
}

void Win32Backend::keyboardUsed() {
    if (keyboardCues_) return;
    keyboardCues_ = true;
    if (HWND focus = GetFocus()) InvalidateRect(focus, nullptr, FALSE);
}

void Win32Backend::deferUntilPump(ProgressPeer& peer) {
    if (std::find(deferred_.begin(), deferred_.end(), &peer) == deferred_.end()) deferred_.push_back(&peer);
}

void Win32Backend::forget(ProgressPeer& peer) {
    deferred_.erase(std::remove(deferred_.begin(), deferred_.end(), &peer), deferred_.end());
}

void Win32Backend::flushDeferred() {
    auto pending = std::move(deferred_);
    deferred_.clear();
    for (ProgressPeer* peer : pending) peer->flush();
}

void Win32Backend::processMessages() {
    flushDeferred();
    MSG message;
    while (!quitting_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitting_ = true;
            break;
        }
        translate(message);
    }
}

void Win32Backend::setScreenCursor(Cursor cursor) {
    waitCursor_ = cursor == Cursor::Hourglass;
    SetCursor(LoadCursorW(nullptr, waitCursor_ ? IDC_WAIT : IDC_ARROW));
}

int Win32Backend::startupShowState() {
    STARTUPINFOW info{};
    info.cb = sizeof info;
    GetStartupInfoW(&info);
    return (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : SW_SHOWNORMAL;
}

void Win32Backend::runMessageLoop(Form& mainForm) {
    if (!mainForm.peer()) realize(mainForm);
    mainWindow_ = reinterpret_cast<HWND>(mainForm.handle());
    const int state = startupShowState();
    auto* peer = dynamic_cast<FormPeer*>(mainForm.peer());
    if (state == SW_SHOWMINNOACTIVE) {
        // Only the taskbar button: the main form appears when the program is restored.
        minimized_ = true;
        ShowWindow(appWindow_, SW_SHOWMINNOACTIVE);
    } else {
        ShowWindow(appWindow_, SW_SHOWNOACTIVATE);
        if (peer) peer->setNextShowCommand(state == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    }
    mainForm.application().dispatch([&] { mainForm.showForm(); });
    MSG message;
    while (!quitting_) {
        flushDeferred();
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        translate(message);
    }
    quitting_ = true;
    mainWindow_ = nullptr;
}

void Win32Backend::minimizeApplication() {
    if (minimized_ || !appWindow_) return;
    HWND application = appWindow_;
    std::vector<HWND> shown = threadWindows(
        [application](HWND window) { return GetWindow(window, GW_OWNER) == application && IsWindowVisible(window); });
    minimized_ = true;
    hiddenWhileMinimized_ = std::move(shown);
    // The forms are owned windows without buttons of their own: they go out of sight and
    // the button's window stands for them all.
    for (HWND window : hiddenWhileMinimized_) ShowWindow(window, SW_HIDE);
    ShowWindow(appWindow_, SW_MINIMIZE);
}

void Win32Backend::restoreApplication() {
    if (!minimized_) return;
    minimized_ = false;
    if (IsIconic(appWindow_)) ShowWindow(appWindow_, SW_RESTORE);
    const auto hidden = std::move(hiddenWhileMinimized_);
    hiddenWhileMinimized_.clear();
    for (HWND window : hidden) {
        auto* peer = dynamic_cast<FormPeer*>(NativeControl::from(window));
        if (peer && peer->form().visible()) peer->showAgain();
    }
    activateLastActive();
}

void Win32Backend::showOnRestore(HWND form) {
    if (std::find(hiddenWhileMinimized_.begin(), hiddenWhileMinimized_.end(), form) == hiddenWhileMinimized_.end())
        hiddenWhileMinimized_.push_back(form);
}

void Win32Backend::forgetOnRestore(HWND form) {
    hiddenWhileMinimized_.erase(std::remove(hiddenWhileMinimized_.begin(), hiddenWhileMinimized_.end(), form),
                                hiddenWhileMinimized_.end());
    if (lastActive_ == form) lastActive_ = nullptr;
}

void Win32Backend::activateLastActive() {
    HWND target = lastActive_ && IsWindow(lastActive_) && IsWindowVisible(lastActive_) ? lastActive_ : mainWindow_;
    if (!target || !IsWindowVisible(target) || !IsWindowEnabled(target)) return;
    SetForegroundWindow(target);
    SetActiveWindow(target);
}

void Win32Backend::quit() {
    if (quitting_) return;
    quitting_ = true;
    PostQuitMessage(0);
}

void Win32Backend::queueRelease(Form& form) {
    pendingRelease_.push_back(&form);
    PostMessageW(appWindow_, kReleaseMessage, 0, 0);
}

void Win32Backend::releasePending() {
    auto pending = std::move(pendingRelease_);
    pendingRelease_.clear();
    for (Form* form : pending) form->application().destroyForm(*form);
}

const GifPicture* Win32Backend::picture(const std::string& name) {
    if (name.empty()) return nullptr;
    auto it = pictures_.find(name);
    if (it == pictures_.end()) it = pictures_.emplace(name, GifPicture::load(name)).first;
    return it->second.get();
}

LRESULT CALLBACK Win32Backend::appWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (backend) {
        if (message == kReleaseMessage) {
            try { // a window procedure: nothing may unwind through the system's frames
                backend->releasePending();
            } catch (...) {
            }
            return 0;
        }
        if (message == WM_CLOSE) {
            // Closing the taskbar button closes the main window, which ends the program.
            if (backend->mainWindow_) PostMessageW(backend->mainWindow_, WM_CLOSE, 0, 0);
            else backend->quit();
            return 0;
        }
        // The taskbar button (and its menu) minimises and restores the whole program.
        if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
            backend->minimizeApplication();
            return 0;
        }
        if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_RESTORE) {
            backend->restoreApplication();
            return 0;
        }
        // Activated from outside (Alt+Tab, the button): the activation goes on to a form.
        if (message == WM_SETFOCUS && !backend->minimized_) {
            backend->activateLastActive();
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace tv::toolkit::win32
