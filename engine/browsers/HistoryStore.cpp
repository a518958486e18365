#include <cstdio>

#include "engine/browsers/HistoryStore.h"
#include "engine/CleanerError.h"

namespace tv::engine::browsers {

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

// The store's history interface, or the error the run ends on.
std::unique_ptr<UrlHistoryStg2> openHistory(PlatformServices& platform, UrlHistoryCreation& creation) {
    creation = platform.createUrlHistory();
    if (creation.hresult < 0 || !creation.object) throw CleanerError(creationFailure(platform, creation.hresult));
    std::unique_ptr<UrlHistoryStg2> history = creation.object->queryHistoryStg2();
    if (!history) throw CleanerError("Interface not supported");
    return history;
}

} // namespace

std::optional<std::uint64_t> HistoryEntryCount(PlatformServices& platform) {
    UrlHistoryCreation creation;
    return openHistory(platform, creation)->entryCount();
}

bool clear_history(PlatformServices& platform) {
    UrlHistoryCreation creation;
    std::unique_ptr<UrlHistoryStg2> history = openHistory(platform, creation);
    // A store that answers it did not clear (refused, or not implemented) keeps its history.
    return history->clearHistory() >= 0;
} // both references are released here, on every path

} // namespace tv::engine::browsers
