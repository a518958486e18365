#include "engine/RegistryOps.h"

#include <optional>
#include <vector>

#include "engine/CleanerError.h"
#include "engine/StatusWords.h"

namespace tv::engine {

namespace {

// Rights to remove a key that refuses full access: enough to tell a link and to delete it.
constexpr std::uint32_t kKeyDeleteOnly = 0x10001; // DELETE | KEY_QUERY_VALUE

// A key named as the path above it and its own name.
struct KeyPlace {
    std::string parent;
    std::string name;
};

// Nothing for a path that names no key: empty or only separators (the system would open the
// hive itself), a leading separator or an empty name inside (the system refuses those).
std::optional<KeyPlace> placeOf(const std::string& path) {
    const size_t end = path.find_last_not_of('\\');
    if (end == std::string::npos || path.front() == '\\') return std::nullopt;
    const std::string trimmed = path.substr(0, end + 1); // trailing separators, as the system drops them
    if (trimmed.find("\\\\") != std::string::npos) return std::nullopt;
    const size_t cut = trimmed.rfind('\\');
    if (cut == std::string::npos) return KeyPlace{"", trimmed};
    return KeyPlace{trimmed.substr(0, cut), trimmed.substr(cut + 1)};
}

// The key's parent, opened once through the path as the system resolves it.
RegKey openParent(PlatformServices& platform, Hive hive, const KeyPlace& place) {
    if (RegKey parent = platform.openKey(hive, place.parent, kKeyAllAccess)) return parent;
    return platform.openKey(hive, place.parent, kKeyReadExistence);
}

// Whether a key is there. A key that refuses to be opened is there: only "not found" says
// it is not.
enum class Presence { Present, Absent, Refused };

Presence presenceOf(const RegKey& opened) {
    if (opened) return Presence::Present;
    return opened.absent() ? Presence::Absent : Presence::Refused;
}

Presence subkeyPresence(PlatformServices& platform, const RegKey& parent, const std::string& name) {
    return presenceOf(platform.openSubkey(parent, name, kKeyReadExistence));
}

// A key as its parent's handle and its own name, and whether it is there.
struct FoundKey {
    Presence presence = Presence::Absent;
    RegKey parent;
    std::string name;
};

// Absent when the path names no key.
FoundKey findKey(PlatformServices& platform, Hive hive, const std::string& path) {
    const auto place = placeOf(path);
    if (!place) return {};
    RegKey parent = openParent(platform, hive, *place);
    if (!parent) return {presenceOf(parent), {}, {}};
    const Presence presence = subkeyPresence(platform, parent, place->name);
    return {presence, std::move(parent), place->name};
}

// The outcome of a key that is not there or refused to be opened.
Outcome outcomeOfMissing(Presence presence) { return presence == Presence::Absent ? kNotPresent : kImpossible; }

// Deletes `name` below `parent` with everything below it. Every key is opened as itself
// through its parent's handle and deleted through that handle; a link is deleted as a link
// and never entered. Indices are walked downwards, so that a deletion never shifts an index
// still to visit; an explicit stack holds the depth.
bool deleteSubkeyTree(PlatformServices& platform, const RegKey& parent, const std::string& name) {
    struct Level {
        RegKey key;
        std::uint32_t next; // subkeys at indices below this one are still to visit
        std::uint32_t nameChars;
    };
    std::vector<Level> stack;
    const auto enter = [&](const RegKey& from, const std::string& child) {
        RegKey key = platform.openSubkey(from, child, kKeyAllAccess);
        const bool listable = static_cast<bool>(key);
        if (!listable) key = platform.openSubkey(from, child, kKeyDeleteOnly);
        if (!key) return;
        if (platform.isLink(key) || !listable) {
            platform.deleteOpenKey(key);
            return;
        }
        const auto info = platform.queryKeyInfo(key);
        stack.push_back({std::move(key), info ? info->subkeyCount : 0, info ? info->longestSubkeyName + 1 : 0});
    };

    enter(parent, name);
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == 0) {
            platform.deleteOpenKey(level.key);
            stack.pop_back();
            continue;
        }
        --level.next;
        if (auto child = platform.enumSubkey(level.key, level.next, level.nameChars)) enter(level.key, *child);
    }
    return subkeyPresence(platform, parent, name) == Presence::Absent;
}

// A key stands empty: a plain key, no subkey, no value.
bool standsEmpty(PlatformServices& platform, const RegKey& key) {
    if (platform.isLink(key)) return false;
    const auto info = platform.queryKeyInfo(key);
    return info && info->subkeyCount == 0 && info->valueCount == 0;
}

// The names of a key's values that match, or nothing when they cannot all be read.
std::optional<std::vector<std::string>> matchingValues(PlatformServices& platform, const RegKey& key,
                                                       const ValueMatcher& matches) {
    const auto info = platform.queryKeyInfo(key);
    if (!info) return std::nullopt;
    const ValueText textOf = [&](const std::string& name) { return platform.stringValue(key, name); };
    std::vector<std::string> names;
    for (std::uint32_t index = 0; index < info->valueCount; ++index) {
        const auto name = platform.enumValue(key, index);
        if (!name) return std::nullopt;
        if (matches(*name, textOf)) names.push_back(*name);
    }
    return names;
}


} // namespace

std::optional<std::vector<std::string>> SubkeyNames(PlatformServices& platform, const RegKey& key) {
    const auto info = platform.queryKeyInfo(key);
    if (!info) return std::nullopt;
    std::vector<std::string> names;
    for (std::uint32_t index = 0; index < info->subkeyCount; ++index) {
        auto name = platform.enumSubkey(key, index, info->longestSubkeyName + 1);
        if (!name) return std::nullopt;
        names.push_back(std::move(*name));
    }
    return names;
}

