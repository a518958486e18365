#pragma once
// Paths in the one form that comparisons of folders and files use.

#include <string>

namespace tv::engine {

// Backslashes, no "\\?\" prefix, no trailing separator (a drive root is "c:"), letters folded
// to lower case.
std::string comparablePath(const std::string& path);

// `outer` is `inner` or one of the folders above it; both in the comparable form.
bool sameOrAbove(const std::string& outer, const std::string& inner);

} // namespace tv::engine
