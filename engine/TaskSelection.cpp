#include "engine/TaskSelection.h"

namespace tv::engine {

void TaskSelection::selectGroup(TaskGroup group, bool on) {
    for (std::size_t i = group.first; i <= group.last; ++i) select(i, on);
}

bool TaskSelection::anySelected(TaskGroup group) const {
    for (std::size_t i = group.first; i <= group.last; ++i)
        if (selected(i)) return true;
    return false;
}

} // namespace tv::engine
