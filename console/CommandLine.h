#pragma once
// The console program's command line, read into a plain struct that tests fill and read.
// Commands, keys and options are ASCII and read case aside; "/" works for "--".

#include <optional>
#include <string>
#include <vector>

#include "engine/TaskSelection.h"

namespace tv::console {

enum class Command { None, Help, List, Preview, Clean, ScheduleDaily, ScheduleLogon, ScheduleShow, ScheduleRemove };

struct CommandLine {
    Command command = Command::None;
    engine::TaskSelection tasks;
    bool closeBrowsers = false;
    bool json = false;
    std::optional<std::string> logFile;
    int hour = 0, minute = 0; // schedule daily
    // A usage error: what is wrong, in French, and the word it is about. Nothing is done.
    std::string error;
    std::string offendingWord;
    bool valid() const { return error.empty(); }
};

// The words after the program's name.
CommandLine parseCommandLine(const std::vector<std::string>& words);

} // namespace tv::console
