#include "platform/toolkit/win32/ControlPeers.h"

#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

namespace {

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

EditPeer::EditPeer(Control& edit, Win32Backend& backend) : NativeControl(edit, backend) {
    const DWORD style = edit.kind() == ControlKind::Memo ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN
                                                         : ES_AUTOHSCROLL;
    echoing_ = true; // the creation text is the model's already
    create(L"EDIT", style | WS_TABSTOP, WS_EX_CLIENTEDGE);
    echoing_ = false;
}

void EditPeer::applyText() {
    const std::wstring wanted = tv::win32::widen(control().caption());
    if (windowText(hwnd()) == wanted) return;
    echoing_ = true;
    SetWindowTextW(hwnd(), wanted.c_str());
    echoing_ = false;
}

void EditPeer::applyOther(Property property) {
    if (property == Property::Text) applyText();
}

void EditPeer::takeWindowText() {
    // The model takes the window's text (a memo's lines joined by CR LF).
    echoing_ = true;
    control().setCaption(tv::win32::narrow(windowText(hwnd())));
    echoing_ = false;
}

bool EditPeer::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_SETTEXT || echoing_) return NativeControl::onMessage(message, wParam, lParam, result);
    // Text set from outside (dictation, automation): a memo gives no change notice for it.
    result = callDefault(message, wParam, lParam);
    takeWindowText();
    return true;
}

void EditPeer::onCommand(WORD code) {
    if (code == EN_CHANGE && !echoing_) {
        takeWindowText(); // the user typed
    } else if (code == EN_SETFOCUS) {
        dispatch([this] { control().focusEntered(); });
    }
}

} // namespace tv::toolkit::win32
