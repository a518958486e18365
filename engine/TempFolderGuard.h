#pragma once
// Whether the temporary folder the system names is one the run may empty. A TEMP set to a
// drive, to the profile or to the Windows folder would otherwise take the user's files or
// the system with it.

#include <string>

#include "engine/ComparablePath.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

// False for an empty or relative path, a drive or share root, a folder that is, or holds,
// the Windows or system folder, the profile, a Program Files folder, the Desktop or the
// Documents, and the program's own folder itself. Final paths are compared (links, junctions
// and short names resolved, case ignored), and so is the path as given. A folder whose final
// path cannot be learnt is refused: nobody can say what it is.
bool IsPurgeableTempFolder(PlatformServices& platform, const std::string& path);

// The program's own folder (its final path) when it lies below the temporary folder, as when
// the program runs from inside a zip that was opened without extracting it; else empty. The
// purge leaves that folder as it is.
std::string ProgramFolderWithin(PlatformServices& platform, const std::string& path);

} // namespace tv::engine
