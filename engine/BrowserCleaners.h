#pragma once
// The cleaners that are neither a folder purge nor a registry key reset: the browser's
// frame windows, URL cache, history store and stored form data, and the recycle bin.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RunDisplay.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

inline constexpr const char* kBrowserFrameClass = "IEFrame";
inline constexpr const char* kClosingBrowserText = "Fermeture de votre navigateur en cours";
inline constexpr int kCloseAttemptLimit = 5000;
inline constexpr std::uint32_t kCloseAttemptPauseMs = 50;
inline constexpr std::uint32_t kWmSysCommand = 0x0112;
inline constexpr std::uintptr_t kScClose = 0xF060;

// Asks every browser frame window to close, one request per attempt, and gives up after
// kCloseAttemptLimit attempts: false when a frame is still there. Leaves the wait cursor on,
// the caption label shown and the status label reading kClosingBrowserText, for the run to
// go on with. Processes no messages of this program while it waits.
bool CloseBrowserWindows(PlatformServices& platform, const RunDisplay& display);

// Deletes every entry of the browser's URL cache. Entries that refuse deletion stay.
// Always ends, whatever the enumeration reports. False when an entry refused deletion or the
// enumeration stopped on an error before its end: entries may have stayed.
bool PurgeUrlCache(PlatformServices& platform);

// A next-entry fetch that fails this many times in a row ends the purge: the entry
// keeps changing under us and waiting longer would not help.
inline constexpr int kUrlCacheFetchRetries = 3;

// Empties the browser's URL history through its history store; false when the store answers
// that it did not. Raises CleanerError with the system's description of the creation failure
// (or "OLE error xxxxxxxx"), or "Interface not supported" when the store lacks the history
// interface.
bool clear_history(PlatformServices& platform);

// Deletes the browser's stored form and password data for the current user: the key under
// the user's name in the machine hive when it is there, otherwise the key under the text of
// the user's security identifier in the per-user hive. Steps the bar by 100 after a
// deletion; stops quietly, without a step, when the account cannot be read or looked up.
// False when the key it went for is still there afterwards, or refuses to be opened.
// Raises CleanerError "Invalid SID" when the lookup gives an invalid identifier.
bool PurgeAutoComplete(PlatformServices& platform, const RunDisplay& display);

inline constexpr const char* kProtectedStoragePrefix = "Software\\Microsoft\\Protected Storage System Provider\\";
inline constexpr const char* kFormDataSuffix = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
inline constexpr std::uint32_t kUserNameChars = 81;
inline constexpr std::uint32_t kComputerNameChars = 81;
inline constexpr std::uint32_t kDomainNameChars = 64;

// The text form of a security identifier, "S-1-<authority>-<sub>-<sub>...". Raises
// CleanerError "Invalid SID" when the system rejects the identifier.
std::string SidToText(PlatformServices& platform, const std::vector<std::uint8_t>& sid);

// Empties the recycle bin of every drive, without confirmation, progress window or sound,
// owned by the application window. "Nettoyé", or "Nettoyage impossible" when the shell's
// emptying function cannot be reached or the bins still hold items afterwards. Always steps
// the bar by 100.
std::string EmptyRecycleBin(PlatformServices& platform, const RunDisplay& display);

inline constexpr const char* kShellLibrary = "Shell32.dll";
inline constexpr const char* kEmptyRecycleBinFunction = "SHEmptyRecycleBinA";
inline constexpr std::uint32_t kEmptyRecycleBinFlags = 7; // no confirmation, no progress, no sound

} // namespace tv::engine
