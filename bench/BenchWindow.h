#pragma once
// A real window with a native progress bar, and a toolkit backend whose pump is a real
// message loop: what the walks pay for in the program, without the program's windows.

#include <windows.h>

#include "platform/toolkit/Backend.h"
#include "platform/toolkit/Controls.h"

namespace tv::bench {

class PumpingBackend : public toolkit::ToolkitBackend {
public:
    void initialize() override {}
    void finalize() override {}
    void setTitle(const std::string&) override {}
    void realize(toolkit::Form&) override {}
    toolkit::MessageResult messageBox(const std::string&, const std::string&, toolkit::MessageButtons,
                                      toolkit::MessageIcon) override {
        return toolkit::MessageResult::Ok;
    }
    void processMessages() override;
    void setScreenCursor(toolkit::Cursor) override {}
    void runMessageLoop(toolkit::Form&) override {}
    void quit() override {}
    WindowHandle applicationWindow() const override { return 0; }
    void queueRelease(toolkit::Form&) override {}
};

// A shown top-level window holding a progress control: messages to pump, and a control
// whose cost per step can be measured.
class ProgressWindow {
public:
    ProgressWindow();
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    HWND progress() const { return progress_; }

private:
    HWND frame_ = nullptr;
    HWND progress_ = nullptr;
};

// The pump of the old walks: every pending message, once per file.
void pumpAll();

} // namespace tv::bench
