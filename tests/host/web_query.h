#pragma once
// Reads a web address's query back as its server would: split at "&", then decoded.

#include <cstddef>
#include <map>
#include <string>

namespace tv::uitest {

inline std::string percentDecoded(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// Each parameter's decoded value; a repeated name would show as a lost parameter.
inline std::map<std::string, std::string> queryParameters(const std::string& address) {
    std::map<std::string, std::string> parameters;
    const std::size_t question = address.find('?');
    if (question == std::string::npos) return parameters;
    std::size_t start = question + 1;
    while (start <= address.size()) {
        std::size_t end = address.find('&', start);
        if (end == std::string::npos) end = address.size();
        const std::string pair = address.substr(start, end - start);
        const std::size_t eq = pair.find('=');
        parameters[pair.substr(0, eq)] = eq == std::string::npos ? "" : percentDecoded(pair.substr(eq + 1));
        start = end + 1;
    }
    return parameters;
}

} // namespace tv::uitest
