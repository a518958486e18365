#include <windows.h>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

std::string Win32Platform::toAnsiCodePage(const std::string& utf8) {
    const std::wstring wide = widen(utf8);
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    // No best fit: a character the code page lacks becomes "?", never a look-alike. A system
    // whose ANSI code page is UTF-8 spells everything and takes neither option.
    const bool utf8System = GetACP() == CP_UTF8;
    const DWORD flags = utf8System ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = utf8System ? nullptr : "?";
    const int needed = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, fallback, nullptr);
    if (needed <= 0) return {};
    std::string bytes(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), length, bytes.data(), needed, fallback, nullptr);
    return bytes;
}

} // namespace tv::win32
