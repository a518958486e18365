#include "platform/toolkit/Form.h"

#include <algorithm>

#include "platform/toolkit/Application.h"

namespace tv::toolkit {

Form::Form(Application& app, std::string name) : Control(ControlKind::Form, std::move(name)), app_(app) {
    setVisible(false);
    setColor(kBackground);
}

Form::~Form() {
    // Controls go before the form: their peers are child windows of the form's own.
    while (!owned_.empty()) owned_.pop_back();
}

void Form::setClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    changed(Property::Bounds);
}

void Form::showForm() {
    if (visible()) {
        bringToFront();
        app_.formShown(*this);
        return;
    }
    setVisible(true);
}

void Form::visibilityChanged() {
    if (visible()) app_.formShown(*this);
    else app_.formHidden(*this);
}

void Form::requestClose() {
    if (OnClose) {
        OnClose();
        return;
    }
    if (app_.mainForm() == this) {
        hide();
        app_.terminate();
        return;
    }
    hide();
}

void Form::bringToFront() { changed(Property::Visible); }

void Form::repaint() { changed(Property::Caption); }

namespace {

void appendInTabOrder(const Control& container, std::vector<Control*>& sequence) {
    std::vector<Control*> children = container.children();
    std::stable_sort(children.begin(), children.end(),
                     [](const Control* a, const Control* b) { return a->tabOrder() < b->tabOrder(); });
    for (Control* child : children) {
        sequence.push_back(child);
        appendInTabOrder(*child, sequence);
    }
}

} // namespace

std::vector<Control*> Form::tabSequence() const {
    std::vector<Control*> sequence;
    appendInTabOrder(*this, sequence);
    return sequence;
}

bool Form::canHaveFocus(const Control& control) const {
    if (!control.takesFocus()) return false;
    for (const Control* c = &control; c && c != this; c = c->parent())
        if (!c->visible() || !c->enabled()) return false;
    return true;
}

std::vector<Control*> Form::focusStops() const {
    std::vector<Control*> stops;
    for (Control* c : tabSequence())
        if (canHaveFocus(*c)) stops.push_back(c);
    return stops;
}

bool Form::focusNext(bool backwards) {
    const std::vector<Control*> stops = focusStops();
    if (stops.empty()) return false;
    const auto at = std::find(stops.begin(), stops.end(), focused_);
    size_t next = backwards ? stops.size() - 1 : 0;
    if (at != stops.end()) {
        const size_t here = static_cast<size_t>(at - stops.begin());
        next = backwards ? (here + stops.size() - 1) % stops.size() : (here + 1) % stops.size();
    }
    stops[next]->setFocus();
    return true;
}

Control* Form::focusTarget(bool firstWhenNone) const {
    if (focused_ && canHaveFocus(*focused_)) return focused_;
    if (!firstWhenNone) return nullptr;
    const std::vector<Control*> stops = focusStops();
    return stops.empty() ? nullptr : stops.front();
}

Control* Form::defaultControl() const { return defaultControl_.empty() ? nullptr : find(defaultControl_); }

std::function<void()> Form::keyAction(Key key, bool shift, Control* focused) {
    if (focused && !canHaveFocus(*focused)) focused = nullptr;
    switch (key) {
    case Key::Tab:
        if (focusStops().empty()) return {};
        return [this, shift] { focusNext(shift); };
    case Key::Escape:
        // Leaving the main window would end the program: Escape only closes dialogs.
        if (app_.mainForm() == this) return {};
        return [this] { requestClose(); };
    case Key::Space:
        if (!focused || focused->kind() == ControlKind::Edit || focused->kind() == ControlKind::Memo) return {};
        return [focused] { focused->userClick(); };
    case Key::Enter: {
        if (focused && focused->actsAsButton()) return [focused] { focused->userClick(); };
        if (focused && focused->kind() == ControlKind::Memo) return {}; // a new line
        Control* button = defaultControl();
        if (!button || !canHaveFocus(*button)) return {};
        return [button] { button->userClick(); };
    }
    }
    return {};
}

Control* Form::find(const std::string& name) const {
    for (const auto& c : owned_)
        if (c->name() == name) return c.get();
    return nullptr;
}

} // namespace tv::toolkit
