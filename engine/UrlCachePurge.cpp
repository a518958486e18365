#include "engine/BrowserCleaners.h"

namespace tv::engine {

void PurgeUrlCache(PlatformServices& platform) {
    // The probe only learns the first entry's size; a handle it may give is not used.
    const std::uint32_t firstSize = platform.urlCacheFindFirst(0).call.requiredSize;
    if (firstSize == 0) return;

    UrlCacheFirst first = platform.urlCacheFindFirst(firstSize);
    if (!first.enumeration) return; // nothing to go on with
    if (first.call.ok) platform.deleteUrlCacheEntry(first.call.sourceUrl);

    int failedFetches = 0;
    for (;;) {
        const UrlCacheCall probe = first.enumeration->findNext(0);
        if (probe.lastError != kErrorInsufficientBuffer) break; // the end, or an error we cannot get past
        const UrlCacheCall entry = first.enumeration->findNext(probe.requiredSize);
        if (entry.ok) {
            failedFetches = 0;
            platform.deleteUrlCacheEntry(entry.sourceUrl); // an entry in use stays
        } else if (++failedFetches >= kUrlCacheFetchRetries) {
            break;
        }
    }
} // the enumeration handle closes here

} // namespace tv::engine
