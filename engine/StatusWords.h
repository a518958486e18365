#pragma once
// The outcomes under the names the cleaners have always handed them back by; the words a user
// reads for them belong to each front end.

#include "engine/RunReport.h"

namespace tv::engine {
inline constexpr Outcome kCleaned = Outcome::Cleaned;
inline constexpr Outcome kNotPresent = Outcome::NotPresent;
inline constexpr Outcome kImpossible = Outcome::Impossible;
} // namespace tv::engine
