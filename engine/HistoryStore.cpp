#include <cstdio>

#include "engine/BrowserCleaners.h"
#include "engine/CleanerError.h"

namespace tv::engine {

namespace {

std::string creationFailure(PlatformServices& platform, std::int32_t code) {
    std::string text = platform.describeError(code);
    // The system's descriptions end with a line break that has no place in a message box.
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (!text.empty()) return text;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "OLE error %.8x", static_cast<unsigned>(code));
    return buffer;
}

} // namespace

void clear_history(PlatformServices& platform) {
    UrlHistoryCreation creation = platform.createUrlHistory();
    if (creation.hresult < 0 || !creation.object) throw CleanerError(creationFailure(platform, creation.hresult));
    std::unique_ptr<UrlHistoryStg2> history = creation.object->queryHistoryStg2();
    if (!history) throw CleanerError("Interface not supported");
    // Some stores answer that clearing is not implemented; there is nothing better to do
    // about it here, so the answer is not examined.
    history->clearHistory();
} // both references are released here, on every path

} // namespace tv::engine
