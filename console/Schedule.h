#pragma once
// The schedule commands: one task of the current user's Task Scheduler, « Tarmel Veilo »,
// that runs this program's clean with the keys it was given.

#include <string>

#include "console/CommandLine.h"
#include "console/ExitStatus.h"
#include "platform/PlatformServices.h"

namespace tv::console {

inline constexpr const char* kScheduledTaskName = "Tarmel Veilo";

// The arguments the scheduled task passes: clean, the keys, and the options it carries.
std::string scheduledArguments(const CommandLine& line);
// Does the schedule command of the line, saying what it did; a refusal of the Task Scheduler
// is told with its call and its code, and exits kExitNotRun.
ExitStatus runSchedule(PlatformServices& platform, const CommandLine& line);

} // namespace tv::console
