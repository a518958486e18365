#pragma once
// Drawing resources of the native backend: colours, brushes, fonts scaled to the window's
// DPI. GDI objects live in caches owned here and are deleted when the backend ends.

#include <windows.h>

#include <string>

#include "platform/toolkit/Control.h"
#include "platform/toolkit/Types.h"

namespace tv::toolkit::win32 {

// Geometry of the layouts is at 96 DPI.
inline constexpr int kDesignDpi = 96;
int scale(int value, UINT dpi);
UINT dpiOf(HWND window);

COLORREF colorRef(Color color);
// The colour a control paints its background with: its own, or its parent's for the
// kinds that take their parent's colour unless given one (labels, boxes, group boxes).
COLORREF backgroundOf(const Control& control);
HBRUSH brushFor(COLORREF color);
HFONT fontFor(const Font& font, UINT dpi);

// The model breaks lines with a lone carriage return; drawing wants CR LF.
std::wstring drawnText(const std::string& text);

// Deletes every cached brush and font.
void releaseGdiCaches();

} // namespace tv::toolkit::win32
