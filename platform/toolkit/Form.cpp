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
        return;
    }
    setVisible(true);
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

Control* Form::find(const std::string& name) const {
    for (const auto& c : owned_)
        if (c->name() == name) return c.get();
    return nullptr;
}

} // namespace tv::toolkit
