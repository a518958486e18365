#include "console/TaskKeys.h"

#include "console/Words.h"
#include "words/RunWords.h"

namespace tv::console {

bool selectByKey(std::string_view word, engine::TaskSelection& into) {
    const std::string key = asciiLower(word);
    for (std::size_t task = 0; task < engine::kTaskCount; ++task)
        if (key == kTaskKeys[task]) {
            into.select(task, true);
            return true;
        }
    for (const GroupKey& group : kGroupKeys)
        if (key == group.key) {
            into.selectGroup(group.group, true);
            return true;
        }
    return false;
}

std::string taskName(std::size_t task) { return words::kTaskNames[task]; }

std::vector<std::string> keysOf(const engine::TaskSelection& selection) {
    auto whole = [&](engine::TaskGroup group) {
        for (std::size_t task = group.first; task <= group.last; ++task)
            if (!selection.selected(task)) return false;
        return true;
    };
    if (whole(kGroupKeys[2].group)) return {kGroupKeys[2].key};
    std::vector<std::string> keys;
    for (std::size_t group = 0; group < 2; ++group) {
        if (whole(kGroupKeys[group].group)) {
            keys.emplace_back(kGroupKeys[group].key);
            continue;
        }
        for (std::size_t task = kGroupKeys[group].group.first; task <= kGroupKeys[group].group.last; ++task)
            if (selection.selected(task)) keys.emplace_back(kTaskKeys[task]);
    }
    return keys;
}

} // namespace tv::console
