#include "platform/toolkit/win32/ControlPeers.h"

#include <uxtheme.h>

namespace tv::toolkit::win32 {

ButtonPeer::ButtonPeer(Control& button, Win32Backend& backend) : NativeControl(button, backend) {
    // Not the automatic styles: the model decides every change of state.
    const DWORD kind = button.kind() == ControlKind::CheckBox ? BS_3STATE : BS_RADIOBUTTON;
    create(L"BUTTON", kind | WS_TABSTOP, 0);
    // Visual styles would draw the caption in the theme's colour, not the given one.
    SetWindowTheme(hwnd(), L"", L"");
    applyState();
}

void ButtonPeer::applyState() {
    WPARAM state = BST_UNCHECKED;
    if (control().kind() == ControlKind::CheckBox) {
        switch (static_cast<const CheckBox&>(control()).state()) {
        case CheckState::Unchecked: state = BST_UNCHECKED; break;
        case CheckState::Checked: state = BST_CHECKED; break;
        case CheckState::Grayed: state = BST_INDETERMINATE; break;
        }
    } else {
        state = static_cast<const RadioButton&>(control()).checked() ? BST_CHECKED : BST_UNCHECKED;
    }
    // BM_SETCHECK notifies nobody: a change made by the program fires once, in the model.
    SendMessageW(hwnd(), BM_SETCHECK, state, 0);
}

void ButtonPeer::applyOther(Property property) {
    if (property == Property::CheckState) applyState();
}

void ButtonPeer::onCommand(WORD code) {
    if (code == BN_CLICKED) dispatch([this] { control().userClick(); });
}

} // namespace tv::toolkit::win32
