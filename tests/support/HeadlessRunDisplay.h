#pragma once
// The main window's side of a run without a window, for tests that call a cleaner directly:
// its status panel, bar and boxes, answered as the window answers, without its pauses.

#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "ui/WindowRun.h"

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
    toolkit::CheckBox master{"CheckBox25"};
    toolkit::Label count{"Label1"};
    ui::WindowRun display{app, {}, {status, caption, bar, master, count}};
};

} // namespace tv::testsupport
