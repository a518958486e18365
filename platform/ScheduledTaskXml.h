#pragma once
// A scheduled run as the Task Scheduler's own XML (its task schema, as schtasks /XML takes
// it): registered whole, it reads back the same from every Task Scheduler that keeps the
// text it was given, whatever its interface makes of triggers and actions.

#include <optional>
#include <string>

#include "platform/Unattended.h"

namespace tv {

// The task: every day from `today` at the run's time (local time), or at the logon of
// `user` (DOMAIN\name); in the user's session with the user's own token; the program,
// quoted, and its arguments.
std::string scheduledTaskXml(const ScheduledRun& run, const LocalTime& today, const std::string& user);
// The run a task's XML holds: its first trigger (Other for one of another kind) and its
// first program; nothing when it starts no program.
std::optional<ScheduledRun> scheduledRunOfXml(const std::string& xml);

} // namespace tv
