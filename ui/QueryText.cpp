#include "ui/QueryText.h"

namespace tv::ui {

namespace {
bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}
} // namespace

std::string queryText(PlatformServices& platform, const std::string& typed) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string bytes = platform.toAnsiCodePage(typed);
    std::string encoded;
    encoded.reserve(bytes.size() * 3);
    for (char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (unreserved(c)) {
            encoded += byte;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

} // namespace tv::ui
