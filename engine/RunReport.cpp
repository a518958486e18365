#include "engine/RunReport.h"

namespace tv::engine {

int RunReport::filesStayed() const {
    int count = 0;
    for (const TaskReport& task : tasks) count += task.filesStayed;
    return count;
}

int RunReport::keptByChoice() const {
    int count = 0;
    for (const TaskReport& task : tasks) count += task.keptByChoice;
    return count;
}

bool RunReport::complete(const TaskSelection& selected) const {
    if (!finished || !error.empty() || interrupted) return false;
    for (std::size_t task = 0; task < kTaskCount; ++task)
        if (selected.selected(task) && (!tasks[task].ended || tasks[task].outcome() == Outcome::Impossible)) return false;
    return filesStayed() == 0 && foldersUnreached == 0 && !internetExplorerStayedOpen && browsersLeftOpen.empty() &&
           storesLeft.empty();
}

} // namespace tv::engine
