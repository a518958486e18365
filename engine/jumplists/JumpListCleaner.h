#pragma once
// The jump lists of the recent-documents folder (its AutomaticDestinations folder): each one
// loses its unpinned entries and keeps its pinned ones. A jump list with no pin goes; one
// that cannot be rewritten with certainty (a version not known here, damaged, in use) stays
// exactly as it was and is counted. A rewritten jump list is written beside the old one under
// a name of our own, read back and checked, and only then renamed over it; on any failure
// the old one is untouched and the new one removed.

#include <string>
#include <vector>

#include "engine/jumplists/JumpList.h"
#include "platform/PlatformServices.h"

namespace tv::engine::jumplists {

struct JumpListTally {
    int entriesRemoved = 0;
    int rewritten = 0;
    int removed = 0;
    int leftAsTheyWere = 0; // jump lists that stayed exactly as they were
    bool folderUnreached = false; // the folder of jump lists is there but could not be read
};

// The folder of jump lists below `recentFolder`, as a walk of that folder meets it (its final
// path): the folder the purge of the recent documents leaves to this cleaner.
std::string jumpListFolder(PlatformServices& platform, const std::string& recentFolder);

// Cleans the jump lists below `recentFolder` (the recent-documents folder's path).
JumpListTally cleanJumpLists(PlatformServices& platform, const std::string& recentFolder);

// What cleanJumpLists would do to each jump list, writing nothing.
struct JumpListForecast {
    std::string name;
    JumpListAction action = JumpListAction::Damaged;
    int entries = 0;
    int pinned = 0;
    int leaving = 0;
    bool readable = true; // false when the file could not be read at all (it would stay)
};
std::vector<JumpListForecast> planJumpLists(PlatformServices& platform, const std::string& recentFolder);

inline constexpr const char* kAutomaticDestinations = "AutomaticDestinations";
inline constexpr const char* kJumpListSuffix = ".automaticDestinations-ms";
// Larger than any jump list Windows writes; a file past it is left as it is.
inline constexpr std::size_t kJumpListLimit = 32u << 20;

} // namespace tv::engine::jumplists
