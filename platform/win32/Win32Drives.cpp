// Where a path lies: told from its form first, then asked of the system for its drive letter.
// Nothing on the drive is opened: a network host is never reached to answer.

#include <windows.h>

#include <cwctype>
#include <string_view>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

bool startsWithNoCase(std::wstring_view text, std::wstring_view start) {
    if (text.size() < start.size()) return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (std::towupper(text[i]) != std::towupper(start[i])) return false;
    return true;
}

// A drive letter substituted for a share ("subst X: \\server\share") names the share in its
// device's target.
bool substitutedForShare(wchar_t letter) {
    const wchar_t device[] = {letter, L':', L'\0'};
    wchar_t target[1024] = {};
    if (QueryDosDeviceW(device, target, static_cast<DWORD>(std::size(target))) == 0) return false;
    return startsWithNoCase(target, L"\\??\\UNC\\");
}

} // namespace

DriveKind Win32Platform::driveKind(const std::string& path) {
    const std::wstring wide = widen(path);
    std::wstring_view rest = wide;
    if (startsWithNoCase(rest, L"\\\\?\\UNC\\")) return DriveKind::Network;
    if (startsWithNoCase(rest, L"\\\\?\\") || startsWithNoCase(rest, L"\\??\\"))
        rest.remove_prefix(4);
    else if (startsWithNoCase(rest, L"\\\\"))
        return startsWithNoCase(rest, L"\\\\.\\") ? DriveKind::Device : DriveKind::Network;
    if (rest.size() < 2 || rest[1] != L':' || !std::iswalpha(rest[0])) return DriveKind::Device;
    const wchar_t root[] = {static_cast<wchar_t>(std::towupper(rest[0])), L':', L'\\', L'\0'};
    switch (GetDriveTypeW(root)) {
    case DRIVE_REMOTE:
        return DriveKind::Network;
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
        return substitutedForShare(root[0]) ? DriveKind::Network : DriveKind::Local;
    case DRIVE_NO_ROOT_DIR:
        return DriveKind::Absent;
    default:
        return DriveKind::Device;
    }
}

} // namespace tv::win32
