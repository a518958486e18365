// Windows-1252 for the in-memory platform: what a French system's ANSI code page gives.

#include "platform/memory/MemoryPlatform.h"

#include <cstddef>
#include <cstdint>

namespace tv::memory {

namespace {

// Characters of 0x80 to 0x9F, where Windows-1252 differs from Latin-1; 0 where the code
// page keeps the control character of that number.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char toWindows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < 32; ++i) {
        const char32_t mapped = kHighControls[i] ? kHighControls[i] : static_cast<char32_t>(0x80 + i);
        if (mapped == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// The code point that starts at `at`, and how many bytes it takes; a byte that does not
// start a well-formed sequence stands alone, as U+FFFD.
char32_t decodeUtf8(const std::string& text, std::size_t at, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    length = 1;
    if (lead < 0x80) return lead;
    std::size_t count = 0;
    char32_t c = 0, least = 0;
    if ((lead & 0xE0) == 0xC0) count = 1, c = lead & 0x1F, least = 0x80;
    else if ((lead & 0xF0) == 0xE0) count = 2, c = lead & 0x0F, least = 0x800;
    else if ((lead & 0xF8) == 0xF0) count = 3, c = lead & 0x07, least = 0x10000;
    else return 0xFFFD;
    if (at + count >= text.size()) return 0xFFFD;
    for (std::size_t i = 1; i <= count; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
    length = count + 1;
    return c;
}

} // namespace

std::string MemoryPlatform::toAnsiCodePage(const std::string& utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t length = 1;
        const char32_t c = decodeUtf8(utf8, at, length);
        // Windows converts UTF-16 units: a character beyond 16 bits is two of them, two "?".
        if (c > 0xFFFF) bytes += '?';
        bytes += toWindows1252(c);
        at += length;
    }
    return bytes;
}

} // namespace tv::memory
