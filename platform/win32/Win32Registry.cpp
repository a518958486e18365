#include <windows.h>
#include <winternl.h>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

HKEY root(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

HKEY handleOf(const RegKey& key) { return reinterpret_cast<HKEY>(key.id()); }

// The registry's own deletion of an open key: it takes the key the handle holds, where
// every advapi32 deletion names the key again and would follow a link in its place.
extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE key);

} // namespace

RegKey Win32Platform::openKey(Hive hive, const std::string& path, std::uint32_t access) {
    HKEY key = nullptr;
    if (const LONG error = RegOpenKeyExW(root(hive), widen(path).c_str(), 0, access, &key); error != ERROR_SUCCESS)
        return RegKey::failed(static_cast<std::uint32_t>(error));
    return RegKey(this, reinterpret_cast<std::uintptr_t>(key));
}

RegKey Win32Platform::createKey(Hive hive, const std::string& path) {
    HKEY key = nullptr;
    if (const LONG error = RegCreateKeyExW(root(hive), widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr);
        error != ERROR_SUCCESS)
        return RegKey::failed(static_cast<std::uint32_t>(error));
    return RegKey(this, reinterpret_cast<std::uintptr_t>(key));
}

RegKey Win32Platform::openSubkey(const RegKey& parent, const std::string& name, std::uint32_t access) {
    HKEY key = nullptr;
    if (const LONG error = RegOpenKeyExW(handleOf(parent), widen(name).c_str(), REG_OPTION_OPEN_LINK, access, &key);
        error != ERROR_SUCCESS)
        return RegKey::failed(static_cast<std::uint32_t>(error));
    return RegKey(this, reinterpret_cast<std::uintptr_t>(key));
}

RegKey Win32Platform::createSubkey(const RegKey& parent, const std::string& name) {
    HKEY key = nullptr;
    if (const LONG error = RegCreateKeyExW(handleOf(parent), widen(name).c_str(), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE | REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, nullptr,
                                           &key, nullptr);
        error != ERROR_SUCCESS)
        return RegKey::failed(static_cast<std::uint32_t>(error));
    return RegKey(this, reinterpret_cast<std::uintptr_t>(key));
}

bool Win32Platform::isLink(const RegKey& key) {
    // A link holds its target in this one value, of a type no other value has.
    DWORD type = REG_NONE;
    const LONG read = RegQueryValueExW(handleOf(key), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr);
    return (read == ERROR_SUCCESS || read == ERROR_MORE_DATA) && type == REG_LINK;
}

std::optional<RegKeyInfo> Win32Platform::queryKeyInfo(const RegKey& key) {
    DWORD subkeys = 0;
    DWORD longest = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(handleOf(key), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return RegKeyInfo{subkeys, longest, values};
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

bool Win32Platform::deleteOpenKey(const RegKey& key) { return NT_SUCCESS(NtDeleteKey(handleOf(key))); }

bool Win32Platform::hasValue(const RegKey& key, const std::string& valueName) {
    const LONG read = RegQueryValueExW(handleOf(key), widen(valueName).c_str(), nullptr, nullptr, nullptr, nullptr);
    return read == ERROR_SUCCESS || read == ERROR_MORE_DATA;
}

std::optional<std::string> Win32Platform::enumValue(const RegKey& key, std::uint32_t index) {
    constexpr DWORD kLongestValueName = 16383; // the registry's own limit, in characters
    std::wstring name(kLongestValueName + 1, L'\0');
    DWORD length = kLongestValueName + 1;
    if (RegEnumValueW(handleOf(key), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    name.resize(length);
    return narrow(name);
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

std::optional<std::string> Win32Platform::stringValue(const RegKey& key, const std::string& valueName) {
    const std::wstring name = widen(valueName);
    // A value may grow between the size asked and the read: asked again, a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = REG_NONE;
        DWORD bytes = 0;
        if (RegQueryValueExW(handleOf(key), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD read = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        const LONG result =
            RegQueryValueExW(handleOf(key), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        data.resize(read / sizeof(wchar_t));
        // The stored terminator, and any the writer added, are no part of the text.
        while (!data.empty() && data.back() == L'\0') data.pop_back();
        return narrow(data);
    }
    return std::nullopt;
}

void Win32Platform::closeKey(std::uintptr_t id) {
    if (id) RegCloseKey(reinterpret_cast<HKEY>(id));
}

} // namespace tv::win32
