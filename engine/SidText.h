#pragma once
// The text form of a security identifier, as the per-user hive names an account's keys.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"

namespace tv::engine {

// "S-1-<authority>-<sub>-<sub>...". Raises CleanerError "Invalid SID" when the system
// rejects the identifier.
std::string SidToText(PlatformServices& platform, const std::vector<std::uint8_t>& sid);

} // namespace tv::engine
