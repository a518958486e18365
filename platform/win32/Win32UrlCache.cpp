#include <windows.h>
#include <wininet.h>

#include <vector>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

struct UrlCacheTraits {
    static HANDLE none() { return nullptr; }
    static void close(HANDLE h) { FindCloseUrlCache(h); }
};
using UrlCacheHandle = UniqueHandle<HANDLE, UrlCacheTraits>;

// An entry record of exactly the size asked for, aligned for the structure it holds.
class EntryBuffer {
public:
    explicit EntryBuffer(std::uint32_t size) : size_(size), words_((size + 7) / 8) {}
    INTERNET_CACHE_ENTRY_INFOW* entry() {
        return size_ ? reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(words_.data()) : nullptr;
    }
    DWORD* size() { return &size_; }
    std::string sourceUrl() {
        return size_ >= sizeof(INTERNET_CACHE_ENTRY_INFOW) ? narrowUntilNul(entry()->lpszSourceUrlName)
                                                            : std::string();
    }

private:
    DWORD size_;
    std::vector<std::uint64_t> words_;
};

class Win32UrlCacheEnumeration : public UrlCacheEnumeration {
public:
    explicit Win32UrlCacheEnumeration(UrlCacheHandle handle) : handle_(std::move(handle)) {}
    UrlCacheCall findNext(std::uint32_t bufferSize) override {
        EntryBuffer buffer(bufferSize);
        UrlCacheCall call;
        call.ok = FindNextUrlCacheEntryW(handle_.get(), buffer.entry(), buffer.size()) != FALSE;
        call.lastError = call.ok ? 0 : GetLastError();
        call.requiredSize = *buffer.size();
        if (call.ok) call.sourceUrl = buffer.sourceUrl();
        return call;
    }

private:
    UrlCacheHandle handle_;
};

} // namespace

UrlCacheFirst Win32Platform::urlCacheFindFirst(std::uint32_t bufferSize) {
    EntryBuffer buffer(bufferSize);
    UrlCacheHandle handle(FindFirstUrlCacheEntryW(nullptr, buffer.entry(), buffer.size()));
    UrlCacheFirst first;
    first.call.ok = static_cast<bool>(handle);
    first.call.lastError = first.call.ok ? 0 : GetLastError();
    first.call.requiredSize = *buffer.size();
    if (first.call.ok) {
        first.call.sourceUrl = buffer.sourceUrl();
        first.enumeration = std::make_unique<Win32UrlCacheEnumeration>(std::move(handle));
    }
    return first;
}

bool Win32Platform::deleteUrlCacheEntry(const std::string& url) {
    return DeleteUrlCacheEntryW(widen(url).c_str()) != FALSE;
}

} // namespace tv::win32
