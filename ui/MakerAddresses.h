#pragma once
// The maker's web addresses, in one place. Each can be replaced when the program is built
// (CMake cache variables TV_MAKER_HOST, TV_STATS_SERVER, TV_RECOMMEND_SERVER,
// TV_PORTAL_SERVER, TV_PORTAL_HOME_OMBRELUNE, TV_PORTAL_HOME_YAHOO, TV_PORTAL_HOME_VOILA).
// Base addresses are scheme and host, without a trailing slash.

#include <string>

namespace tv::ui {

const std::string& makerHost();            // shown, spaced out, on the windows
const std::string& statisticsServer();     // where the logo and the link line lead
const std::string& recommendationServer(); // the tell-a-friend page's server
const std::string& portalServer();         // the start-page redirect server
const std::string& portalHomeOmbrelune();
const std::string& portalHomeYahoo();
const std::string& portalHomeVoila();

// The statistics server followed by the product's redirect page.
std::string statisticsRedirectAddress();

// The text in lower case (ASCII letters); spaced: with one blank after every character.
std::string lowerCase(const std::string& text);
std::string spacedLowerCase(const std::string& text);

} // namespace tv::ui
