// The older DPI calls that stand in for the per-monitor ones on Windows 7 and 8 must give
// what the newer ones give, or the windows would be laid out differently there.

#include <gtest/gtest.h>

#include <windows.h>

#include "platform/toolkit/win32/Dpi.h"

using namespace tv::toolkit::win32;

TEST(DpiFallbacks, TheOlderCallsAgreeWithThePerMonitorOnes) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const UINT dpi = windowDpi(window);
    EXPECT_GE(dpi, 96u);
    EXPECT_EQ(legacyWindowDpi(window), dpi);
    EXPECT_EQ(windowDpi(nullptr), 0u);

    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    for (DWORD exStyle : {DWORD{WS_EX_CONTROLPARENT}, DWORD{WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME}}) {
        RECT modern{0, 0, 586, 422}, legacy{0, 0, 586, 422};
        adjustWindowRectForDpi(modern, style, exStyle, dpi);
        legacyAdjustWindowRect(legacy, style, exStyle);
        EXPECT_TRUE(EqualRect(&modern, &legacy)) << exStyle;
        // A frame was added around the client area.
        EXPECT_LT(modern.left, 0);
        EXPECT_LT(modern.top, 0);
        EXPECT_GT(modern.right, 586);
    }
    DestroyWindow(window);
}
