#include "platform/toolkit/Application.h"

#include <algorithm>

namespace tv::toolkit {

std::string errorBoxText(const std::string& message) {
    if (!message.empty() && message.back() == '.') return message;
    return message + ".";
}

Application::Application(ToolkitBackend& backend) : backend_(backend) { backend_.attach(*this); }

Application::~Application() {
    // Forms are destroyed in reverse order of creation, then COM is released.
    while (!forms_.empty()) forms_.pop_back();
    if (initialized_) backend_.finalize();
}

void Application::initialize() {
    if (initialized_) return;
    backend_.initialize();
    initialized_ = true;
}

void Application::setTitle(const std::string& title) {
    title_ = title;
    backend_.setTitle(title);
}

Form& Application::adopt(std::unique_ptr<Form> form, bool mainCandidate) {
    Form& ref = *form;
    forms_.push_back(std::move(form));
    if (!main_ && mainCandidate) main_ = &ref;
    ref.completeCreation();
    return ref;
}

void Application::release(Form& form) {
    form.hide();
    backend_.queueRelease(form);
}

void Application::destroyForm(Form& form) {
    if (main_ == &form) main_ = nullptr;
    if (active_ == &form) active_ = nullptr;
    for (const auto& f : forms_)
        if (f->returnTo() == &form) f->setReturnTo(nullptr);
    forms_.erase(std::remove_if(forms_.begin(), forms_.end(),
                                [&](const std::unique_ptr<Form>& f) { return f.get() == &form; }),
                 forms_.end());
}

void Application::formShown(Form& form) {
    if (active_ == &form) return;
    form.setReturnTo(active_);
    active_ = &form;
    backend_.activated(form);
}

void Application::formHidden(Form& form) {
    if (active_ != &form) return;
    Form* back = form.returnTo();
    if (!back || !back->visible()) back = main_ && main_->visible() ? main_ : nullptr;
    active_ = back;
    if (back) backend_.activated(*back);
}

bool Application::pressKey(Key key, bool shift) {
    if (!active_) return false;
    const std::function<void()> action = active_->keyAction(key, shift, active_->focusedControl());
    if (!action) return false;
    dispatch(action);
    return true;
}

void Application::run() {
    if (!main_ || terminated_) return;
    backend_.runMessageLoop(*main_);
}

void Application::terminate() {
    terminated_ = true;
    backend_.quit();
}

MessageResult Application::messageBox(const std::string& text, const std::string& caption,
                                      MessageButtons buttons, MessageIcon icon) {
    return backend_.messageBox(text, caption, buttons, icon);
}

void Application::showMessage(const std::string& text) {
    messageBox(text, title_, MessageButtons::Ok, MessageIcon::None);
}

void Application::processMessages() { backend_.processMessages(); }

void Application::setScreenCursor(Cursor cursor) {
    screenCursor_ = cursor;
    backend_.setScreenCursor(cursor);
}

void Application::dispatch(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& error) {
        showException(error);
    } catch (...) {
        showUnknownException();
    }
}

void Application::showException(const std::exception& error) {
    messageBox(errorBoxText(error.what()), title_, MessageButtons::Ok, MessageIcon::Error);
}

void Application::showUnknownException() {
    messageBox(errorBoxText(kUnknownErrorText), title_, MessageButtons::Ok, MessageIcon::Error);
}

} // namespace tv::toolkit
