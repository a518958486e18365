#include <cstdio>

#include "engine/SidText.h"
#include "engine/CleanerError.h"

namespace tv::engine {

std::string SidToText(PlatformServices& platform, const std::vector<std::uint8_t>& sid) {
    if (!platform.isValidSid(sid)) throw CleanerError("Invalid SID");
    const std::array<std::uint8_t, 6> authority = platform.sidIdentifierAuthority(sid);
    const unsigned count = platform.sidSubAuthorityCount(sid);

    std::string text = "S-1-";
    char piece[24];
    if (authority[0] != 0 || authority[1] != 0) {
        // Too large for the decimal form: all six bytes in hexadecimal.
        std::snprintf(piece, sizeof piece, "0x%02X%02X%02X%02X%02X%02X", authority[0], authority[1], authority[2],
                      authority[3], authority[4], authority[5]);
    } else {
        const std::uint32_t value = (static_cast<std::uint32_t>(authority[2]) << 24) |
                                    (static_cast<std::uint32_t>(authority[3]) << 16) |
                                    (static_cast<std::uint32_t>(authority[4]) << 8) | authority[5];
        std::snprintf(piece, sizeof piece, "%lu", static_cast<unsigned long>(value));
    }
    text += piece;
    for (unsigned i = 0; i < count; ++i) {
        std::snprintf(piece, sizeof piece, "-%lu", static_cast<unsigned long>(platform.sidSubAuthority(sid, i)));
        text += piece;
    }
    return text;
}

} // namespace tv::engine
