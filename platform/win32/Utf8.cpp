#include "platform/win32/Utf8.h"

#include <windows.h>

#include <climits>

namespace tv::win32 {

std::wstring widen(std::string_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string narrow(std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

std::string narrowUntilNul(const wchar_t* text) { return text ? narrow(std::wstring_view(text)) : std::string(); }

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDriveAbsolute(const std::wstring& p) {
    return p.size() >= 3 && ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) && p[1] == L':' &&
           isSeparator(p[2]);
}

bool isUnc(const std::wstring& p) {
    return p.size() >= 3 && isSeparator(p[0]) && isSeparator(p[1]) && p[2] != L'?' && p[2] != L'.' &&
           !isSeparator(p[2]);
}

bool isPrefixed(const std::wstring& p) {
    return p.size() >= 4 && p[0] == L'\\' && p[1] == L'\\' && (p[2] == L'?' || p[2] == L'.') && p[3] == L'\\';
}

// True when a component is "." or "..": the long form would take it as a name.
bool hasDotComponent(const std::wstring& p) {
    size_t start = 0;
    while (start <= p.size()) {
        size_t end = start;
        while (end < p.size() && p[end] != L'\\') ++end;
        const size_t length = end - start;
        if ((length == 1 && p[start] == L'.') || (length == 2 && p[start] == L'.' && p[start + 1] == L'.'))
            return true;
        start = end + 1;
    }
    return false;
}

std::wstring fullPath(const std::wstring& p) {
    DWORD size = static_cast<DWORD>(p.size() + 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::wstring buffer(size, L'\0');
        const DWORD written = GetFullPathNameW(p.c_str(), size, buffer.data(), nullptr);
        if (written == 0) return p;
        if (written < size) {
            buffer.resize(written);
            return buffer;
        }
        size = written;
    }
    return p;
}

} // namespace

std::wstring systemPath(std::string_view path) {
    std::wstring p = widen(path);
    if (isPrefixed(p)) return p;
    const bool drive = isDriveAbsolute(p);
    const bool unc = !drive && isUnc(p);
    if (!drive && !unc) return p;
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    if (hasDotComponent(p)) p = fullPath(p);
    if (drive) return L"\\\\?\\" + p;
    return L"\\\\?\\UNC\\" + p.substr(2);
}

} // namespace tv::win32
