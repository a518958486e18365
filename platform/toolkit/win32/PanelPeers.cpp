#include "platform/toolkit/win32/ControlPeers.h"

#include "platform/toolkit/win32/Gdi.h"
#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

PanelPeer::PanelPeer(Control& panel, Win32Backend& backend) : NativeControl(panel, backend) {
    // The thin single-line border is the window's own, so children sit inside it.
    const DWORD border = panel.style("border") == "single" ? WS_BORDER : 0;
    create(kPanelClass, WS_CLIPCHILDREN | border, WS_EX_CONTROLPARENT);
}

void PanelPeer::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, brushFor(colorRef(control().color())));
    if (control().style("bevel") == "raised") DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
    const std::wstring caption = tv::win32::widen(control().caption());
    if (caption.empty()) return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colorRef(control().font().color));
    HGDIOBJ old = SelectObject(dc, fontFor(control().font(), dpi()));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

GroupBoxPeer::GroupBoxPeer(GroupBox& box, Win32Backend& backend) : NativeControl(box, backend) {
    create(kGroupBoxClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

void GroupBoxPeer::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd(), &client);
    const COLORREF back = backgroundOf(control());
    FillRect(dc, &client, brushFor(back));
    HGDIOBJ old = SelectObject(dc, fontFor(control().font(), dpi()));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The frame runs through the middle of the caption's line, as the classic group box does.
    RECT frame = client;
    frame.top = metrics.tmHeight / 2 - 1;
    FrameRect(dc, &frame, brushFor(GetSysColor(COLOR_WINDOWFRAME)));
    const std::wstring caption = tv::win32::widen(control().caption());
    if (!caption.empty()) {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, back);
        SetTextColor(dc, colorRef(control().font().color));
        RECT text{scale(8, dpi()), 0, client.right, metrics.tmHeight};
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_LEFT | DT_TOP | DT_SINGLELINE);
    }
    SelectObject(dc, old);
}

} // namespace tv::toolkit::win32
