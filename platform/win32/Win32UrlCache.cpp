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

// The cache's settings as the system reports them, with the folder of one of its
// containers. Spelt out here: not every SDK declares them.
struct CacheConfigInfo {
    DWORD structSize;
    DWORD container;
    DWORD quota;
    DWORD reserved4;
    BOOL perUser;
    DWORD syncMode;
    DWORD cachePathCount;
    WCHAR cachePath[MAX_PATH];
    DWORD cacheSize;
    DWORD normalUsage;
    DWORD exemptUsage;
};
using GetUrlCacheConfigInfoFunction = BOOL(WINAPI*)(CacheConfigInfo*, DWORD*, DWORD);
constexpr DWORD kCacheConfigContentPaths = 0x100;
constexpr DWORD kCacheConfigCookiesPaths = 0x200;
constexpr DWORD kCacheConfigHistoryPaths = 0x400;

// The index files a container keeps in its own folder, by the names the cache gives them.
constexpr const wchar_t* kContainerIndexNames[] = {L"index.dat", L"container.dat"};

} // namespace

std::vector<std::string> Win32Platform::storeOwnFiles(BrowserStore store) {
    HMODULE wininet = GetModuleHandleW(L"wininet.dll");
    const auto getConfig = wininet ? reinterpret_cast<GetUrlCacheConfigInfoFunction>(reinterpret_cast<void (*)()>(
                                         GetProcAddress(wininet, "GetUrlCacheConfigInfoW")))
                                   : nullptr;
    if (!getConfig) return {};
    std::vector<std::string> files;
    // The URL cache keeps the cookies' records too, in a container of their own.
    const std::vector<DWORD> containers = store == BrowserStore::UrlCache
                                              ? std::vector<DWORD>{kCacheConfigContentPaths, kCacheConfigCookiesPaths}
                                              : std::vector<DWORD>{kCacheConfigHistoryPaths};
    for (DWORD which : containers) {
        CacheConfigInfo info{};
        info.structSize = sizeof info;
        DWORD size = sizeof info;
        if (!getConfig(&info, &size, which)) continue;
        std::wstring folder(info.cachePath, wcsnlen(info.cachePath, MAX_PATH));
        if (folder.empty()) continue;
        if (folder.back() != L'\\') folder += L'\\';
        for (const wchar_t* name : kContainerIndexNames) files.push_back(narrow(folder + name));
    }
    return files;
}

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
