#pragma once
// Firefox's profiles as profiles.ini lists them, each reached from a folder that opens as it
// is, one name at a time, so that a link on the way is never followed.

#include <optional>
#include <string>
#include <vector>

#include "engine/browsers/FirefoxFamily.h"
#include "engine/browsers/PlainFolders.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// A folder as a base that is opened as the system gives it, and the names below it.
struct FolderPlace {
    std::string base;
    std::string relative; // backslash-separated single names; empty: the base itself
    std::string path() const;
};

struct FirefoxProfile {
    std::string name;        // the profile folder's own name, to name it at the end
    std::string displayName; // the name its user gave it (profiles.ini's Name=), or the folder's
    FolderPlace data;        // the profile
    FolderPlace cache;       // its twin in the local application data
};

struct FirefoxInstallation {
    const FirefoxTree* tree = nullptr;
    std::vector<FirefoxProfile> profiles;   // on drives of this machine
    std::vector<FirefoxProfile> offMachine; // on a share, a network drive or a device: never opened, named
    bool reachable = true;   // false: profiles.ini or its folder refused; left alone
    bool leftAlone = false;  // running, or its user declined to close it
    bool severalProfiles() const { return profiles.size() + offMachine.size() > 1; }
};

// A profile section of profiles.ini: its name and path as written, and whether it is relative.
struct ProfileEntry {
    std::string name;
    std::string path;
    bool relative = false;
};

// The [Profile*] sections of profiles.ini, in order; sections without a path are dropped.
std::vector<ProfileEntry> profileEntries(const std::string& ini);

// Where an entry's profile is, given the tree's roaming and local folders; nothing when its
// path cannot be read as a folder of plain names.
std::optional<FirefoxProfile> placeProfile(const ProfileEntry& entry, const FolderPlace& roaming,
                                           const FolderPlace& local);

// Every tree of the table whose folder is there. Never fails: a profiles.ini that cannot be
// read is an installation that is not reachable; one that is missing lists no profile. A tree
// whose folder is not on a drive of this machine is not looked into; a profile that is not
// is kept apart, never opened; one on a drive that is not there is no profile.
std::vector<FirefoxInstallation> findFirefoxInstallations(PlatformServices& platform);

// The profile's folder, reached as itself; a folder that holds none of what every profile
// holds is no profile (Missing), and nothing of it or its twin is touched.
ReachedFolder openFirefoxProfile(PlatformServices& platform, const FirefoxProfile& profile);

// Whether Firefox runs on one of the installation's profiles: a lock file that cannot be opened.
bool isRunning(PlatformServices& platform, const FirefoxInstallation& installation);

} // namespace tv::engine::browsers
