#pragma once
// The console program as a whole, on any platform: reads its command line, does the command,
// reports, and hands back the exit status. The run itself is the engine's, handed in.

#include <string>
#include <vector>

#include "engine/Run.h"
#include "platform/PlatformServices.h"

namespace tv::console {

using RunFunction = void (*)(PlatformServices&, engine::RunCallback&, const engine::RunRequest&, engine::RunReport&);

// `words` are the arguments after the program's name. With no run (null), preview and clean
// end on an error that says so.
int runConsoleProgram(PlatformServices& platform, const std::vector<std::string>& words, RunFunction run);

} // namespace tv::console
