#include "platform/toolkit/win32/ControlPeers.h"

#include "platform/toolkit/win32/Gdi.h"

namespace tv::toolkit::win32 {

namespace {

constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS;

} // namespace

LabelPeer::LabelPeer(Label& label, Win32Backend& backend) : NativeControl(label, backend) {
    create(kLabelClass, 0, 0);
    // A label is drawn over what it overlaps (the count over the browser picture).
    SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void LabelPeer::applyBounds() {
    const auto& label = static_cast<const Label&>(control());
    RECT r = designRect();
    if (label.autoSize()) {
        HDC dc = GetDC(hwnd());
        HGDIOBJ old = SelectObject(dc, fontFor(control().font(), dpi()));
        RECT text{0, 0, 0, 0};
        std::wstring shown = drawnText(control().caption());
        DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &text, kTextFormat | DT_CALCRECT);
        SelectObject(dc, old);
        ReleaseDC(hwnd(), dc);
        r.right = r.left + (text.right - text.left);
        r.bottom = r.top + (text.bottom - text.top);
    }
    SetWindowPos(hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void LabelPeer::applyCaption() {
    NativeControl::applyCaption();
    applyBounds();
    // A screen reader hears each new status text (each stage of a run) as it comes.
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void LabelPeer::applyFont() {
    NativeControl::applyFont();
    applyBounds();
}

void LabelPeer::paint(HDC dc) {
    if (auto* parent = NativeControl::from(parentWindow())) parent->paintUnder(dc, *this);
    RECT client;
    GetClientRect(hwnd(), &client);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colorRef(control().font().color));
    HGDIOBJ old = SelectObject(dc, fontFor(control().font(), dpi()));
    std::wstring shown = drawnText(control().caption());
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &client, kTextFormat);
    SelectObject(dc, old);
}

} // namespace tv::toolkit::win32
