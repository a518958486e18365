#pragma once
// The main window as a front end of the cleaning run: it shows each stage in its status
// panel, moves its bar, asks in message boxes, pumps its messages while the run works and
// ends with the closing text. What the user sees and hears is the window's; what happens is
// the engine's.

#include <functional>

#include "engine/RunCallback.h"
#include "platform/PlatformServices.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"

namespace tv::ui {

// What every walk started from a window needs of it: its pump, whether it still stands, and
// the plain box for a folder the system could not name.
class WindowCallback : public engine::RunCallback {
public:
    explicit WindowCallback(toolkit::Application& app) : app_(app) {}
    engine::Answer ask(engine::Question, const std::vector<std::string>&) override { return engine::Answer::No; }
    void notice(engine::Notice notice) override;
    void pump() override { app_.processMessages(); }
    // Once the main window has closed the program is ending: the cursor is put back.
    bool mayGoOn() override;
    WindowHandle ownerWindow() override { return app_.handle(); }

protected:
    toolkit::Application& app_;
};

// The controls of the main window a run works with.
struct RunControls {
    toolkit::Label& status;         // Label10
    toolkit::Label& caption;        // Label11, "Progression"
    toolkit::ProgressBar& bar;      // ProgressBar1
    toolkit::CheckBox& internetMaster;
    toolkit::Label& internetCount;  // Label1
};

class WindowRun : public WindowCallback {
public:
    // `pause` waits as the platform waits (none: the window does not pause).
    WindowRun(toolkit::Application& app, std::function<void(std::uint32_t)> pause, RunControls controls,
              std::function<void()> refreshCounts = {}, std::function<void()> showStartPage = {})
        : WindowCallback(app), pause_(std::move(pause)), controls_(controls), refreshCounts_(std::move(refreshCounts)),
          showStartPage_(std::move(showStartPage)) {}

    void working() override;
    void closingInternetExplorer() override;
    void closingBrowsers() override;
    void total(std::int32_t units) override { controls_.bar.setMax(units); }
    void taskBegins(std::size_t task) override;
    void shown(std::size_t task, engine::StatusWord word) override;
    void finished(const engine::RunReport& report) override;
    void fileStep() override { controls_.bar.stepIt(); }
    void shareStep(int units) override { controls_.bar.stepBy(units); }
    engine::Answer ask(engine::Question question, const std::vector<std::string>& names) override;
    void notice(engine::Notice notice) override;

private:
    engine::Answer confirm(const std::string& question);
    void hideProgress();

    void pause(std::uint32_t milliseconds) {
        if (pause_) pause_(milliseconds);
    }

    std::function<void(std::uint32_t)> pause_;
    RunControls controls_;
    std::function<void()> refreshCounts_;
    std::function<void()> showStartPage_;
};

// The status text, a pump, then a pause so that the user can read it.
inline constexpr std::uint32_t kStagePauseMs = 500;
inline constexpr std::uint32_t kFinalPauseMs = 1000;

} // namespace tv::ui
