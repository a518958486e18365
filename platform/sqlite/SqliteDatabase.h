#pragma once
// The database interface on SQLite, for both platforms: a file on disk opened read-write and
// never created, or a file's bytes held in memory and handed back at close.

#include <functional>
#include <memory>
#include <string>

#include "platform/PlatformServices.h"

namespace tv::sqlite {

// Opens an existing database file (UTF-8 path) read-write; null when it cannot be opened.
std::unique_ptr<Database> openFile(const std::string& path);

// A database made of a file's bytes; at close, `writeBack` receives the bytes as they then
// stand and says whether it kept them.
std::unique_ptr<Database> openImage(const std::string& bytes, std::function<bool(std::string)> writeBack);

} // namespace tv::sqlite
