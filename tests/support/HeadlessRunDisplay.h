#pragma once
// The run's status panel and bar without a window, for tests that call a cleaner directly.

#include "engine/RunDisplay.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/headless/HeadlessBackend.h"

namespace tv::testsupport {

struct HeadlessRunDisplay {
    explicit HeadlessRunDisplay(int barMax = 1000) {
        caption.hide();
        bar.setRange(0, barMax);
    }
    toolkit::HeadlessBackend backend;
    toolkit::Application app{backend};
    toolkit::Label status{"Label10"};
    toolkit::Label caption{"Label11"};
    toolkit::ProgressBar bar{"ProgressBar1"};
    engine::RunDisplay display{app, status, caption, bar};
};

} // namespace tv::testsupport
