#include "engine/RegistryOps.h"

#include "engine/CleanerError.h"
#include "engine/StatusWords.h"

namespace tv::engine {

namespace {

// The system opens the hive itself for an empty path: such a path names no key of ours.
bool namesAKey(const std::string& path) { return !path.empty() && path.front() != '\\'; }

bool keyExists(PlatformServices& platform, const std::string& path) {
    return namesAKey(path) && static_cast<bool>(platform.openKey(Hive::CurrentUser, path, kKeyReadExistence));
}

} // namespace

void DeleteKeyWithSubkeys(PlatformServices& platform, Hive hive, const std::string& path) {
    if (!namesAKey(path)) return; // never the whole hive
    {
        RegKey key = platform.openKey(hive, path, kKeyAllAccess);
        if (key) {
            if (auto info = platform.queryKeyInfo(key)) {
                // Downwards, so that a deletion never shifts an index still to visit.
                for (std::uint32_t i = info->subkeyCount; i-- > 0;) {
                    auto name = platform.enumSubkey(key, i, info->longestSubkeyName + 1);
                    if (name) DeleteKeyWithSubkeys(platform, hive, path + "\\" + *name);
                }
            }
        }
    } // the key's handle is closed before the key itself is deleted
    platform.deleteKey(hive, path);
}

std::string ResetRegKey(PlatformServices& platform, const std::string& path) {
    if (!keyExists(platform, path)) return kNotPresent;
    DeleteKeyWithSubkeys(platform, Hive::CurrentUser, path);
    RegKey created = platform.createKey(Hive::CurrentUser, path);
    if (!created) throw CleanerError("Failed to create key " + path);
    return kCleaned;
}

std::string DeleteRegValue(PlatformServices& platform, const std::string& path, const std::string& valueName) {
    if (!keyExists(platform, path)) return kNotPresent;
    if (RegKey key = platform.openKey(Hive::CurrentUser, path, kKeyAllAccess)) platform.deleteValue(key, valueName);
    return kCleaned;
}

void WriteRegString(PlatformServices& platform, const std::string& path, const std::string& valueName,
                    const std::string& text) {
    if (!keyExists(platform, path)) return;
    RegKey key = platform.createKey(Hive::CurrentUser, path);
    if (!key || !platform.setStringValue(key, valueName, text))
        throw CleanerError("Failed to set data for '" + valueName + "'");
}

} // namespace tv::engine
