#pragma once
// A database read from its bytes, never from its file: the bytes of the file and of its
// write-ahead log are taken as they are, the log's committed frames laid over the file's pages
// in memory, and the result opened read-only. Whoever holds the files, nothing of them is
// locked, checkpointed or written.

#include <memory>
#include <optional>
#include <string>

#include "platform/PlatformServices.h"

namespace tv::sqlite {

// The file's pages with the log's committed frames laid over them; nothing when the log is
// not one of this file's (other page size) or the result is no database.
std::optional<std::string> withLogApplied(std::string file, const std::optional<std::string>& log);

// A read-only database over those bytes; null when they are no database.
std::unique_ptr<Database> openCopy(const std::string& file, const std::optional<std::string>& log);

} // namespace tv::sqlite
