#include "platform/toolkit/headless/HeadlessBackend.h"

#include <stdexcept>

#include "platform/toolkit/Application.h"

namespace tv::toolkit {

MessageResult HeadlessBackend::messageBox(const std::string& text, const std::string& caption,
                                          MessageButtons buttons, MessageIcon icon) {
    MessageResult answer = MessageResult::Ok;
    if (buttons == MessageButtons::YesNo) {
        if (answers.empty()) throw std::logic_error("no scripted answer for the box: " + text);
        answer = answers.front();
        answers.pop_front();
    }
    boxes.push_back({text, caption, buttons, icon, answer});
    return answer;
}

void HeadlessBackend::processMessages() {
    ++pumpCount;
    releasePending();
    // Only what was queued before this pump runs now, as with a real message queue.
    auto batch = std::move(queued);
    queued.clear();
    for (auto& action : batch) {
        if (quitRequested) break; // the program is ending: nothing more is delivered
        deliver(action);
    }
    if (onPump) onPump();
}

void HeadlessBackend::runMessageLoop(Form& mainForm) {
    loopRan = true;
    // Show states 3 (maximised) and 7 (minimised) are kept as a style for tests to read.
    mainForm.setStyle("showstate", std::to_string(showState));
    deliver([&] { mainForm.showForm(); });
    while (!quitRequested && (!queued.empty() || !pendingRelease_.empty())) processMessages();
}

void HeadlessBackend::deliver(const std::function<void()>& action) {
    if (app_) app_->dispatch(action);
    else action();
}

void HeadlessBackend::activated(Form& form) {
    Control* target = form.focusTarget(true);
    if (target && target != form.focusedControl()) target->setFocus();
}

void HeadlessBackend::queueRelease(Form& form) { pendingRelease_.push_back(&form); }

void HeadlessBackend::releasePending() {
    auto pending = std::move(pendingRelease_);
    pendingRelease_.clear();
    for (Form* form : pending) {
        released.push_back(form->name());
        form->application().destroyForm(*form);
    }
}

} // namespace tv::toolkit
