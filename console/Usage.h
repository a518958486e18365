#pragma once
// What the console program says of itself: its usage, and the list of its tasks.

#include <string>

namespace tv::console {

std::string usageText();
// Every task's key and French name, one a line, then the groups.
std::string taskListText();

} // namespace tv::console
