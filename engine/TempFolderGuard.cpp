#include "engine/TempFolderGuard.h"

#include <array>
#include <cctype>

namespace tv::engine {

namespace {

constexpr std::array kProtectedFolders = {KnownFolder::Windows,      KnownFolder::System,
                                          KnownFolder::Profile,      KnownFolder::ProgramFiles,
                                          KnownFolder::ProgramFilesX86, KnownFolder::Desktop,
                                          KnownFolder::Documents};

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

bool isDrive(const std::string& p) { return p.size() == 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':'; }

bool isAbsolute(const std::string& p) {
    return (p.size() >= 2 && isDrive(p.substr(0, 2)) && (p.size() == 2 || p[2] == '\\')) || p.rfind("\\\\", 0) == 0;
}

// "c:", "\\server", "\\server\share".
bool isRoot(const std::string& p) {
    if (isDrive(p)) return true;
    if (p.rfind("\\\\", 0) != 0) return false;
    const size_t server = p.find('\\', 2);
    return server == std::string::npos || p.find('\\', server + 1) == std::string::npos;
}

// `outer` is `inner` or one of the folders above it.
bool sameOrAbove(const std::string& outer, const std::string& inner) {
    if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || inner[outer.size()] == '\\';
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

bool IsPurgeableTempFolder(PlatformServices& platform, const std::string& path) {
    const std::string given = comparablePath(path);
    if (given.empty() || !isAbsolute(given) || isRoot(given)) return false;
    const std::string resolved = comparablePath(platform.finalFolderPath(path));
    if (resolved.empty() || !isAbsolute(resolved) || isRoot(resolved)) return false;

    auto holds = [&](const std::string& folder) {
        if (folder.empty()) return false;
        const std::string asNamed = comparablePath(folder);
        const std::string real = comparablePath(platform.finalFolderPath(folder));
        for (const std::string& temp : {given, resolved}) {
            if (sameOrAbove(temp, asNamed)) return true;
            if (!real.empty() && sameOrAbove(temp, real)) return true;
        }
        return false;
    };
    for (KnownFolder folder : kProtectedFolders)
        if (holds(platform.knownFolderPath(folder))) return false;
    return !holds(platform.programFolder());
}

} // namespace tv::engine
