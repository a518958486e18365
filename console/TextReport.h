#pragma once
// The report in French, as a reader of the console or of the journal reads it: one line per
// task as it ends (a plan's places and counts under its task), then what stayed and why, or
// the totals of a plan. Every line ends with the Windows line end.

#include <cstddef>
#include <string>

#include "engine/RunReport.h"
#include "engine/TaskSelection.h"

namespace tv::console {

// A task's lines: « Cookies : nettoyé », « Dossier temporaire : 3 fichiers n'ont pas été
// supprimés »; a plan's task, its places and counts.
std::string taskLines(std::size_t task, const engine::TaskReport& done, const engine::RunReport& report);
// What comes after the tasks: what stayed and why, or that all went well; a plan's totals.
std::string closingLines(const engine::RunReport& report, const engine::TaskSelection& selected);
// The whole report: every selected task's lines, then the closing ones.
std::string textReport(const engine::RunReport& report, const engine::TaskSelection& selected);

} // namespace tv::console
