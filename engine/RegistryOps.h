#pragma once
// The registry operations of the cleaning tasks and of the start page. All work below
// HKEY_CURRENT_USER and act only on a key that exists when they are called; an empty path
// counts as no key, never as the hive.

#include <string>

#include "platform/PlatformServices.h"

namespace tv::engine {

// Deletes the key with everything below it and creates it again, empty. "Nettoyé", or
// "Non présent sur le système" when the key is absent (then nothing is created).
// Raises CleanerError "Failed to create key <path>" when it cannot be created again.
std::string ResetRegKey(PlatformServices& platform, const std::string& path);

// Deletes one value. "Nettoyé" (even when the value was not there), or
// "Non présent sur le système" when the key is absent.
std::string DeleteRegValue(PlatformServices& platform, const std::string& path, const std::string& valueName);

// Writes a plain string value into an existing key; does nothing when the key is absent.
// Raises CleanerError "Failed to set data for '<name>'" when the write is refused.
void WriteRegString(PlatformServices& platform, const std::string& path, const std::string& valueName,
                    const std::string& text);

// Deletes a key and its subkeys, deepest first, as far as the registry lets it. A path that
// names no key (empty, or from the hive's root) deletes nothing.
void DeleteKeyWithSubkeys(PlatformServices& platform, Hive hive, const std::string& path);

} // namespace tv::engine
