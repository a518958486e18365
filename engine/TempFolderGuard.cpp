#include "engine/TempFolderGuard.h"

#include <array>
#include <cctype>

namespace tv::engine {

namespace {

constexpr std::array kProtectedFolders = {KnownFolder::Windows,      KnownFolder::System,
                                          KnownFolder::Profile,      KnownFolder::ProgramFiles,
                                          KnownFolder::ProgramFilesX86, KnownFolder::Desktop,
                                          KnownFolder::Documents};

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

} // namespace

bool IsPurgeableTempFolder(PlatformServices& platform, const std::string& path) {
    const std::string given = comparablePath(path);
    if (given.empty() || !isAbsolute(given) || isRoot(given)) return false;
    const std::string resolved = comparablePath(platform.finalFolderPath(path));
    if (resolved.empty() || !isAbsolute(resolved) || isRoot(resolved)) return false;

    // Whether the folder is the temporary folder (`exactly`) or lies within it.
    auto holds = [&](const std::string& folder, bool exactly) {
        if (folder.empty()) return false;
        const std::string asNamed = comparablePath(folder);
        const std::string real = comparablePath(platform.finalFolderPath(folder));
        for (const std::string& temp : {given, resolved}) {
            for (const std::string& place : {asNamed, real})
                if (!place.empty() && (exactly ? temp == place : sameOrAbove(temp, place))) return true;
        }
        return false;
    };
    for (KnownFolder folder : kProtectedFolders)
        if (holds(platform.knownFolderPath(folder), false)) return false;
    // The program's own folder inside it is left as it is by the purge; the folder itself
    // would be the program's.
    return !holds(platform.programFolder(), true);
}

std::string ProgramFolderWithin(PlatformServices& platform, const std::string& path) {
    const std::string program = platform.programFolder();
    if (program.empty()) return {};
    std::string real = platform.finalFolderPath(program);
    if (real.empty()) real = program;
    for (const std::string& temp : {comparablePath(path), comparablePath(platform.finalFolderPath(path))}) {
        const std::string inner = comparablePath(real);
        if (!temp.empty() && temp != inner && sameOrAbove(temp, inner)) return real;
    }
    return {};
}

} // namespace tv::engine
