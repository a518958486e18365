#pragma once
// Folders of a browser's data reached one name at a time, each opened as itself: a link
// anywhere on the way is never followed, and what lies behind it is left alone.

#include <memory>
#include <string>
#include <string_view>

#include "engine/Names.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

enum class Reach { Missing, Refused, Open };

struct ReachedFolder {
    Reach reach = Reach::Missing;
    std::unique_ptr<EntryHandle> handle; // set when open
};

// The folder `relative` (backslash-separated names) below an open folder.
ReachedFolder openPlainFolder(EntryHandle& from, std::string_view relative);
// The same below a folder named by its path, which is taken as the system gives it.
ReachedFolder openPlainFolder(PlatformServices& platform, const std::string& base, std::string_view relative);

// Whether the folder holds an entry `name` that is no folder: a file, even one another
// program holds.
bool holdsFile(EntryHandle& folder, std::string_view name);

// Splits "a\b\c" into "a\b" and "c".
std::pair<std::string_view, std::string_view> splitLast(std::string_view path);

} // namespace tv::engine::browsers
