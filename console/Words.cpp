#include "console/Words.h"

namespace tv::console {

namespace {
constexpr const char* kNoBreak = "\u00A0";
} // namespace

std::string quotedFrench(std::string_view text) { return "«\u00A0" + std::string(text) + "\u00A0»"; }

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string numberText(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string text;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) text += kNoBreak;
        text += digits[at];
    }
    return text;
}

std::string bytesText(std::uint64_t bytes) {
    if (bytes < 1024) return numberText(bytes) + kNoBreak + (bytes == 1 ? "octet" : "octets");
    static constexpr const char* kUnits[] = {"Ko", "Mo", "Go", "To"};
    std::size_t unit = 0;
    std::uint64_t scale = 1024;
    while (unit + 1 < std::size(kUnits) && bytes / scale >= 1024) {
        scale *= 1024;
        ++unit;
    }
    // Tenths, rounded: 1,5 Mo.
    const std::uint64_t tenths = (bytes * 10 + scale / 2) / scale;
    std::string text = numberText(tenths / 10);
    if (tenths % 10 != 0) {
        text += ',';
        text += std::to_string(tenths % 10);
    }
    return text + kNoBreak + kUnits[unit];
}

std::string filesStayedText(std::uint64_t count) {
    return count == 1 ? "1 fichier n'a pas été supprimé" : numberText(count) + " fichiers n'ont pas été supprimés";
}

std::string quotedArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) return std::string(argument);
    // The rules by which a program splits its command line: backslashes count only before a
    // quote, where each is doubled.
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string commandLineText(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) line += ' ';
        line += quotedArgument(word);
    }
    return line;
}

} // namespace tv::console
