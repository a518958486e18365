#include "platform/memory/MemoryPlatform.h"

#include <algorithm>

namespace tv::memory {

namespace {
constexpr std::uint32_t kWmSysCommand = 0x0112;
constexpr std::uintptr_t kScClose = 0xF060;
} // namespace

MemoryPlatform::MemoryPlatform() {
    specialFolders[kCsidlRecent] = "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent";
    specialFolders[kCsidlInternetCache] = "C:\\Users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCache";
    specialFolders[kCsidlCookies] = "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Cookies";
    specialFolders[kCsidlHistory] = "C:\\Users\\user\\AppData\\Local\\Microsoft\\Windows\\History";
    libraries["shell32.dll"] = {"SHEmptyRecycleBinA", "SHEmptyRecycleBinW", "SHQueryRecycleBinW"};
    knownFolders = {{KnownFolder::Windows, "C:\\Windows"},
                    {KnownFolder::System, "C:\\Windows\\system32"},
                    {KnownFolder::Profile, "C:\\Users\\user"},
                    {KnownFolder::ProgramFiles, "C:\\Program Files"},
                    {KnownFolder::ProgramFilesX86, "C:\\Program Files (x86)"},
                    {KnownFolder::Desktop, "C:\\Users\\user\\Desktop"},
                    {KnownFolder::Documents, "C:\\Users\\user\\Documents"}};
}

// --- registry ---

RegKey MemoryPlatform::openKey(Hive hive, const std::string& path, std::uint32_t access) {
    auto id = registry.open(hive, path, access);
    return id ? RegKey(this, *id) : RegKey::failed(registry.lastError);
}

RegKey MemoryPlatform::createKey(Hive hive, const std::string& path) {
    auto id = registry.create(hive, path);
    return id ? RegKey(this, *id) : RegKey::failed(registry.lastError);
}

RegKey MemoryPlatform::openSubkey(const RegKey& parent, const std::string& name, std::uint32_t access) {
    auto id = registry.openSubkey(parent.id(), name, access);
    return id ? RegKey(this, *id) : RegKey::failed(registry.lastError);
}

RegKey MemoryPlatform::createSubkey(const RegKey& parent, const std::string& name) {
    auto id = registry.createSubkey(parent.id(), name);
    return id ? RegKey(this, *id) : RegKey::failed(registry.lastError);
}

std::optional<RegKeyInfo> MemoryPlatform::queryKeyInfo(const RegKey& key) { return registry.queryInfo(key.id()); }

std::optional<std::string> MemoryPlatform::enumSubkey(const RegKey& key, std::uint32_t index, std::uint32_t bufferChars) {
    return registry.enumSubkey(key.id(), index, bufferChars);
}

bool MemoryPlatform::deleteValue(const RegKey& key, const std::string& valueName) {
    return registry.deleteValue(key.id(), valueName);
}
bool MemoryPlatform::setStringValue(const RegKey& key, const std::string& valueName, const std::string& text) {
    return registry.setString(key.id(), valueName, text);
}
void MemoryPlatform::closeKey(std::uintptr_t id) { registry.close(id); }

// --- folders ---

std::string MemoryPlatform::specialFolderPath(int csidl) {
    auto it = specialFolders.find(csidl);
    return it == specialFolders.end() ? std::string() : it->second;
}

// --- what a folder really is ---

std::string MemoryPlatform::knownFolderPath(KnownFolder folder) {
    auto it = knownFolders.find(folder);
    return it == knownFolders.end() ? std::string() : it->second;
}

std::string MemoryPlatform::finalFolderPath(const std::string& path) {
    std::string longPath = path;
    for (const auto& [shortForm, longForm] : shortNames)
        if (longPath.size() >= shortForm.size() && equalsNoCase(longPath.substr(0, shortForm.size()), shortForm) &&
            (longPath.size() == shortForm.size() || longPath[shortForm.size()] == '\\'))
            longPath = longForm + longPath.substr(shortForm.size());
    // The folder itself is opened through every link on the way, its own included.
    const MemoryFileSystem::Node* node = files.find(longPath);
    for (int hops = 0; node && !node->linkTarget.empty(); ++hops) node = hops < 32 ? files.find(node->linkTarget) : nullptr;
    if (!node || !node->isFolder()) return {};
    std::string final;
    for (; node && node->parent; node = node->parent) final = node->name + (final.empty() ? "" : "\\" + final);
    return final.find('\\') == std::string::npos ? final + "\\" : final;
}

// --- URL cache ---

namespace {
class MemoryUrlCacheEnumeration : public UrlCacheEnumeration {
public:
    MemoryUrlCacheEnumeration(MemoryPlatform& p, std::vector<UrlCacheEntry> snapshot)
        : p_(p), entries_(std::move(snapshot)) {
        ++p_.urlCacheOpenEnumerations;
    }
    ~MemoryUrlCacheEnumeration() override { --p_.urlCacheOpenEnumerations; }
    UrlCacheCall findNext(std::uint32_t bufferSize) override {
        ++p_.urlCacheFindNextCalls;
        p_.urlCacheBufferSizes.push_back(bufferSize);
        UrlCacheCall call;
        if (p_.urlCacheFailNextAfter >= 0 && static_cast<int>(next_) >= p_.urlCacheFailNextAfter) {
            call.lastError = p_.urlCacheFailError;
            return call;
        }
        if (next_ >= entries_.size()) {
            call.lastError = kErrorNoMoreItems;
            return call;
        }
        const UrlCacheEntry& e = entries_[next_];
        call.requiredSize = e.size;
        if (bufferSize < e.size || (bufferSize > 0 && p_.urlCacheFetchFails)) {
            call.lastError = kErrorInsufficientBuffer;
            return call;
        }
        call.ok = true;
        call.sourceUrl = e.url;
        ++next_;
        return call;
    }

private:
    MemoryPlatform& p_;
    std::vector<UrlCacheEntry> entries_;
    size_t next_ = 1; // the first entry came with the first-entry call
};
} // namespace

UrlCacheFirst MemoryPlatform::urlCacheFindFirst(std::uint32_t bufferSize) {
    ++urlCacheFindFirstCalls;
    urlCacheBufferSizes.push_back(bufferSize);
    UrlCacheFirst first;
    if (urlCache.empty()) {
        first.call.lastError = kErrorNoMoreItems;
        return first;
    }
    first.call.requiredSize = urlCache.front().size;
    if (bufferSize < urlCache.front().size) {
        first.call.lastError = kErrorInsufficientBuffer;
        return first;
    }
    if (urlCacheFirstGivesNoHandle) {
        first.call.lastError = kErrorAccessDenied;
        return first;
    }
    first.call.ok = true;
    first.call.sourceUrl = urlCache.front().url;
    first.enumeration = std::make_unique<MemoryUrlCacheEnumeration>(*this, urlCache);
    return first;
}

bool MemoryPlatform::deleteUrlCacheEntry(const std::string& url) {
    auto it = std::find_if(urlCache.begin(), urlCache.end(), [&](const UrlCacheEntry& e) { return e.url == url; });
    if (it == urlCache.end() || it->locked) return false;
    urlCache.erase(it);
    urlCacheDeleted.push_back(url);
    return true;
}

// --- history store ---

namespace {
class MemoryHistoryStg2 : public UrlHistoryStg2 {
public:
    explicit MemoryHistoryStg2(MemoryPlatform& p) : p_(p) { ++p_.historyOpenReferences; }
    ~MemoryHistoryStg2() override { --p_.historyOpenReferences; }
    std::int32_t clearHistory() override {
        ++p_.historyClearCount;
        if (p_.historyClearResult >= 0) p_.historyEntries = 0;
        return p_.historyClearResult;
    }
    std::optional<std::uint64_t> entryCount() override { return p_.historyEntries; }

private:
    MemoryPlatform& p_;
};

class MemoryHistoryObject : public UrlHistoryObject {
public:
    explicit MemoryHistoryObject(MemoryPlatform& p) : p_(p) { ++p_.historyOpenReferences; }
    ~MemoryHistoryObject() override { --p_.historyOpenReferences; }
    std::unique_ptr<UrlHistoryStg2> queryHistoryStg2() override {
        if (!p_.historyOffersStg2) return nullptr;
        return std::make_unique<MemoryHistoryStg2>(p_);
    }

private:
    MemoryPlatform& p_;
};
} // namespace

UrlHistoryCreation MemoryPlatform::createUrlHistory() {
    UrlHistoryCreation creation;
    creation.hresult = historyCreateResult;
    if (historyCreateResult >= 0) creation.object = std::make_unique<MemoryHistoryObject>(*this);
    return creation;
}

std::string MemoryPlatform::describeError(std::int32_t code) {
    auto it = errorDescriptions.find(code);
    return it == errorDescriptions.end() ? std::string() : it->second;
}

// --- libraries, shell, windows ---

namespace {
class MemoryLibrary : public LoadedLibrary {
public:
    MemoryLibrary(MemoryPlatform& p, std::set<std::string> functions) : p_(p), functions_(std::move(functions)) {
        ++p_.loadedLibraries;
    }
    ~MemoryLibrary() override { --p_.loadedLibraries; }
    bool hasFunction(const std::string& name) const override { return functions_.count(name) != 0; }
    bool callEmptyRecycleBin(const std::string& functionName, WindowHandle owner, const std::string& root,
                             std::uint32_t flags) override {
        if (!hasFunction(functionName)) return false;
        p_.recycleBinCalls.push_back({owner, root, flags});
        p_.recycleBinItems = std::min(p_.recycleBinItems, p_.recycleBinKeeps);
        return true;
    }
    std::optional<std::uint64_t> recycleBinItemCount() override {
        if (!hasFunction("SHQueryRecycleBinW")) return std::nullopt;
        return static_cast<std::uint64_t>(p_.recycleBinItems);
    }

private:
    MemoryPlatform& p_;
    std::set<std::string> functions_;
};
} // namespace

std::unique_ptr<LoadedLibrary> MemoryPlatform::loadLibrary(const std::string& name) {
    auto it = libraries.find(lowerAscii(name));
    if (it == libraries.end()) return nullptr;
    return std::make_unique<MemoryLibrary>(*this, it->second);
}

void MemoryPlatform::shellOpen(WindowHandle owner, const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory, int showCommand) {
    shellOpens.push_back({owner, verb, file, parameters, directory, showCommand});
}

WindowHandle MemoryPlatform::findWindow(const std::string& className) {
    ++findWindowCalls;
    for (const auto& w : windows)
        if (w.className == className) return w.handle;
    return 0;
}

WindowHandle MemoryPlatform::parentWindow(WindowHandle window) {
    for (const auto& w : windows)
        if (w.handle == window) return w.parent;
    return 0;
}

bool MemoryPlatform::postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
    posted.push_back({window, message, wParam, lParam, clockMs});
    auto it = std::find_if(windows.begin(), windows.end(), [&](const FrameWindow& w) { return w.handle == window; });
    if (it == windows.end()) return false;
    const bool closeRequest = (message == kWmSysCommand && wParam == kScClose) || message == kWmClose;
    if (closeRequest && it->closeRequestsNeeded > 0 && --it->closeRequestsNeeded == 0) {
        // Closing a window closes the windows it owns too, all the way down.
        std::set<WindowHandle> closed{it->handle};
        for (bool more = true; more;) {
            more = false;
            for (const auto& w : windows)
                if (w.parent != 0 && closed.count(w.parent) && closed.insert(w.handle).second) more = true;
        }
        // A program whose window closes lets go of the file it held.
        for (WindowHandle handle : closed) {
            auto program = windowPrograms.find(handle);
            if (program == windowPrograms.end() || program->second.holds.empty()) continue;
            if (auto* held = files.find(program->second.holds)) held->heldExclusively = false;
        }
        windows.erase(std::remove_if(windows.begin(), windows.end(),
                                     [&](const FrameWindow& w) { return closed.count(w.handle) != 0; }),
                      windows.end());
    }
    return true;
}

