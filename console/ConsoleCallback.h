#pragma once
// The console program's side of the run: it asks nothing (the command line has answered),
// prints each task's lines as the task ends, and lets the run go on until Ctrl+C.

#include <array>

#include "console/CommandLine.h"
#include "engine/RunCallback.h"
#include "platform/PlatformServices.h"

namespace tv::console {

class ConsoleCallback : public engine::RunCallback {
public:
    // `report` is the one the run fills; the text goes to standard output unless the
    // command line asked for JSON.
    ConsoleCallback(PlatformServices& platform, const UnattendedSession& session, const CommandLine& line,
                    const engine::RunReport& report);

    void taskEnded(std::size_t task, const engine::TaskReport& done) override;
    engine::Answer ask(engine::Question question, const std::vector<std::string>& names) override;
    void notice(engine::Notice notice) override;
    bool mayGoOn() override;

    // The tasks whose lines are out already.
    bool printed(std::size_t task) const { return printed_.at(task); }

private:
    PlatformServices& platform_;
    const UnattendedSession& session_;
    const CommandLine& line_;
    const engine::RunReport& report_;
    std::array<bool, engine::kTaskCount> printed_{};
};

} // namespace tv::console
