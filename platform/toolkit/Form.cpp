#include "platform/toolkit/Form.h"

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

Control* Form::find(const std::string& name) const {
    for (const auto& c : owned_)
        if (c->name() == name) return c.get();
    return nullptr;
}

} // namespace tv::toolkit
