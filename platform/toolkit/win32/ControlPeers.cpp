#include "platform/toolkit/win32/ControlPeers.h"

#include <stdexcept>

namespace tv::toolkit::win32 {

std::unique_ptr<NativeControl> makePeer(Control& control, Win32Backend& backend) {
    switch (control.kind()) {
    case ControlKind::Label: return std::make_unique<LabelPeer>(static_cast<Label&>(control), backend);
    case ControlKind::Panel: return std::make_unique<PanelPeer>(control, backend);
    case ControlKind::GroupBox: return std::make_unique<GroupBoxPeer>(static_cast<GroupBox&>(control), backend);
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: return std::make_unique<ButtonPeer>(control, backend);
    case ControlKind::Edit:
    case ControlKind::Memo: return std::make_unique<EditPeer>(control, backend);
    case ControlKind::ProgressBar:
        return std::make_unique<ProgressPeer>(static_cast<ProgressBar&>(control), backend);
    case ControlKind::Image: return std::make_unique<ImagePeer>(static_cast<Image&>(control), backend);
    case ControlKind::Form: break;
    }
    throw std::logic_error("no native peer for " + control.name());
}

} // namespace tv::toolkit::win32
