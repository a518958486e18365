#pragma once
// The report as one JSON object (version 1), for scripts and fleet tools:
//   version, mode ("preview" | "clean"), complete, interrupted, anotherRunInProgress, error,
//   tasks: [{key, name, outcome ("done" | "absent" | "impossible" | "planned"), ended,
//            items: [{place, kind, count, bytes}], stayed}],
//   browsersLeftOpen: [name], storesNotCleaned: [{task, browser, profile, store, why}],
//   foldersUnreached: {count, first}.
// Places as their user knows them; never an item's own key, an address or a cookie.

#include <string>

#include "engine/RunReport.h"
#include "engine/TaskSelection.h"

namespace tv::console {

// One line, ended by the Windows line end.
std::string jsonReport(const engine::RunReport& report, const engine::TaskSelection& selected);

} // namespace tv::console
