#pragma once
// A control of the toolkit: it owns its state (the model) and, when a native window
// exists, mirrors every change to it through its peer.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"
#include "platform/toolkit/Types.h"

namespace tv::toolkit {

class Form;

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void propertyChanged(Property property) = 0;
    virtual WindowHandle handle() const = 0;
    // The keyboard focus to the native window; it reports the focus back to the form.
    virtual void focus() {}
};

enum class ControlKind {
    Form, Label, CheckBox, RadioButton, Edit, Memo, Panel, Image, ProgressBar, GroupBox
};

const char* kindName(ControlKind kind);

class Control {
public:
    Control(ControlKind kind, std::string name);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }

    Control* parent() const { return parent_; }
    void setParent(Control* parent);
    const std::vector<Control*>& children() const { return children_; }
    Form* form();

    const Bounds& bounds() const { return bounds_; }
    void setBounds(const Bounds& bounds);

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);

    const Font& font() const { return font_; }
    void setFont(const Font& font);

    Color color() const { return color_; }
    void setColor(Color color);

    Cursor cursor() const { return cursor_; }
    void setCursor(Cursor cursor);

    bool visible() const { return visible_; }
    void setVisible(bool visible);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    int tabOrder() const { return tabOrder_; }
    void setTabOrder(int order) { tabOrder_ = order; }

    // Free-form style words from the layout ("border=single", "bevel=raised", ...),
    // read by the native backend.
    const std::string& style(const std::string& key) const;
    void setStyle(const std::string& key, const std::string& value);

    // What a screen reader calls the control: its own name when the layout gives one (a
    // picture has no caption to speak of), else its caption.
    const std::string& accessibleName() const { return accessibleName_.empty() ? caption_ : accessibleName_; }
    void setAccessibleName(const std::string& name) { accessibleName_ = name; }

    std::function<void()> OnClick;
    std::function<void()> OnEnter;

    // A picture, panel or label with a click handler: a button to the keyboard and to
    // assistive technology.
    bool actsAsButton() const;
    // Tab may stop here (when shown and enabled).
    bool takesFocus() const;
    // Moves the keyboard focus here.
    void setFocus();

    // A user's click: what the control does when clicked (a check box changes its state,
    // which runs its click handling), then nothing more.
    virtual void userClick();
    // The focus entered the control.
    void focusEntered();

    void attachPeer(std::unique_ptr<ControlPeer> peer);
    ControlPeer* peer() const { return peer_.get(); }
    WindowHandle handle() const { return peer_ ? peer_->handle() : 0; }

protected:
    void changed(Property property);
    virtual void visibilityChanged() {}
    void fireClick();

private:
    ControlKind kind_;
    std::string name_;
    Control* parent_ = nullptr;
    std::vector<Control*> children_;
    Bounds bounds_;
    std::string caption_;
    std::string accessibleName_;
    Font font_;
    Color color_ = kButtonFace;
    Cursor cursor_ = Cursor::Default;
    bool visible_ = true;
    bool enabled_ = true;
    int tabOrder_ = 0;
    std::vector<std::pair<std::string, std::string>> styles_;
    std::unique_ptr<ControlPeer> peer_;
};

} // namespace tv::toolkit
