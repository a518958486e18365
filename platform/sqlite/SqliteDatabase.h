#pragma once
// The database interface on SQLite, for both platforms: a file on disk opened read-write and
// never created, its schema not trusted (defensive mode on, trusted_schema off).

#include <memory>
#include <string>

#include "platform/PlatformServices.h"

struct sqlite3;

namespace tv::sqlite {

// Opens an existing database file (UTF-8 path) read-write; null when it cannot be opened.
std::unique_ptr<Database> openFile(const std::string& path);

// The interface over a connection already open; it closes the connection.
std::unique_ptr<Database> adopt(::sqlite3* db);

} // namespace tv::sqlite
