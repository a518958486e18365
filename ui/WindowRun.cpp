#include "ui/WindowRun.h"

#include "ui/RunSummary.h"
#include "ui/RunTexts.h"

namespace tv::ui {

using engine::Answer;
using engine::Notice;
using engine::Question;
using toolkit::CheckState;
using toolkit::Cursor;
using toolkit::MessageButtons;
using toolkit::MessageIcon;
using toolkit::MessageResult;

namespace {

Answer answerOf(MessageResult result) {
    switch (result) {
    case MessageResult::Yes: return Answer::Yes;
    case MessageResult::No: return Answer::No;
    default: break;
    }
    return Answer::Closed;
}

} // namespace

void WindowCallback::notice(Notice notice) {
    if (notice == Notice::PathError) app_.showMessage(kPathError);
}

bool WindowCallback::mayGoOn() {
    if (!app_.terminated()) return true;
    app_.setScreenCursor(Cursor::Default);
    return false;
}

void WindowRun::working() {
    app_.setScreenCursor(Cursor::Hourglass);
    controls_.caption.show();
    controls_.bar.setPosition(0);
    controls_.bar.show();
}

void WindowRun::closingInternetExplorer() {
    app_.setScreenCursor(Cursor::Hourglass);
    controls_.caption.show();
    controls_.status.setCaption(kClosingBrowserText);
}

void WindowRun::closingBrowsers() { controls_.status.setCaption(kClosingBrowserText); }

void WindowRun::taskBegins(std::size_t task) {
    controls_.status.setCaption(kStageTexts[task]);
    app_.processMessages();
    // A window closed during the pump ends the run at once: no need to wait.
    if (!app_.terminated()) pause(kStagePauseMs);
}

void WindowRun::shown(std::size_t, engine::StatusWord word) { controls_.status.setCaption(statusText(word)); }

Answer WindowRun::confirm(const std::string& question) {
    return answerOf(app_.messageBox(question, kConfirmCaption, MessageButtons::YesNo, MessageIcon::Question));
}

Answer WindowRun::ask(Question question, const std::vector<std::string>& names) {
    switch (question) {
    case Question::FullWipe: return confirm(kFullWipeQuestion);
    case Question::CloseInternetExplorer: return confirm(kCloseBrowserQuestion);
    case Question::CloseBrowsers: return confirm(closeBrowsersQuestion(names));
    case Question::StartPage: {
        const Answer answer = confirm(kStartPageQuestion);
        // The dialog is shown without waiting for it: the run goes on at once.
        if (answer == Answer::Yes && showStartPage_) showStartPage_();
        return answer;
    }
    }
    return Answer::No;
}

void WindowRun::notice(Notice notice) {
    switch (notice) {
    case Notice::NothingSelected:
        hideProgress();
        app_.showMessage(kNothingSelected);
        break;
    case Notice::SelectiveHint:
        app_.messageBox(kSelectiveHint, kInformationCaption, MessageButtons::Ok, MessageIcon::Information);
        break;
    case Notice::PathError:
        WindowCallback::notice(notice);
        break;
    case Notice::AnotherRunInProgress:
        app_.showMessage(kAnotherRunInProgress);
        break;
    }
}

void WindowRun::hideProgress() {
    app_.setScreenCursor(Cursor::Default);
    controls_.caption.hide();
    controls_.bar.hide();
}

void WindowRun::finished(const engine::RunReport& report) {
    if (refreshCounts_) refreshCounts_();
    if (!mayGoOn()) return;
    const auto& master = controls_.internetMaster;
    if (master.caption() == kMasterCompleteCaption && master.state() == CheckState::Checked)
        controls_.internetCount.setCaption(kNoCleanableFile);
    controls_.bar.setPosition(controls_.bar.max());
    app_.processMessages();
    if (!mayGoOn()) return;
    pause(kFinalPauseMs);
    controls_.status.setCaption(closingText(report));
    hideProgress();
}

} // namespace tv::ui
