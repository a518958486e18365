#pragma once
#include <string_view>

namespace tv::toolkit {
// The text of resources/layouts/<name>.layout, compiled into the program; empty if none.
std::string_view embeddedLayout(std::string_view name);
} // namespace tv::toolkit
