#pragma once
// The controls of the main window that a cleaner may touch during a run. The caller hands
// them in, so the cleaners never reach for a window of their own.

#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"

namespace tv::engine {

struct RunDisplay {
    toolkit::Application& app;     // pumping, the screen cursor, the owner window
    toolkit::Label& status;        // the status text
    toolkit::Label& caption;       // "Progression", shown during a run
    toolkit::ProgressBar& bar;
};

} // namespace tv::engine
