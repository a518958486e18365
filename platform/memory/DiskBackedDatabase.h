#pragma once
// A database of the in-memory tree, opened as SQLite opens one on a disk: the file's bytes and
// those of its log or journal beside it are put in a private scratch folder for as long as the
// database is open, and read back into the tree when it closes. What SQLite leaves of the log
// is what the tree then holds, so the tests read the bytes a disk would hold.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PlatformServices.h"

namespace tv::memory {

// The files of one database in the tree, by the suffix SQLite gives them ("" for the file
// itself, "-wal", "-journal").
struct DatabaseFiles {
    std::function<std::optional<std::string>(const std::string& suffix)> read;
    // Nothing: the file is not there any more.
    std::function<void(const std::string& suffix, std::optional<std::string> bytes)> write;
    // Told of every statement before it runs, with the scratch file's path; false makes the
    // statement fail without running, as a full disk would. May be empty.
    std::function<bool(const std::string& scratchFile, std::string_view sql)> beforeStatement;
};

// Null when the scratch folder cannot be made or SQLite cannot open the file.
std::unique_ptr<Database> openDiskBackedDatabase(DatabaseFiles files);

} // namespace tv::memory
