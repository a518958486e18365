#pragma once
// The backend the tests drive: no windows at all. Message-box answers come from a script,
// every box asked is recorded, and actions queued by a test (a click arriving during a run)
// run at the next pump, through the application's dispatch as a native click does.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/Backend.h"

namespace tv::toolkit {

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    MessageButtons buttons;
    MessageIcon icon;
    MessageResult answer;
};

class HeadlessBackend : public ToolkitBackend {
public:
    void attach(Application& app) override { app_ = &app; }
    void initialize() override { ++initializeCount; }
    void finalize() override { ++finalizeCount; }
    void setTitle(const std::string& title) override { this->title = title; }
    void realize(Form&) override {}
    MessageResult messageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override;
    void processMessages() override;
    void setScreenCursor(Cursor cursor) override { cursors.push_back(cursor); }
    void runMessageLoop(Form& mainForm) override;
    void quit() override { quitRequested = true; }
    WindowHandle applicationWindow() const override { return 0; }
    void queueRelease(Form& form) override;
    // The focus comes back to the control that had it, or goes to the first stop, as a
    // keyboard user finds it on Windows.
    void activated(Form& form) override;

    // Answers for the Yes/No boxes, in order; an OK box needs none. A Yes/No box without a
    // scripted answer is a test mistake and raises.
    std::deque<MessageResult> answers;
    std::vector<RecordedMessageBox> boxes;
    // Runs at the next pump (or at the start of the message loop).
    std::deque<std::function<void()>> queued;
    std::vector<Cursor> cursors;
    std::vector<std::string> released; // names of the forms destroyed by the loop
    std::string title;
    int showState = 1; // the process's show state the loop applies to the main form
    int pumpCount = 0;
    int initializeCount = 0;
    int finalizeCount = 0;
    bool quitRequested = false;
    bool loopRan = false;
    // When set, runs at every pump (after the queued actions): lets a test look at the
    // state in the middle of a long operation.
    std::function<void()> onPump;

private:
    void releasePending();
    void deliver(const std::function<void()>& action);
    Application* app_ = nullptr;
    std::vector<Form*> pendingRelease_;
};

} // namespace tv::toolkit