std::vector<WindowHandle> MemoryPlatform::topLevelWindows(const std::string& className) {
    std::vector<WindowHandle> found;
    for (const auto& w : windows)
        if (w.parent == 0 && w.className == className) found.push_back(w.handle);
    return found;
}

std::string MemoryPlatform::windowProgramPath(WindowHandle window) {
    auto program = windowPrograms.find(window);
    return program == windowPrograms.end() ? std::string() : program->second.path;
}

// --- accounts ---

NameRead MemoryPlatform::userName(std::uint32_t bufferChars) {
    accountCalls.push_back("user " + std::to_string(bufferChars));
    NameRead read;
    if (userNameFails) {
        read.lastError = kErrorAccessDenied;
        return read;
    }
    if (user.size() + 1 > bufferChars) {
        read.lastError = kErrorInsufficientBuffer;
        return read;
    }
    read.ok = true;
    read.name = user;
    return read;
}

NameRead MemoryPlatform::computerName(std::uint32_t bufferChars) {
    accountCalls.push_back("computer " + std::to_string(bufferChars));
    NameRead read;
    if (computer.size() + 1 > bufferChars) {
        read.lastError = kErrorInsufficientBuffer;
        return read;
    }
    read.ok = true;
    read.name = computer;
    return read;
}

AccountLookup MemoryPlatform::lookupAccountName(const std::string& system, const std::string& account,
                                                std::uint32_t sidBufferSize, std::uint32_t domainChars) {
    accountCalls.push_back("lookup " + system + " " + account + " " + std::to_string(sidBufferSize) + " " +
                           std::to_string(domainChars));
    AccountLookup lookup;
    auto it = accounts.find(account);
    if (it == accounts.end()) {
        lookup.lastError = 1332; // ERROR_NONE_MAPPED
        return lookup;
    }
    lookup.sidSize = static_cast<std::uint32_t>(it->second.size());
    if (sidBufferSize == 0) {
        lookup.lastError = lookupProbeError ? lookupProbeError : kErrorInsufficientBuffer;
        return lookup;
    }
    if (lookupSecondCallFails || sidBufferSize < lookup.sidSize) {
        lookup.lastError = lookupSecondCallFails ? kErrorAccessDenied : kErrorInsufficientBuffer;
        return lookup;
    }
    lookup.ok = true;
    lookup.sid = it->second;
    return lookup;
}

