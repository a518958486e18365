#pragma once
// What one Internet task did in the browsers of one family.

#include <string>
#include <vector>

namespace tv::engine::browsers {

struct BrowserTaskResult {
    int filesStayed = 0;                  // cache and session files a purge could not remove
    std::vector<std::string> notCleaned;  // "Google Chrome (History)" for each store that refused
    bool cleanedAny = false;              // some installation went through the task
    std::vector<std::string> leftOpen;    // browsers left alone because they run
};

} // namespace tv::engine::browsers
