#include "engine/BrowserCleaners.h"

namespace tv::engine {

bool PurgeUrlCache(PlatformServices& platform) {
    // The probe only learns the first entry's size; a handle it may give is not used.
    const UrlCacheCall probe = platform.urlCacheFindFirst(0).call;
    if (probe.requiredSize == 0) return probe.lastError == kErrorNoMoreItems || probe.lastError == kErrorSuccess;

    UrlCacheFirst first = platform.urlCacheFindFirst(probe.requiredSize);
    if (!first.enumeration) return false; // nothing to go on with: the entries stay
    bool allGone = true;
    if (first.call.ok) allGone = platform.deleteUrlCacheEntry(first.call.sourceUrl);

    int failedFetches = 0;
    for (;;) {
        const UrlCacheCall next = first.enumeration->findNext(0);
        if (next.lastError == kErrorNoMoreItems) return allGone;
        if (next.lastError != kErrorInsufficientBuffer) return false; // an error we cannot get past
        const UrlCacheCall entry = first.enumeration->findNext(next.requiredSize);
        if (entry.ok) {
            failedFetches = 0;
            if (!platform.deleteUrlCacheEntry(entry.sourceUrl)) allGone = false; // an entry in use stays
        } else if (++failedFetches >= kUrlCacheFetchRetries) {
            return false;
        }
    }
} // the enumeration handle closes here

} // namespace tv::engine
