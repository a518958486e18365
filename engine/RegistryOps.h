#pragma once
// The registry operations of the cleaning tasks and of the start page. All work below
// HKEY_CURRENT_USER and act only on a key that exists when they are called; an empty path
// counts as no key, never as the hive.
//
// The path above a key is resolved as the system resolves it, once; from there on every key
// is opened relative to its parent's handle as itself, so that a registry link planted by
// another program is removed as a link and never leads a deletion out of the target.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/RunReport.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

// Deletes the key with everything below it and creates it again, empty. Cleaned when the
// key stands empty afterwards, Impossible when something stayed in it or when the key (or the
// key above it) refuses to be opened, or NotPresent when the key is absent (then nothing is
// created).
// Raises CleanerError "Failed to create key <path>" when it cannot be created again.
Outcome ResetRegKey(PlatformServices& platform, const std::string& path);

// Deletes one value. Cleaned when the value is not there afterwards (even when it never
// was), Impossible when it still is or the key refuses to be opened, or NotPresent when the
// key is absent. A key that is a link is not written through.
Outcome DeleteRegValue(PlatformServices& platform, const std::string& path, const std::string& valueName);

// The text of a value of the key being matched, for matchers that look at the data.
using ValueText = std::function<std::optional<std::string>(const std::string& valueName)>;
// Whether a value goes, by its name or by what it holds (and what the values beside it hold).
using ValueMatcher = std::function<bool(const std::string& valueName, const ValueText& textOf)>;

// Deletes every value that `matches` and keeps the key with its other values: a list kept
// beside its settings. Cleaned when no such value is there afterwards, Impossible when one
// still is or the key cannot be read, NotPresent when the key is absent (then nothing is
// created). A key that is a link is not written through.
Outcome DeleteRegValuesMatching(PlatformServices& platform, const std::string& path, const ValueMatcher& matches);
Outcome DeleteRegValuesMatching(PlatformServices& platform, const std::string& path,
                                bool (*matches)(const std::string& valueName));

// What one of the operations above would remove, found the way the operation finds it and
// changing nothing: the outcome it would start from (NotPresent, Impossible for a key that
// refuses to be read) and how many values and subkeys would go.
struct RegPlan {
    Outcome presence = Outcome::NotPresent;
    std::uint64_t count = 0;
};
RegPlan PlanResetRegKey(PlatformServices& platform, const std::string& path);
RegPlan PlanDeleteRegValue(PlatformServices& platform, const std::string& path, const std::string& valueName);
RegPlan PlanDeleteRegValuesMatching(PlatformServices& platform, const std::string& path, const ValueMatcher& matches);

// The names of an open key's subkeys, or nothing when they cannot all be read.
std::optional<std::vector<std::string>> SubkeyNames(PlatformServices& platform, const RegKey& key);

// Writes a plain string value into an existing key; does nothing when the key is absent.
// A link leads the write where it points, as any program's write would.
// Raises CleanerError "Failed to set data for '<name>'" when the write, or the key, refuses.
void WriteRegString(PlatformServices& platform, const std::string& path, const std::string& valueName,
                    const std::string& text);

// Deletes a key and its subkeys, deepest first, as far as the registry lets it; true when
// the key is gone, false when it stayed or refuses to be opened. A path that names no key
// (empty, or from the hive's root) deletes nothing.
bool DeleteKeyWithSubkeys(PlatformServices& platform, Hive hive, const std::string& path);

} // namespace tv::engine
