#include "platform/memory/MemoryPlatform.h"

namespace tv::memory {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && equalsNoCase(std::string(text.substr(0, start.size())), std::string(start));
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

} // namespace

// Read from the path's form as the system reads it; a letter's kind is the test's to set,
// and a letter the tree has no drive for is absent.
DriveKind MemoryPlatform::driveKind(const std::string& path) {
    std::string_view rest = path;
    if (startsWithNoCase(rest, "\\\\?\\UNC\\")) return DriveKind::Network;
    if (startsWithNoCase(rest, "\\\\?\\"))
        rest.remove_prefix(4);
    else if (startsWithNoCase(rest, "\\\\"))
        return startsWithNoCase(rest, "\\\\.\\") ? DriveKind::Device : DriveKind::Network;
    if (rest.size() < 2 || !isLetter(rest[0]) || rest[1] != ':') return DriveKind::Device;
    const char letter = static_cast<char>(rest[0] >= 'a' ? rest[0] - 'a' + 'A' : rest[0]);
    const auto set = driveKinds.find(letter);
    if (set != driveKinds.end()) return set->second;
    return files.exists(std::string(1, letter) + ":") ? DriveKind::Local : DriveKind::Absent;
}

} // namespace tv::memory
