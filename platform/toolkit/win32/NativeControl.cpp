#include "platform/toolkit/win32/NativeControl.h"

#include <stdexcept>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/Form.h"
#include "platform/toolkit/win32/ControlAccessible.h"
#include "platform/toolkit/win32/Gdi.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

void registerControlClasses(HINSTANCE instance) {
    for (const wchar_t* name : {kPanelClass, kLabelClass, kImageClass, kGroupBoxClass}) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = name;
        RegisterClassExW(&wc);
    }
}

NativeControl::NativeControl(Control& control, Win32Backend& backend) : control_(control), backend_(backend) {}

NativeControl::~NativeControl() {
    if (hwnd_) {
        HWND window = hwnd_;
        release(window);
        DestroyWindow(window);
    }
}

UINT NativeControl::dpi() const { return dpiOf(hwnd_); }

NativeControl* NativeControl::from(HWND window) {
    // Only a window that runs our procedure keeps a peer in its user data.
    if (!window || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != &windowProc) return nullptr;
    return reinterpret_cast<NativeControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND NativeControl::parentWindow() const {
    if (control_.kind() == ControlKind::Form) return reinterpret_cast<HWND>(backend_.applicationWindow());
    return control_.parent() ? reinterpret_cast<HWND>(control_.parent()->handle()) : nullptr;
}

void NativeControl::create(const wchar_t* windowClass, DWORD style, DWORD exStyle) {
    HWND parent = parentWindow();
    if (control_.kind() != ControlKind::Form) {
        style |= WS_CHILD | WS_CLIPSIBLINGS;
        if (!parent) throw std::logic_error("control " + control_.name() + " has no native parent");
    }
    hwnd_ = CreateWindowExW(exStyle, windowClass, tv::win32::widen(control_.caption()).c_str(), style, 0, 0, 0, 0,
                            parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) throw std::runtime_error("cannot create the window of " + control_.name());
    // The peer in the window's own user data and our procedure in front of the class's: read
    // without a round trip to the window server at every message, unlike a property.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&windowProc)));
    applyFont();
    applyBounds();
    applyVisible();
    if (!control_.enabled()) EnableWindow(hwnd_, FALSE);
}

RECT NativeControl::designRect() const {
    const Bounds& b = control_.bounds();
    const UINT d = dpi();
    return RECT{scale(b.left, d), scale(b.top, d), scale(b.left + b.width, d), scale(b.top + b.height, d)};
}

void NativeControl::applyBounds() {
    RECT r = designRect();
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeControl::applyCaption() {
    SetWindowTextW(hwnd_, tv::win32::widen(control_.caption()).c_str());
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void NativeControl::applyFont() {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(control_.font(), dpi())), TRUE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void NativeControl::applyVisible() { ShowWindow(hwnd_, control_.visible() ? SW_SHOWNA : SW_HIDE); }

void NativeControl::rescale() {
    applyFont();
    applyBounds();
}

void NativeControl::propertyChanged(Property property) {
    if (!hwnd_) return;
    switch (property) {
    case Property::Bounds: applyBounds(); break;
    case Property::Caption: applyCaption(); break;
    case Property::Font: applyFont(); break;
    case Property::Visible: applyVisible(); break;
    case Property::Enabled: EnableWindow(hwnd_, control_.enabled()); break;
    case Property::Color:
    case Property::Style: InvalidateRect(hwnd_, nullptr, TRUE); break;
    case Property::Cursor: break; // read at every WM_SETCURSOR
    default: applyOther(property); break;
    }
}

void NativeControl::focus() {
    if (!hwnd_) return;
    SetFocus(hwnd_);
    // As the dialog manager does: a text field reached by the keyboard has its whole text selected.
    if (SendMessageW(hwnd_, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(hwnd_, EM_SETSEL, 0, -1);
}

LRESULT NativeControl::callDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(previous_, hwnd_, message, wParam, lParam);
}

void NativeControl::paintFocusCue(HDC dc) {
    if (GetFocus() != hwnd_ || !backend_.keyboardCues() || !control_.actsAsButton()) return;
    RECT r;
    GetClientRect(hwnd_, &r);
    const int inset = scale(focusCueInset(), dpi());
    InflateRect(&r, -inset, -inset);
    if (r.right - r.left < 2 || r.bottom - r.top < 2) return;
    // The system's dotted rectangle, in the window-text colour rather than inverted: an
    // inverted dot on the windows' blue is too faint to find.
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    for (int x = r.left; x < r.right; x += 2) {
        SetPixelV(dc, x, r.top, ink);
        SetPixelV(dc, x, r.bottom - 1, ink);
    }
    for (int y = r.top; y < r.bottom; y += 2) {
        SetPixelV(dc, r.left, y, ink);
        SetPixelV(dc, r.right - 1, y, ink);
    }
}

void NativeControl::dispatch(const std::function<void()>& action) {
    Form* form = control_.form();
    if (form) form->application().dispatch(action);
    else action();
}

bool NativeControl::clicksOnMouseUp() const {
    const ControlKind kind = control_.kind();
    return kind == ControlKind::Panel || kind == ControlKind::Image || kind == ControlKind::Label ||
           kind == ControlKind::GroupBox;
}

HBRUSH NativeControl::onControlColor(HDC dc) {
    const COLORREF back = backgroundOf(control_);
    SetTextColor(dc, colorRef(control_.font().color));
    SetBkColor(dc, back);
    return brushFor(back);
}

void NativeControl::paintUnder(HDC dc, const NativeControl& child) const {
    RECT client;
    GetClientRect(child.hwnd(), &client);
    FillRect(dc, &client, brushFor(backgroundOf(child.control())));
    // The pictures created before the child lie beneath it.
    POINT origin{0, 0};
    MapWindowPoints(child.hwnd(), hwnd_, &origin, 1);
    for (Control* sibling : control_.children()) {
        if (sibling == &child.control()) break;
        auto* peer = dynamic_cast<NativeControl*>(sibling->peer());
        if (!peer || !sibling->visible()) continue;
        RECT r;
        GetWindowRect(peer->hwnd(), &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        peer->paintInto(dc, POINT{r.left - origin.x, r.top - origin.y});
    }
}

bool NativeControl::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (NativeControl* child = from(reinterpret_cast<HWND>(lParam))) {
            child->onCommand(HIWORD(wParam));
            result = 0;
            return true;
        }
        return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (NativeControl* child = from(reinterpret_cast<HWND>(lParam))) {
            result = reinterpret_cast<LRESULT>(child->onControlColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        return false;
    case WM_SETCURSOR:
        if (backend_.waitCursor()) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            result = TRUE;
            return true;
        }
        if (LOWORD(lParam) == HTCLIENT && control_.cursor() == Cursor::HandPoint) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
        if (!clicksOnMouseUp()) return false;
        pressed_ = true;
        SetCapture(hwnd_);
        result = 0;
        return true;
    case WM_LBUTTONUP: {
        if (!clicksOnMouseUp() || !pressed_) return false;
        pressed_ = false;
        ReleaseCapture();
        RECT client;
        GetClientRect(hwnd_, &client);
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (PtInRect(&client, at)) dispatch([this] { control_.userClick(); });
        result = 0;
        return true;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return false;
    case WM_SETFOCUS:
        if (Form* form = control_.form(); form && form != &control_) form->noteFocus(&control_);
        if (paints()) InvalidateRect(hwnd_, nullptr, FALSE);
        return false;
    case WM_KILLFOCUS:
        if (paints()) InvalidateRect(hwnd_, nullptr, FALSE);
        return false;
    case WM_NEXTDLGCTL:
        // A multi-line field hands Tab on to its parent, as to a dialog: the form moves on.
        if (LOWORD(lParam)) SetFocus(reinterpret_cast<HWND>(wParam));
        else if (Form* form = control_.form()) form->focusNext(wParam != 0);
        result = 0;
        return true;
    case kAccessibleClickMessage:
        if (control_.actsAsButton() && control_.visible() && control_.enabled())
            dispatch([this] { control_.userClick(); });
        result = 0;
        return true;
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return false;
        result = accessibleObjectFor(*this, wParam);
        return result != 0;
    case WM_ERASEBKGND:
        if (!paints()) return false;
        result = 1; // WM_PAINT fills everything
        return true;
    case WM_PAINT: {
        if (!paints()) return false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        paint(dc);
        paintFocusCue(dc);
        EndPaint(hwnd_, &ps);
        result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        if (!paints()) return false;
        paint(reinterpret_cast<HDC>(wParam));
        result = 0;
        return true;
    default:
        return false;
    }
}

void NativeControl::release(HWND window) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

LRESULT NativeControl::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = hwnd_;
    const WNDPROC previous = previous_;
    if (message == WM_NCDESTROY) {
        // Destroyed with its parent: the peer outlives its window.
        release(window);
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        if (onMessage(message, wParam, lParam, result)) return result;
    } catch (const std::exception& error) {
        // Nothing may unwind through the system's frames.
        if (Form* form = control_.form()) form->application().showException(error);
        return 0;
    } catch (...) {
        if (Form* form = control_.form()) form->application().showUnknownException();
        return 0;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK NativeControl::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* peer = reinterpret_cast<NativeControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (peer && peer->hwnd_ == window) return peer->handle(message, wParam, lParam);
    // No peer, which our procedure never outlives: the class's own procedure answers.
    return CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC)), window, message, wParam,
                           lParam);
}

} // namespace tv::toolkit::win32
