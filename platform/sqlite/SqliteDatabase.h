#pragma once
// The database interface on SQLite, for both platforms: a file on disk opened read-write and
// never created, its schema not trusted (defensive mode on, trusted_schema off).

#include <memory>
#include <string>

#include "platform/PlatformServices.h"

namespace tv::sqlite {

// Opens an existing database file (UTF-8 path) read-write; null when it cannot be opened.
std::unique_ptr<Database> openFile(const std::string& path);

} // namespace tv::sqlite
