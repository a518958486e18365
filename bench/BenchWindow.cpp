#include "BenchWindow.h"

#include <commctrl.h>

namespace tv::bench {

void pumpAll() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

ProgressWindow::ProgressWindow() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    frame_ = CreateWindowExW(0, L"STATIC", L"Tarmel Veilo bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 120,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    progress_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 360, 20, frame_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    pumpAll();
}

ProgressWindow::~ProgressWindow() {
    if (frame_) DestroyWindow(frame_);
    pumpAll();
}

} // namespace tv::bench
