#pragma once
// What each task touches, task by task, in one place: the folders, keys and values written
// here, today's lists (DesktopLists.h) and the browsers' stores (browsers/*Family.h) named
// where they are read. Nothing else is ever touched.
//
//  0 Fichiers temporaires internet: Internet Explorer's cache folder and URL cache; the
//    caches of the Chromium family and of Firefox.
//  1 Cookies: Internet Explorer's cookies folder; the browsers' cookie databases.
//  2 Historique de navigation: Internet Explorer's history folder and history store; the
//    browsers' histories, their unbookmarked icons and their sessions.
//  3 Dernières adresses saisies: kTypedUrlsKey; the browsers' typed addresses.
//  4 Saisie semi-automatique: the protected storage key (browsers/FormData.h); the browsers'
//    form data.
//  5 Derniers documents: the recent-documents folder; kRecentDocsLists.
//  6 Derniers éléments exécutés: kRunMruKey; kRunMruLists.
//  7 Derniers documents MediaPlayer: kMediaFilesKey, kMediaUrlsKey.
//  8 Fichiers temporaires: the temporary folder, when TempFolderGuard.h lets it be emptied.
//  9 Derniers documents MS Office: kOfficeTraces; the Office lists FindOfficeLists finds.
// 10 Vider la corbeille: every drive's recycle bin (RecycleBin.h).

#include "engine/DesktopLists.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

inline constexpr const char* kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
inline constexpr const char* kRunMruKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
inline constexpr const char* kMediaFilesKey = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
inline constexpr const char* kMediaUrlsKey = "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList";

// The recent-documents folder.
inline constexpr int kRecentDocsFolder = kCsidlRecent;

// The office suite's older recent lists: a value to delete when `value` is set, else a key to reset.
struct OfficeTrace {
    const char* key;
    const char* value;
};
inline constexpr OfficeTrace kOfficeTraces[] = {
    {"Software\\Microsoft\\Office\\10.0\\Word\\Data", "Settings"},
    {"Software\\Microsoft\\Office\\9.0\\Word\\Data", "Settings"},
    {"Software\\Microsoft\\Office\\8.0\\Word\\Data", "Settings"},
    {"Software\\Microsoft\\Office\\8.0\\Excel\\Recent Files", nullptr},
    {"Software\\Microsoft\\Office\\8.0\\Excel\\Recent File List", nullptr},
    {"Software\\Microsoft\\Office\\10.0\\Excel\\Recent Files", nullptr},
    {"Software\\Microsoft\\Office\\9.0\\Excel\\Recent Files", nullptr},
    {"Software\\Microsoft\\Office\\8.0\\Powerpoint\\Recent File List", nullptr},
    {"Software\\Microsoft\\Office\\9.0\\Powerpoint\\Recent File List", nullptr},
};

} // namespace tv::engine
