#include "platform/toolkit/Control.h"

#include <algorithm>

#include "platform/toolkit/Form.h"

namespace tv::toolkit {

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Form: return "TForm";
    case ControlKind::Label: return "TLabel";
    case ControlKind::CheckBox: return "TCheckBox";
    case ControlKind::RadioButton: return "TRadioButton";
    case ControlKind::Edit: return "TEdit";
    case ControlKind::Memo: return "TMemo";
    case ControlKind::Panel: return "TPanel";
    case ControlKind::Image: return "TImage";
    case ControlKind::ProgressBar: return "TProgressBar";
    case ControlKind::GroupBox: return "TGroupBox";
    }
    return "?";
}

Control::Control(ControlKind kind, std::string name) : kind_(kind), name_(std::move(name)) {}

Control::~Control() {
    // The peer goes first: its native window may still refer to this model.
    peer_.reset();
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (Control* child : children_) child->parent_ = nullptr;
}

void Control::setParent(Control* parent) {
    if (parent_ == parent) return;
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent_ = parent;
    if (parent_) parent_->children_.push_back(this);
}

Form* Control::form() {
    Control* c = this;
    while (c && c->kind_ != ControlKind::Form) c = c->parent_;
    return static_cast<Form*>(c);
}

void Control::setBounds(const Bounds& bounds) {
    if (bounds_ == bounds) return;
    bounds_ = bounds;
    changed(Property::Bounds);
}

void Control::setCaption(const std::string& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    changed(kind_ == ControlKind::Edit || kind_ == ControlKind::Memo ? Property::Text : Property::Caption);
}

void Control::setFont(const Font& font) {
    if (font_ == font) return;
    font_ = font;
    changed(Property::Font);
}

void Control::setColor(Color color) {
    if (color_ == color) return;
    color_ = color;
    changed(Property::Color);
}

void Control::setCursor(Cursor cursor) {
    if (cursor_ == cursor) return;
    cursor_ = cursor;
    changed(Property::Cursor);
}

void Control::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    changed(Property::Visible);
    visibilityChanged();
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    changed(Property::Enabled);
}

const std::string& Control::style(const std::string& key) const {
    static const std::string none;
    for (const auto& [k, v] : styles_)
        if (k == key) return v;
    return none;
}

void Control::setStyle(const std::string& key, const std::string& value) {
    for (auto& [k, v] : styles_)
        if (k == key) {
            v = value;
            changed(Property::Style);
            return;
        }
    styles_.emplace_back(key, value);
    changed(Property::Style);
}

bool Control::actsAsButton() const {
    return OnClick && (kind_ == ControlKind::Panel || kind_ == ControlKind::Image || kind_ == ControlKind::Label);
}

bool Control::takesFocus() const {
    switch (kind_) {
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::Edit:
    case ControlKind::Memo: return true;
    default: return actsAsButton();
    }
}

void Control::setFocus() {
    Form* owner = form();
    if (!owner || owner == this) return;
    if (peer_) {
        peer_->focus();
        return;
    }
    if (owner->focusedControl() == this) return;
    owner->noteFocus(this);
    focusEntered();
}

void Control::userClick() { fireClick(); }

void Control::focusEntered() {
    if (OnEnter) OnEnter();
}

void Control::attachPeer(std::unique_ptr<ControlPeer> peer) { peer_ = std::move(peer); }

void Control::changed(Property property) {
    if (peer_) peer_->propertyChanged(property);
}

void Control::fireClick() {
    if (OnClick) OnClick();
}

} // namespace tv::toolkit
