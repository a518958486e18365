#pragma once
// Modal message boxes. The Yes/No box answers No to Escape and a third answer, Closed, to
// its title-bar close button, which a standard Yes/No box would have disabled.

#include <windows.h>

#include <string>

#include "platform/toolkit/Types.h"

namespace tv::toolkit::win32 {

MessageResult showMessageBox(HWND owner, const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon);

} // namespace tv::toolkit::win32
