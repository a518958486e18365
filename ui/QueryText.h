#pragma once
// What the user typed, made safe for a web address's query.

#include <string>

#include "platform/PlatformServices.h"

namespace tv::ui {

// The text's bytes in the system's ANSI code page (what the maker's pages have always
// received), every byte but A-Z a-z 0-9 - . _ ~ written as %XX with capital hex digits, so
// that "&", "=", "#", blanks, quotes and line breaks arrive as typed and never split the
// query or the browser's command line.
std::string queryText(PlatformServices& platform, const std::string& typed);

} // namespace tv::ui
