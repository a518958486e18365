#pragma once
// Internet Explorer's stored form and password data, under the protected storage key.

#include <optional>
#include <string>

#include "engine/RunCallback.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// The key that holds the current user's stored form data: under the user's name in the
// machine hive when its account key is there, otherwise under the text of the user's security
// identifier in the per-user hive. Nothing when the account cannot be read or looked up.
// Raises CleanerError "Invalid SID" when the lookup gives an invalid identifier.
struct FormDataKey {
    Hive hive = Hive::CurrentUser;
    std::string path;
};
std::optional<FormDataKey> FindFormDataKey(PlatformServices& platform);

// Deletes that key and its subkeys, then steps the bar by 100; stops quietly, without a
// step, when there is no key to go for. False when the key is still there afterwards, or
// refuses to be opened. `removed`, when given, learns the key it removed (nothing when there
// was none to remove). Raises CleanerError "Invalid SID" as FindFormDataKey does.
bool PurgeAutoComplete(PlatformServices& platform, RunCallback& callback, std::optional<FormDataKey>* removed = nullptr);

} // namespace tv::engine::browsers
