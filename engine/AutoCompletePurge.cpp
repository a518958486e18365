#include "engine/BrowserCleaners.h"
#include "engine/RegistryOps.h"

namespace tv::engine {

namespace {

size_t characterCount(const std::string& utf8) {
    size_t count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

// A key that refuses to be opened is there all the same.
bool keyExists(PlatformServices& platform, Hive hive, const std::string& path) {
    return !platform.openKey(hive, path, kKeyReadExistence).absent();
}

} // namespace

bool PurgeAutoComplete(PlatformServices& platform, const RunDisplay& display) {
    // A name the system did not hand over whole would lead to somebody else's key.
    const NameRead user = platform.userName(kUserNameChars);
    if (!user.ok || user.name.empty() || characterCount(user.name) >= kUserNameChars) return true;

    const std::string machineAccount = kProtectedStoragePrefix + user.name;
    if (keyExists(platform, Hive::LocalMachine, machineAccount + "\\Data")) {
        // Whether the deletion succeeds or not, this route is the one taken.
        const bool gone = DeleteKeyWithSubkeys(platform, Hive::LocalMachine, machineAccount + kFormDataSuffix);
        display.bar.stepBy(100);
        return gone;
    }

    // An unreadable computer name leaves the lookup to the local system, which is where
    // the account is looked up anyway.
    const NameRead computer = platform.computerName(kComputerNameChars);
    const std::string system = computer.ok ? computer.name : std::string();

    const AccountLookup probe = platform.lookupAccountName(system, user.name, 0, kDomainNameChars);
    if (probe.lastError != kErrorInsufficientBuffer || probe.sidSize == 0) return true;
    const AccountLookup account = platform.lookupAccountName(system, user.name, probe.sidSize, kDomainNameChars);
    if (!account.ok) return true;

    const std::string sidText = SidToText(platform, account.sid);
    const bool gone = DeleteKeyWithSubkeys(platform, Hive::CurrentUser, kProtectedStoragePrefix + sidText + kFormDataSuffix);
    display.bar.stepBy(100);
    return gone;
}

} // namespace tv::engine
