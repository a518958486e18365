#include <windows.h>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

HKEY root(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

HKEY handleOf(const RegKey& key) { return reinterpret_cast<HKEY>(key.id()); }

} // namespace

RegKey Win32Platform::openKey(Hive hive, const std::string& path, std::uint32_t access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root(hive), widen(path).c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
    return RegKey(this, reinterpret_cast<std::uintptr_t>(key));
}

RegKey Win32Platform::createKey(Hive hive, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root(hive), widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return {};
    return RegKey(this, reinterpret_cast<std::uintptr_t>(key));
}

std::optional<RegKeyInfo> Win32Platform::queryKeyInfo(const RegKey& key) {
    DWORD subkeys = 0;
    DWORD longest = 0;
    if (RegQueryInfoKeyW(handleOf(key), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return RegKeyInfo{subkeys, longest};
}

std::optional<std::string> Win32Platform::enumSubkey(const RegKey& key, std::uint32_t index,
                                                     std::uint32_t bufferChars) {
    if (bufferChars == 0) return std::nullopt;
    std::wstring name(bufferChars, L'\0');
    DWORD length = bufferChars;
    if (RegEnumKeyExW(handleOf(key), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
        return std::nullopt;
    name.resize(length);
    return narrow(name);
}

bool Win32Platform::deleteKey(Hive hive, const std::string& path) {
    return RegDeleteKeyW(root(hive), widen(path).c_str()) == ERROR_SUCCESS;
}

bool Win32Platform::deleteKeyTree(Hive hive, const std::string& path) {
    // An empty path would empty the whole hive.
    if (path.empty()) return false;
    return RegDeleteTreeW(root(hive), widen(path).c_str()) == ERROR_SUCCESS;
}

bool Win32Platform::deleteValue(const RegKey& key, const std::string& valueName) {
    return RegDeleteValueW(handleOf(key), widen(valueName).c_str()) == ERROR_SUCCESS;
}

bool Win32Platform::setStringValue(const RegKey& key, const std::string& valueName, const std::string& text) {
    const std::wstring data = widen(text);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)); // with the terminator
    return RegSetValueExW(handleOf(key), widen(valueName).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}

void Win32Platform::closeKey(std::uintptr_t id) {
    if (id) RegCloseKey(reinterpret_cast<HKEY>(id));
}

} // namespace tv::win32
