#pragma once
// A bare window with a native progress control, to price one position change of it, and
// the pump of the old walks.

#include <windows.h>


namespace tv::bench {

// A shown top-level window holding a progress control: messages to pump, and a control
// whose cost per step can be measured.
class ProgressWindow {
public:
    ProgressWindow();
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    HWND progress() const { return progress_; }

private:
    HWND frame_ = nullptr;
    HWND progress_ = nullptr;
};

// The pump of the old walks: every pending message, once per file.
void pumpAll();

} // namespace tv::bench
