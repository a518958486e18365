#pragma once
// The words that name the tasks on the command line: one key a task, three groups. The
// machine interface is these ASCII words; the French names come from the engine, as the
// status panel shows them.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/TaskSelection.h"

namespace tv::console {

inline constexpr std::array<const char*, engine::kTaskCount> kTaskKeys = {
    "internet-files", "cookies", "history",      "typed-urls", "form-data",   "recent-docs",
    "run-history",    "media-player", "temp",    "office",     "recycle-bin",
};

struct GroupKey {
    const char* key;
    engine::TaskGroup group;
};
inline constexpr std::array<GroupKey, 3> kGroupKeys = {{
    {"internet", engine::InternetGroup},
    {"windows", engine::WindowsGroup},
    {"all", {engine::tkInternetFiles, engine::tkRecycleBin}},
}};

// Selects the task or the group a word names (case aside); false when it names none.
bool selectByKey(std::string_view word, engine::TaskSelection& into);
// The task's French name.
std::string taskName(std::size_t task);
// The fewest words that name the selection, in the run's order: a whole group by its name.
std::vector<std::string> keysOf(const engine::TaskSelection& selection);

} // namespace tv::console
