#include "engine/Names.h"

#include <algorithm>

namespace tv::engine {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool startsWithNoCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && equalsNoCase(text.substr(0, start.size()), start);
}

bool endsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && equalsNoCase(text.substr(text.size() - end.size()), end);
}

bool isSingleName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("\\/\0", 3)) == std::string_view::npos;
}

bool isPlainName(std::string_view name) {
    return isSingleName(name) && name.find_first_of(":*?\"<>|") == std::string_view::npos;
}

std::string joinPath(std::string_view folder, std::string_view relative) {
    std::string path(folder);
    if (relative.empty()) return path;
    if (!path.empty() && path.back() != '\\') path += '\\';
    path.append(relative);
    return path;
}

std::size_t characterCount(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void addOnce(std::vector<std::string>& list, const std::string& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

} // namespace tv::engine
