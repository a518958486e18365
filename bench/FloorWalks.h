#pragma once
// The cheapest bare walks we know how to write, with no pump, no progress and no checks:
// the floors a safe walk is measured against. Each lists a folder through a handle with a
// buffer large enough for a whole folder in one call; the purges delete through a handle.

#include <windows.h>

#include <functional>
#include <string>

namespace tv::bench {

// The listing call, through the documented door.
enum class Listing {
    IdBoth, // FileIdBothDirectoryInfo: short names and file ids too
    Full,   // FileFullDirectoryInfo: no short names
};

// How a file goes.
enum class Deletion {
    Disposition,      // open for deletion, then FileDispositionInfo
    PosixDisposition, // open for deletion, then FileDispositionInfoEx with POSIX semantics
    DeleteOnClose,    // opened with FILE_FLAG_DELETE_ON_CLOSE, then closed
};

// Folders opened by full path, listed with GetFileInformationByHandleEx.
int handleCountFiles(const std::wstring& folder, Listing listing);
// Returns false when the system refuses the deletion call itself (the POSIX form, where
// the system does not know it); the tree is then left as it is.
bool handlePurgeFolder(const std::wstring& folder, Deletion deletion);
// Whether the system deletes through FileDispositionInfoEx with POSIX semantics: tried on a
// scratch file made in `folder` for the purpose.
bool posixDispositionWorks(const std::wstring& folder);

// The native layer, looked up in ntdll at run time: every folder below the top is opened
// relative to its parent's handle by its name alone, listed with NtQueryDirectoryFile.
bool nativeWalksAvailable();
int nativeCountFiles(const std::wstring& folder);
// Files opened relative to their folder with FILE_DELETE_ON_CLOSE; folders by disposition
// on the handle they were listed through.
void nativePurgeFolder(const std::wstring& folder);

// What single calls a safe walk may make cost, one slice per call: makes `files` files in
// `folder` and hands `slice` each call to run over all of them (opens by path and relative,
// attribute and reparse tag, final path, deletion by disposition, which takes the files).
void probeCalls(const std::wstring& folder, int files,
                const std::function<void(const char* name, const std::function<void()>& calls)>& slice);

} // namespace tv::bench
