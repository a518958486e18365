#pragma once
// The few rules every part of the engine reads names and paths by, written once.

#include <string>
#include <string_view>
#include <vector>

namespace tv::engine {

// Names and paths compare as Windows compares them: letters A to Z case aside (one rule for
// files, folders and registry keys alike; other letters compare as they are).
char lowerAscii(char c);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view start);
bool endsWithNoCase(std::string_view text, std::string_view end);

// One name and nothing more: joined to a folder it can only mean an entry of that folder
// (never "", ".", "..", nor a name holding a separator or a NUL).
bool isSingleName(std::string_view name);
// A single name that the system also takes literally: no pattern, stream or device character.
bool isPlainName(std::string_view name);

// `folder` and `relative` with one backslash between them (none added after a trailing one,
// nor before an empty relative part).
std::string joinPath(std::string_view folder, std::string_view relative);

// Characters, not bytes, of a UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// Adds `item` unless the list already names it.
void addOnce(std::vector<std::string>& list, const std::string& item);

} // namespace tv::engine
