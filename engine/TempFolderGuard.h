#pragma once
// Whether the temporary folder the system names is one the run may empty. A TEMP set to a
// drive, to the profile or to the Windows folder would otherwise take the user's files or
// the system with it.

#include <string>

#include "platform/PlatformServices.h"

namespace tv::engine {

// False for an empty or relative path, a drive or share root, and a folder that is, or
// holds, the Windows or system folder, the profile, a Program Files folder, the Desktop,
// the Documents or the program's own folder. Final paths are compared (links, junctions and
// short names resolved, case ignored), and so is the path as given. A folder whose final
// path cannot be learnt is refused: nobody can say what it is.
bool IsPurgeableTempFolder(PlatformServices& platform, const std::string& path);

// A path in the form the comparisons use: backslashes, no "\\?\" prefix, no trailing
// separator (a drive root is "c:"), letters folded to lower case.
std::string comparablePath(const std::string& path);

} // namespace tv::engine
