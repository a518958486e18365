#include "platform/toolkit/Controls.h"

#include <algorithm>

namespace tv::toolkit {

void CheckBox::setState(CheckState state) {
    if (state_ == state) return;
    state_ = state;
    changed(Property::CheckState);
    fireClick();
}

void CheckBox::userClick() {
    setState(state_ == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked);
}

void RadioButton::setChecked(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    changed(Property::CheckState);
    if (!checked) return;
    if (parent())
        for (Control* sibling : parent()->children())
            if (sibling != this && sibling->kind() == ControlKind::RadioButton)
                static_cast<RadioButton*>(sibling)->setChecked(false);
    fireClick();
}

void RadioButton::userClick() { setChecked(true); }

void Image::setPicture(const std::string& picture) {
    if (picture_ == picture) return;
    picture_ = picture;
    changed(Property::Picture);
}

void ProgressBar::setRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
    changed(Property::Progress);
}

void ProgressBar::setPosition(int position) {
    position_ = std::clamp(position, min_, max_);
    changed(Property::Progress);
}

void ProgressBar::setStep(int step) {
    step_ = step;
    changed(Property::Progress);
}

void ProgressBar::stepIt() {
    // The native control wraps a step past the maximum back into the range.
    long long next = static_cast<long long>(position_) + step_;
    if (next > max_) {
        const long long span = static_cast<long long>(max_) - min_;
        next = span > 0 ? (next - min_) % span + min_ : min_;
    }
    position_ = static_cast<int>(std::clamp<long long>(next, min_, max_));
    changed(Property::Progress);
}

void ProgressBar::stepBy(int delta) {
    const long long next = static_cast<long long>(position_) + delta;
    position_ = static_cast<int>(std::clamp<long long>(next, min_, max_));
    changed(Property::Progress);
}

} // namespace tv::toolkit
