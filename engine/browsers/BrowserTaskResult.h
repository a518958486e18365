#pragma once
// What one Internet task did in the browsers of one family, beside what it put in the report
// (every store and folder of theirs that stayed, with its browser, profile and reason).

#include <memory>
#include <vector>

#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

struct BrowserTaskResult {
    bool cleanedAny = false; // some installation went through the task
    bool storeLeft = false;  // some store of theirs stayed as it was, or in part
};

// What taking an installation's own locks came to, before the run writes anything of it.
struct InstallationHold {
    std::vector<std::unique_ptr<HeldFile>> locks; // held for as long as this lives
    bool running = false;                         // a browser holds one of them
    bool refused = false;                         // one could not be taken: nothing is written
    bool gone = false;                            // the installation's folder is not there any more
};

} // namespace tv::engine::browsers
