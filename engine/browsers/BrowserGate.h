#pragma once
// The running browsers, before a run touches their profiles: the user is told which ones
// will be closed and may decline; each is asked to close as a user would, and waited for,
// for a bounded time. A browser is never ended: one that stays is left alone.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RunDisplay.h"
#include "engine/browsers/ChromiumProfiles.h"

namespace tv::engine::browsers {

// Marks every installation whose browser still runs at the end as left alone.
void closeRunningBrowsers(PlatformServices& platform, const RunDisplay& display,
                          std::vector<ChromiumInstallation>& installations);

// The question, naming the browsers that run.
std::string closeBrowsersQuestion(const std::vector<std::string>& names);

inline constexpr std::uint64_t kBrowserCloseWaitMs = 10000;
inline constexpr std::uint32_t kBrowserClosePollMs = 100;
inline constexpr std::uint32_t kWmClose = 0x0010;

} // namespace tv::engine::browsers
