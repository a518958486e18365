#pragma once
// Each family's installations as the browser gate sees them. The installations must outlive
// what is made of them: the gate marks them left alone.

#include <vector>

#include "engine/browsers/BrowserGate.h"
#include "engine/browsers/ChromiumProfiles.h"
#include "engine/browsers/FirefoxProfiles.h"

namespace tv::engine::browsers {

std::vector<GatedBrowser> gated(PlatformServices& platform, std::vector<ChromiumInstallation>& installations);
std::vector<GatedBrowser> gated(PlatformServices& platform, std::vector<FirefoxInstallation>& installations);

} // namespace tv::engine::browsers