bool MemoryPlatform::isValidSid(const std::vector<std::uint8_t>& sid) {
    return sid.size() >= 8 && sid[0] == 1 && sid[1] <= 15 && sid.size() == 8u + 4u * sid[1];
}

std::array<std::uint8_t, 6> MemoryPlatform::sidIdentifierAuthority(const std::vector<std::uint8_t>& sid) {
    std::array<std::uint8_t, 6> a{};
    for (size_t i = 0; i < 6 && 2 + i < sid.size(); ++i) a[i] = sid[2 + i];
    return a;
}

std::uint8_t MemoryPlatform::sidSubAuthorityCount(const std::vector<std::uint8_t>& sid) {
    return sid.size() > 1 ? sid[1] : 0;
}

std::uint32_t MemoryPlatform::sidSubAuthority(const std::vector<std::uint8_t>& sid, std::uint32_t index) {
    const size_t at = 8 + 4 * static_cast<size_t>(index);
    if (at + 4 > sid.size()) return 0;
    return static_cast<std::uint32_t>(sid[at]) | (static_cast<std::uint32_t>(sid[at + 1]) << 8) |
           (static_cast<std::uint32_t>(sid[at + 2]) << 16) | (static_cast<std::uint32_t>(sid[at + 3]) << 24);
}

std::vector<std::uint8_t> makeSid(std::array<std::uint8_t, 6> authority, std::vector<std::uint32_t> subAuthorities) {
    std::vector<std::uint8_t> sid;
    sid.reserve(8 + 4 * subAuthorities.size());
    sid.push_back(1);
    sid.push_back(static_cast<std::uint8_t>(subAuthorities.size()));
    for (std::uint8_t byte : authority) sid.push_back(byte);
    for (std::uint32_t s : subAuthorities)
        for (int shift = 0; shift < 32; shift += 8) sid.push_back(static_cast<std::uint8_t>(s >> shift));
    return sid;
}

// --- time ---

void MemoryPlatform::sleep(std::uint32_t milliseconds) {
    sleeps.push_back(milliseconds);
    clockMs += milliseconds;
}

} // namespace tv::memory
