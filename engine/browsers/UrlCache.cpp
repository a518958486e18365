#include "engine/browsers/UrlCache.h"

#include <functional>

#include "engine/browsers/InternetExplorerFamily.h"

namespace tv::engine::browsers {

namespace {

// Every entry the enumeration yields, each handed to `entry`; false when the enumeration
// stopped on an error before its end.
bool eachEntry(PlatformServices& platform, const std::function<void(const std::string& url)>& entry) {
    // The probe only learns the first entry's size; a handle it may give is not used.
    const UrlCacheCall probe = platform.urlCacheFindFirst(0).call;
    if (probe.requiredSize == 0) return probe.lastError == kErrorNoMoreItems || probe.lastError == kErrorSuccess;

    UrlCacheFirst first = platform.urlCacheFindFirst(probe.requiredSize);
    if (!first.enumeration) return false; // nothing to go on with: the entries stay
    if (first.call.ok) entry(first.call.sourceUrl);

    int failedFetches = 0;
    for (;;) {
        const UrlCacheCall next = first.enumeration->findNext(0);
        if (next.lastError == kErrorNoMoreItems) return true;
        if (next.lastError != kErrorInsufficientBuffer) return false; // an error we cannot get past
        const UrlCacheCall fetched = first.enumeration->findNext(next.requiredSize);
        if (fetched.ok) {
            failedFetches = 0;
            entry(fetched.sourceUrl);
        } else if (++failedFetches >= kUrlCacheFetchRetries) {
            return false;
        }
    }
} // the enumeration handle closes here

} // namespace

bool PurgeUrlCache(PlatformServices& platform, std::uint64_t* removed) {
    bool allGone = true;
    const bool whole = eachEntry(platform, [&](const std::string& url) {
        if (!platform.deleteUrlCacheEntry(url))
            allGone = false; // an entry in use stays
        else if (removed)
            ++*removed;
    });
    return whole && allGone;
}

std::optional<std::uint64_t> CountUrlCache(PlatformServices& platform) {
    std::uint64_t count = 0;
    if (!eachEntry(platform, [&](const std::string&) { ++count; })) return std::nullopt;
    return count;
}

} // namespace tv::engine::browsers
