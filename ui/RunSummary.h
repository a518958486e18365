#pragma once
// What the status panel says at the end of a run, made from the run's report: the written
// congratulation when the targets hold nothing the run was meant to remove, otherwise a short
// account of what stayed and why, sized for the status panel.

#include <string>

#include "engine/RunReport.h"
#include "words/RunWords.h"

namespace tv::ui {

std::string closingText(const engine::RunReport& report);

using words::kBrowserStayedOpen;
using words::kCongratulation;
using words::kIncompleteHeading;
using words::kLeftOpenLead;
using words::kNotCleanedLead;
using words::kTaskNames;
using words::storeName;

} // namespace tv::ui