bool DeleteKeyWithSubkeys(PlatformServices& platform, Hive hive, const std::string& path) {
    if (!placeOf(path)) return false; // never the whole hive
    const FoundKey key = findKey(platform, hive, path);
    if (key.presence != Presence::Present) return key.presence == Presence::Absent;
    return deleteSubkeyTree(platform, key.parent, key.name);
}

Outcome ResetRegKey(PlatformServices& platform, const std::string& path) {
    const FoundKey key = findKey(platform, Hive::CurrentUser, path);
    if (key.presence != Presence::Present) return outcomeOfMissing(key.presence);
    deleteSubkeyTree(platform, key.parent, key.name);
    // Created as itself: a link that would not go is opened, never written through.
    const RegKey created = platform.createSubkey(key.parent, key.name);
    if (!created) throw CleanerError("Failed to create key " + path);
    return standsEmpty(platform, created) ? kCleaned : kImpossible;
}

Outcome DeleteRegValue(PlatformServices& platform, const std::string& path, const std::string& valueName) {
    const FoundKey existing = findKey(platform, Hive::CurrentUser, path);
    if (existing.presence != Presence::Present) return outcomeOfMissing(existing.presence);
    if (RegKey key = platform.openSubkey(existing.parent, existing.name, kKeyAllAccess); key && !platform.isLink(key))
        platform.deleteValue(key, valueName);
    // The value as every program reads it: behind a link that was left alone, it is still there.
    // A key that no longer lets itself be read may still hold it.
    const RegKey seen = platform.openKey(Hive::CurrentUser, path, kKeyReadExistence);
    if (!seen) return seen.absent() ? kCleaned : kImpossible;
    return platform.hasValue(seen, valueName) ? kImpossible : kCleaned;
}

Outcome DeleteRegValuesMatching(PlatformServices& platform, const std::string& path,
                                bool (*matches)(const std::string& valueName)) {
    return DeleteRegValuesMatching(platform, path,
                                   ValueMatcher([matches](const std::string& name, const ValueText&) { return matches(name); }));
}

Outcome DeleteRegValuesMatching(PlatformServices& platform, const std::string& path, const ValueMatcher& matches) {
    // The list as every program reads it: absent only when the system says there is no such key.
    if (!placeOf(path) || platform.openKey(Hive::CurrentUser, path, kKeyRead).absent()) return kNotPresent;

    if (const FoundKey existing = findKey(platform, Hive::CurrentUser, path); existing.presence == Presence::Present) {
        const RegKey key = platform.openSubkey(existing.parent, existing.name, kKeyAllAccess);
        if (key && !platform.isLink(key)) {
            // Names first, deletions after: a deletion shifts the indices still to read.
            if (const auto names = matchingValues(platform, key, matches))
                for (const std::string& name : *names) platform.deleteValue(key, name);
        }
    }

    const RegKey after = platform.openKey(Hive::CurrentUser, path, kKeyRead);
    if (!after) return after.absent() ? kCleaned : kImpossible;
    const auto left = matchingValues(platform, after, matches);
    return left && left->empty() ? kCleaned : kImpossible;
}

RegPlan PlanResetRegKey(PlatformServices& platform, const std::string& path) {
    const FoundKey key = findKey(platform, Hive::CurrentUser, path);
    if (key.presence != Presence::Present) return {outcomeOfMissing(key.presence), 0};
    const RegKey opened = platform.openSubkey(key.parent, key.name, kKeyRead);
    if (!opened) return {kImpossible, 0};
    // A link in the list's place goes as itself: one entry.
    if (platform.isLink(opened)) return {kCleaned, 1};
    const auto info = platform.queryKeyInfo(opened);
    if (!info) return {kImpossible, 0};
    return {kCleaned, std::uint64_t(info->subkeyCount) + info->valueCount};
}

RegPlan PlanDeleteRegValue(PlatformServices& platform, const std::string& path, const std::string& valueName) {
    const FoundKey existing = findKey(platform, Hive::CurrentUser, path);
    if (existing.presence != Presence::Present) return {outcomeOfMissing(existing.presence), 0};
    const RegKey seen = platform.openKey(Hive::CurrentUser, path, kKeyReadExistence);
    if (!seen) return {seen.absent() ? kCleaned : kImpossible, 0};
    return {kCleaned, platform.hasValue(seen, valueName) ? 1u : 0u};
}

RegPlan PlanDeleteRegValuesMatching(PlatformServices& platform, const std::string& path, const ValueMatcher& matches) {
    if (!placeOf(path)) return {kNotPresent, 0};
    const RegKey key = platform.openKey(Hive::CurrentUser, path, kKeyRead);
    if (!key) return {key.absent() ? kNotPresent : kImpossible, 0};
    const auto names = matchingValues(platform, key, matches);
    if (!names) return {kImpossible, 0};
    return {kCleaned, names->size()};
}

void WriteRegString(PlatformServices& platform, const std::string& path, const std::string& valueName,
                    const std::string& text) {
    if (!placeOf(path)) return;
    // Only an absent key is no place to write; one that refuses is a write refused.
    if (const RegKey seen = platform.openKey(Hive::CurrentUser, path, kKeyReadExistence); seen.absent()) return;
    RegKey key = platform.createKey(Hive::CurrentUser, path);
    if (!key || !platform.setStringValue(key, valueName, text))
        throw CleanerError("Failed to set data for '" + valueName + "'");
}

} // namespace tv::engine
