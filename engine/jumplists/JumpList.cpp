#include "engine/jumplists/JumpList.h"

#include <algorithm>
#include <set>

#include "engine/jumplists/DestList.h"

namespace tv::engine::jumplists {

namespace {

bool isDestList(const CompoundEntry& entry) {
    return entry.kind == CompoundEntry::Kind::Stream && compareEntryNames(entry.name, kDestListName) == 0;
}

// Storages' children in the file's own name order, as a reader of the written file lists them.
void sortByName(CompoundEntry& storage) {
    std::vector<CompoundEntry*> pending{&storage};
    while (!pending.empty()) {
        CompoundEntry* current = pending.back();
        pending.pop_back();
        std::stable_sort(current->children.begin(), current->children.end(),
                         [](const CompoundEntry& a, const CompoundEntry& b) {
                             const auto order = compareEntryNames(a.name, b.name);
                             return order ? *order < 0 : a.name < b.name;
                         });
        for (CompoundEntry& child : current->children)
            if (child.kind == CompoundEntry::Kind::Storage) pending.push_back(&child);
    }
}

} // namespace

std::u16string entryStreamName(std::uint32_t number) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    std::u16string name;
    do {
        name.insert(name.begin(), digits[number % 16]);
        number /= 16;
    } while (number != 0);
    return name;
}

JumpListPlan planJumpList(std::string_view bytes) {
    JumpListPlan plan;
    std::optional<CompoundFile> file = readCompoundFile(bytes);
    if (!file) return plan;
    const auto& children = file->root.children;
    if (std::count_if(children.begin(), children.end(), isDestList) != 1) return plan;
    const CompoundEntry& destListStream = *std::find_if(children.begin(), children.end(), isDestList);
    const ReadDestList read = readDestList(destListStream.data);
    if (read.outcome == DestListReading::UnknownVersion) plan.action = JumpListAction::UnknownVersion;
    if (read.outcome != DestListReading::Read) return plan;

    std::vector<const DestListEntry*> kept;
    std::set<std::u16string> leavingStreams;
    for (const DestListEntry& entry : read.list.entries) {
        const std::u16string stream = entryStreamName(entry.number);
        const CompoundEntry* found = findChild(file->root, stream);
        if (entry.pinned) {
            // A pin whose shortcut is not there is not a file this code understands.
            if (!found || found->kind != CompoundEntry::Kind::Stream) return plan;
            kept.push_back(&entry);
        } else if (found) {
            if (found->kind != CompoundEntry::Kind::Stream) return plan;
            leavingStreams.insert(found->name);
        }
    }
    plan.entries = static_cast<int>(read.list.entries.size());
    plan.pinned = static_cast<int>(kept.size());
    if (kept.empty()) {
        plan.action = JumpListAction::Remove;
        plan.leaving = plan.entries;
        return plan;
    }
    plan.leaving = plan.entries - plan.pinned;
    if (plan.leaving == 0) {
        plan.action = JumpListAction::Keep;
        return plan;
    }
    plan.replacement.majorVersion = file->majorVersion;
    plan.replacement.root = file->root;
    plan.replacement.root.children.clear();
    for (const CompoundEntry& child : children) {
        if (child.kind == CompoundEntry::Kind::Stream && leavingStreams.count(child.name)) continue;
        plan.replacement.root.children.push_back(child);
        if (isDestList(child)) plan.replacement.root.children.back().data = writeDestList(read.list, kept);
    }
    sortByName(plan.replacement.root);
    plan.action = JumpListAction::Rewrite;
    return plan;
}

bool holdsReplacement(const JumpListPlan& plan, std::string_view written) {
    if (plan.action != JumpListAction::Rewrite) return false;
    const std::optional<CompoundFile> file = readCompoundFile(written);
    if (!file || !(*file == plan.replacement)) return false;
    // The streams are the planned ones; the DestList must also read as a list of pins only,
    // each with its stream.
    const CompoundEntry* stream = findChild(file->root, kDestListName);
    if (!stream) return false;
    const ReadDestList read = readDestList(stream->data);
    if (read.outcome != DestListReading::Read || static_cast<int>(read.list.entries.size()) != plan.pinned) return false;
    return std::all_of(read.list.entries.begin(), read.list.entries.end(), [&](const DestListEntry& entry) {
        return entry.pinned && findChild(file->root, entryStreamName(entry.number));
    });
}

} // namespace tv::engine::jumplists
