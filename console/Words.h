#pragma once
// The small pieces of text the console program's words are made of: French typography,
// Windows line ends, numbers and sizes as a French reader writes them, command lines.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv::console {

// Windows' line end: the text reads right in a console, a file and Notepad alike.
inline constexpr const char* kLineEnd = "\r\n";
// French typography: a no-break space before a colon, and inside the quotation marks.
inline constexpr const char* kColon = "\u00A0: ";
inline constexpr const char* kSemicolon = "\u00A0;";
std::string quotedFrench(std::string_view text); // « text »

std::string asciiLower(std::string_view text);

// 12 345 (no-break spaces between the thousands).
std::string numberText(std::uint64_t number);
// 512 octets, 12,3 Ko, 4,5 Mo, 1,2 Go.
std::string bytesText(std::uint64_t bytes);
// "1 fichier n'a pas été supprimé", "3 fichiers n'ont pas été supprimés".
std::string filesStayedText(std::uint64_t count);

// One argument as a program's command line must hold it to be read back the same: quoted
// when it holds a blank or a quote, or is empty.
std::string quotedArgument(std::string_view argument);
std::string commandLineText(const std::vector<std::string>& words);

} // namespace tv::console
