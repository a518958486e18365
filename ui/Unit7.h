#pragma once
// The splash window shown while the program's windows are created. A passive picture:
// its hand cursors are only cursors, it reacts to nothing.

#include "platform/toolkit/Controls.h"
#include "ui/LayoutWindow.h"

namespace tv::ui {

class TSplashForm : public LayoutWindow {
public:
    explicit TSplashForm(toolkit::Application& app);

    toolkit::Image& Image1;
    toolkit::Label& Label3;
    toolkit::Label& Label1;
    toolkit::Label& Label4;
};

} // namespace tv::ui
