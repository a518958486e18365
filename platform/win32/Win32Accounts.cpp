#include <windows.h>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

// The name fits the caller's buffer or the call fails: a truncated name is never returned.
template <typename Read>
NameRead readName(std::uint32_t bufferChars, Read read) {
    NameRead result;
    std::wstring buffer(bufferChars, L'\0');
    DWORD size = bufferChars;
    if (!read(bufferChars ? buffer.data() : nullptr, &size)) {
        result.lastError = GetLastError();
        return result;
    }
    result.ok = true;
    buffer.resize(std::min<size_t>(buffer.find(L'\0'), buffer.size()));
    result.name = narrow(buffer);
    return result;
}

// The accessors below read the identifier's bytes; these checks keep them inside the buffer.
bool holdsHeader(const std::vector<std::uint8_t>& sid) { return sid.size() >= 8; }

PSID asSid(const std::vector<std::uint8_t>& sid) { return const_cast<std::uint8_t*>(sid.data()); }

} // namespace

NameRead Win32Platform::userName(std::uint32_t bufferChars) {
    return readName(bufferChars, [](wchar_t* buffer, DWORD* size) { return GetUserNameW(buffer, size) != FALSE; });
}

NameRead Win32Platform::computerName(std::uint32_t bufferChars) {
    return readName(bufferChars,
                    [](wchar_t* buffer, DWORD* size) { return GetComputerNameW(buffer, size) != FALSE; });
}

AccountLookup Win32Platform::lookupAccountName(const std::string& system, const std::string& account,
                                               std::uint32_t sidBufferSize, std::uint32_t domainChars) {
    const std::wstring wideSystem = widen(system);
    const std::wstring wideAccount = widen(account);
    std::vector<std::uint8_t> sid(sidBufferSize);
    std::wstring domain(domainChars, L'\0');
    DWORD sidSize = sidBufferSize;
    DWORD domainSize = domainChars;
    SID_NAME_USE use = SidTypeUnknown;
    AccountLookup lookup;
    lookup.ok = LookupAccountNameW(wideSystem.empty() ? nullptr : wideSystem.c_str(), wideAccount.c_str(),
                                   sidBufferSize ? sid.data() : nullptr, &sidSize,
                                   domainChars ? domain.data() : nullptr, &domainSize, &use) != FALSE;
    lookup.lastError = lookup.ok ? 0 : GetLastError();
    lookup.sidSize = sidSize;
    if (lookup.ok) {
        const DWORD length = IsValidSid(sid.data()) ? GetLengthSid(sid.data()) : sidBufferSize;
        sid.resize(std::min<size_t>(length, sid.size()));
        lookup.sidSize = static_cast<std::uint32_t>(sid.size());
        lookup.sid = std::move(sid);
    }
    return lookup;
}

bool Win32Platform::isValidSid(const std::vector<std::uint8_t>& sid) {
    if (!holdsHeader(sid)) return false;
    // The count sits in the second byte; the sub-authorities must all be in the buffer.
    if (sid.size() < 8u + 4u * sid[1]) return false;
    return IsValidSid(asSid(sid)) != FALSE;
}

std::array<std::uint8_t, 6> Win32Platform::sidIdentifierAuthority(const std::vector<std::uint8_t>& sid) {
    std::array<std::uint8_t, 6> authority{};
    if (!holdsHeader(sid)) return authority;
    const SID_IDENTIFIER_AUTHORITY* value = GetSidIdentifierAuthority(asSid(sid));
    for (size_t i = 0; i < authority.size(); ++i) authority[i] = value->Value[i];
    return authority;
}

std::uint8_t Win32Platform::sidSubAuthorityCount(const std::vector<std::uint8_t>& sid) {
    return holdsHeader(sid) ? *GetSidSubAuthorityCount(asSid(sid)) : 0;
}

std::uint32_t Win32Platform::sidSubAuthority(const std::vector<std::uint8_t>& sid, std::uint32_t index) {
    if (!holdsHeader(sid) || index >= sidSubAuthorityCount(sid) || sid.size() < 8u + 4u * (index + 1u)) return 0;
    return *GetSidSubAuthority(asSid(sid), index);
}

} // namespace tv::win32
