#pragma once
// UTF-8 inside, UTF-16 at the Windows boundary, and the path form that lifts the
// 260-character limit.

#include <string>
#include <string_view>

namespace tv::win32 {

std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);
// The text of a NUL-terminated buffer, up to its first NUL.
std::string narrowUntilNul(const wchar_t* text);

// An absolute drive path ("C:\...") or UNC path ("\\server\share\...") in the form that
// takes any length ("\\?\C:\...", "\\?\UNC\server\share\..."); forward slashes become
// backslashes and "." / ".." components are resolved first, since the long form takes
// every character literally. Relative and already-prefixed paths are left as they are.
std::wstring systemPath(std::string_view path);

} // namespace tv::win32
