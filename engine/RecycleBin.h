#pragma once
// The recycle bin of every drive.

#include <cstdint>
#include <optional>

#include "engine/RunCallback.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

// Empties the recycle bin of every drive, without confirmation, progress window or sound,
// owned by the front end's window. Cleaned, or Impossible when the shell's emptying function
// cannot be reached or the bins still hold items afterwards. Always steps the bar by 100.
// `removed`, when given, learns how many items went, when the system can count them.
Outcome EmptyRecycleBin(PlatformServices& platform, RunCallback& callback, std::uint64_t* removed = nullptr);

// The items the bins hold; nothing when the system cannot say.
std::optional<std::uint64_t> CountRecycleBin(PlatformServices& platform);

inline constexpr const char* kShellLibrary = "Shell32.dll";
inline constexpr const char* kEmptyRecycleBinFunction = "SHEmptyRecycleBinA";
inline constexpr std::uint32_t kEmptyRecycleBinFlags = 7; // no confirmation, no progress, no sound

} // namespace tv::engine
