#include "engine/browsers/FormData.h"

#include "engine/Names.h"
#include "engine/RegistryOps.h"
#include "engine/SidText.h"
#include "engine/browsers/InternetExplorerFamily.h"

namespace tv::engine::browsers {

namespace {

// A key that refuses to be opened is there all the same.
bool keyExists(PlatformServices& platform, Hive hive, const std::string& path) {
    return !platform.openKey(hive, path, kKeyReadExistence).absent();
}

} // namespace

std::optional<FormDataKey> FindFormDataKey(PlatformServices& platform) {
    // A name the system did not hand over whole would lead to somebody else's key.
    const NameRead user = platform.userName(kUserNameChars);
    if (!user.ok || user.name.empty() || characterCount(user.name) >= kUserNameChars) return std::nullopt;

    const std::string machineAccount = kProtectedStoragePrefix + user.name;
    // Whether its deletion succeeds or not, this route is the one taken.
    if (keyExists(platform, Hive::LocalMachine, machineAccount + "\\Data"))
        return FormDataKey{Hive::LocalMachine, machineAccount + kFormDataSuffix};

    // An unreadable computer name leaves the lookup to the local system, which is where
    // the account is looked up anyway.
    const NameRead computer = platform.computerName(kComputerNameChars);
    const std::string system = computer.ok ? computer.name : std::string();

    const AccountLookup probe = platform.lookupAccountName(system, user.name, 0, kDomainNameChars);
    if (probe.lastError != kErrorInsufficientBuffer || probe.sidSize == 0) return std::nullopt;
    const AccountLookup account = platform.lookupAccountName(system, user.name, probe.sidSize, kDomainNameChars);
    if (!account.ok) return std::nullopt;
    return FormDataKey{Hive::CurrentUser, kProtectedStoragePrefix + SidToText(platform, account.sid) + kFormDataSuffix};
}

bool PurgeAutoComplete(PlatformServices& platform, RunCallback& callback, std::optional<FormDataKey>* removed) {
    const auto key = FindFormDataKey(platform);
    if (!key) return true;
    const bool there = removed && keyExists(platform, key->hive, key->path);
    const bool gone = DeleteKeyWithSubkeys(platform, key->hive, key->path);
    callback.shareStep(100);
    if (removed && there && gone) *removed = key;
    return gone;
}

} // namespace tv::engine::browsers
