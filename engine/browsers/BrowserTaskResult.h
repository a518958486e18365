#pragma once
// What one Internet task did in the browsers of one family, beside what it put in the report.

namespace tv::engine::browsers {

struct BrowserTaskResult {
    bool cleanedAny = false; // some installation went through the task
    bool storeLeft = false;  // some store of theirs stayed as it was
};

} // namespace tv::engine::browsers
