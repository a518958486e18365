#include "ui/MakerAddresses.h"

// Defaults: fictitious hosts under the reserved ".example" domain. The build replaces them
// through compile definitions on this file's library.
#ifndef TV_MAKER_HOST
#define TV_MAKER_HOST "www.tarmel.example"
#endif
#ifndef TV_STATS_SERVER
#define TV_STATS_SERVER "http://www.tarmel.example"
#endif
#ifndef TV_RECOMMEND_SERVER
#define TV_RECOMMEND_SERVER "http://www.tarmel.example"
#endif
#ifndef TV_PORTAL_SERVER
#define TV_PORTAL_SERVER "http://www.ombrelune.example"
#endif
#ifndef TV_PORTAL_HOME_OMBRELUNE
#define TV_PORTAL_HOME_OMBRELUNE TV_PORTAL_SERVER
#endif
#ifndef TV_PORTAL_HOME_YAHOO
#define TV_PORTAL_HOME_YAHOO "http://fr.yahoo.example"
#endif
#ifndef TV_PORTAL_HOME_VOILA
#define TV_PORTAL_HOME_VOILA "http://www.voila.example"
#endif

namespace tv::ui {

namespace {
// A configured base may carry a trailing slash; the paths appended here bring their own.
std::string withoutTrailingSlash(std::string address) {
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address;
}
} // namespace

const std::string& makerHost() {
    static const std::string value = TV_MAKER_HOST;
    return value;
}
const std::string& statisticsServer() {
    static const std::string value = withoutTrailingSlash(TV_STATS_SERVER);
    return value;
}
const std::string& recommendationServer() {
    static const std::string value = withoutTrailingSlash(TV_RECOMMEND_SERVER);
    return value;
}
const std::string& portalServer() {
    static const std::string value = withoutTrailingSlash(TV_PORTAL_SERVER);
    return value;
}
const std::string& portalHomeOmbrelune() {
    static const std::string value = TV_PORTAL_HOME_OMBRELUNE;
    return value;
}
const std::string& portalHomeYahoo() {
    static const std::string value = TV_PORTAL_HOME_YAHOO;
    return value;
}
const std::string& portalHomeVoila() {
    static const std::string value = TV_PORTAL_HOME_VOILA;
    return value;
}

std::string statisticsRedirectAddress() { return statisticsServer() + "/redirect.php?what=Tarmel_Veilo"; }

std::string lowerCase(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string spacedLowerCase(const std::string& text) {
    std::string spaced;
    spaced.reserve(text.size() * 2);
    for (char c : lowerCase(text)) {
        spaced += c;
        spaced += ' ';
    }
    return spaced;
}

} // namespace tv::ui
