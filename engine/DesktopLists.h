#pragma once
// The recent lists that today's Explorer and Office keep, beside the older ones each desktop
// task names: where they are, and what of them goes. All below HKEY_CURRENT_USER.

#include <string>
#include <vector>

#include "engine/RegistryOps.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

// Lists emptied whole, key kept (values and subkeys go), after the recent-documents folder.
inline constexpr const char* kRecentDocsLists[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSavePidlMRU",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\CIDSizeMRU",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
};

// Lists emptied whole beside the Run history: the address bar's and the search box's.
inline constexpr const char* kRunMruLists[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TypedPaths",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery",
};

// Office 2003 and later: under each version, each application keeps its lists of files and
// of places as numbered values beside its settings ("Max Display"), once more under every
// signed-in identity of "User MRU".
inline constexpr const char* kOfficeKey = "Software\\Microsoft\\Office";
inline constexpr const char* kOfficeVersions[] = {"11.0", "12.0", "13.0", "14.0", "15.0", "16.0"};
inline constexpr const char* kOfficeItemLists[] = {"File MRU", "Place MRU"};
inline constexpr const char* kOfficeIdentities = "User MRU";

// Word's places where each document was last read, emptied whole, key kept.
inline constexpr const char* kWordApplication = "Word";
inline constexpr const char* kWordReadingLocations = "Reading Locations";

// A value of a File MRU or Place MRU list: "Item N" or "Item Metadata N".
bool IsOfficeListItem(const std::string& valueName);

// Office 2013 and later write an item as "[F00000000][T01D9...][O00000000]*C:\path": its
// first field holds the item's flags in hexadecimal, and the lowest of them marks an item
// the user pinned. The data of an item that stays.
bool IsPinnedOfficeItem(const std::string& itemData);
// A value of a File MRU or Place MRU list that goes: an "Item N" that is not pinned, and the
// "Item Metadata N" of an item that is not (or no longer) there.
bool IsUnpinnedOfficeListItem(const std::string& valueName, const ValueText& textOf);

// One list found on this system.
struct RegList {
    std::string path;
    bool itemValues; // only the list's numbered values go; else the key is emptied whole
};

struct FoundLists {
    std::vector<RegList> lists;
    bool refused = false; // a key on the way could not be read, or was a link: lists may stay
};

// The Office lists there are now, found without creating anything and without entering a
// registry link below the Office key.
FoundLists FindOfficeLists(PlatformServices& platform);

} // namespace tv::engine
