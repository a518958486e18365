#include "engine/ComparablePath.h"

#include <cctype>

namespace tv::engine {

namespace {

// Lower case for ASCII and for the accented capitals of Latin-1 (U+00C0 to U+00DE, less the
// multiplication sign), the letters French folder names use; other characters stay as they are.
std::string foldCase(const std::string& text) {
    std::string folded = text;
    for (size_t i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c < 0x80) {
            folded[i] = static_cast<char>(std::tolower(c));
        } else if (c == 0xC3 && i + 1 < folded.size()) {
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97) folded[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return folded;
}

} // namespace

std::string comparablePath(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    if (p.rfind("\\\\?\\UNC\\", 0) == 0)
        p = "\\\\" + p.substr(8);
    else if (p.rfind("\\\\?\\", 0) == 0 || p.rfind("\\\\.\\", 0) == 0)
        p = p.substr(4);
    while (p.size() > 1 && p.back() == '\\') p.pop_back();
    return foldCase(p);
}

bool sameOrAbove(const std::string& outer, const std::string& inner) {
    if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || inner[outer.size()] == '\\';
}

} // namespace tv::engine
