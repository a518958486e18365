#pragma once
// The concrete controls of the toolkit.

#include <string>

#include "platform/toolkit/Control.h"

namespace tv::toolkit {

class Label : public Control {
public:
    explicit Label(std::string name) : Control(ControlKind::Label, std::move(name)) {}
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool value) { autoSize_ = value; }

private:
    bool autoSize_ = true;
};

// Every change of state runs the click handling at once, inside the statement that made
// it; setting the state the box already has runs nothing.
class CheckBox : public Control {
public:
    explicit CheckBox(std::string name) : Control(ControlKind::CheckBox, std::move(name)) {}
    CheckState state() const { return state_; }
    void setState(CheckState state);
    bool checked() const { return state_ == CheckState::Checked; }
    void setChecked(bool checked) { setState(checked ? CheckState::Checked : CheckState::Unchecked); }
    // unchecked -> checked, checked -> unchecked, grayed -> checked
    void userClick() override;

private:
    CheckState state_ = CheckState::Unchecked;
};

// Ticking one radio button unticks its siblings under the same parent.
class RadioButton : public Control {
public:
    explicit RadioButton(std::string name) : Control(ControlKind::RadioButton, std::move(name)) {}
    bool checked() const { return checked_; }
    void setChecked(bool checked);
    void userClick() override;

private:
    bool checked_ = false;
};

class Edit : public Control {
public:
    explicit Edit(std::string name) : Control(ControlKind::Edit, std::move(name)) {}
    const std::string& text() const { return caption(); }
    void setText(const std::string& text) { setCaption(text); }
};

// Lines are joined by carriage return + line feed, as the native control gives its text.
class Memo : public Control {
public:
    explicit Memo(std::string name) : Control(ControlKind::Memo, std::move(name)) {}
    const std::string& text() const { return caption(); }
    void setText(const std::string& text) { setCaption(text); }
};

class Panel : public Control {
public:
    explicit Panel(std::string name) : Control(ControlKind::Panel, std::move(name)) {}
};

class GroupBox : public Control {
public:
    explicit GroupBox(std::string name) : Control(ControlKind::GroupBox, std::move(name)) {}
};

// Shows a GIF picture from the program's resources, named without its extension.
class Image : public Control {
public:
    explicit Image(std::string name) : Control(ControlKind::Image, std::move(name)) {}
    const std::string& picture() const { return picture_; }
    void setPicture(const std::string& picture);

private:
    std::string picture_;
};

// Behaves as the native progress control: step-it past the maximum starts again from the
// minimum side, step-by stops at the maximum, positions are kept within the range.
class ProgressBar : public Control {
public:
    explicit ProgressBar(std::string name) : Control(ControlKind::ProgressBar, std::move(name)) {}
    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }
    int step() const { return step_; }
    void setRange(int min, int max);
    void setMax(int max) { setRange(min_, max); }
    void setPosition(int position);
    void setStep(int step);
    void stepIt();
    void stepBy(int delta);

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int step_ = 10;
};

} // namespace tv::toolkit
