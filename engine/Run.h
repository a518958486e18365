#pragma once
// The cleaning run, for every front end: the browser gate, the progress budget, every
// selected task in index order, the start-page offer. It executes or plans through the same
// code: a plan walks exactly what the run would remove, with the same checks, and writes
// nothing, asks nothing and closes no browser.

#include <set>
#include <string>

#include "engine/RunCallback.h"
#include "engine/RunReport.h"
#include "engine/TaskSelection.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

struct RunRequest {
    RunMode mode = RunMode::Execute;
    // Read task by task, as the run reaches each one: a task ticked meanwhile runs.
    const TaskSelection& tasks;
    // The Internet master box is checked: the gate asks the full wipe's question.
    bool fullWipe = false;
    // Items the user chose to keep (their report keys): left as they are and counted.
    std::set<std::string> kept = {};
    // A run nobody watches (the console program) asks nothing: Internet Explorer's windows
    // and the running browsers are closed as a Yes would close them when `closeBrowsers` is
    // set, and left open, the run going on without them, when it is not; no start page is offered.
    bool unattended = false;
    bool closeBrowsers = false;
    // A run started inside a run of the same front end (a click on Start during a run): the
    // outer run holds the session's lock for both.
    bool nested = false;
};

// Runs, filling `report` as it goes. A run that executes first takes the session's one lock:
// when another run holds it, nothing is done (the front end's AnotherRunInProgress notice). An error a task raises by design (CleanerError) is noted
// in the report and then goes on up to the caller: the run ends where it stands.
void RunCleaning(PlatformServices& platform, RunCallback& callback, const RunRequest& request, RunReport& report);

// The units the run's total gives each selected task, and the registry and system tasks step by.
inline constexpr int kTaskShare = 100;

} // namespace tv::engine
