#pragma once
// The console program's exit statuses: the contract a script relies on.

#include "engine/RunReport.h"
#include "engine/TaskSelection.h"

namespace tv::console {

enum ExitStatus : int {
    // Everything selected was done and nothing stayed; a preview that ran; a command that did
    // what it says.
    kExitDone = 0,
    // The run ended and something stayed (or it was interrupted): each is named in the report.
    kExitSomethingStayed = 1,
    // A usage error: nothing was done.
    kExitUsage = 2,
    // Not run: another cleaning is in progress in this session, or what the run needs (its
    // journal, COM, the Task Scheduler) was refused before anything started.
    kExitNotRun = 3,
    // An error ended the run: the report says how far it got.
    kExitRunError = 4,
};

ExitStatus exitStatusOf(const engine::RunReport& report, const engine::TaskSelection& selected);

} // namespace tv::console
