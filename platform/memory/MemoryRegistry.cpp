#include "platform/memory/MemoryRegistry.h"

#include <algorithm>
#include <stdexcept>

namespace tv::memory {

namespace {
// The system gives up on a chain of links after a few dozen; a loop ends the same way.
constexpr int kMostLinkHops = 32;
constexpr std::uint32_t kDeleteRight = 0x10000;
} // namespace

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool equalsNoCase(const std::string& a, const std::string& b) { return lowerAscii(a) == lowerAscii(b); }

bool validKeyPath(const std::string& path) {
    if (!path.empty() && path.front() == '\\') return false;
    const size_t end = path.find_last_not_of('\\');
    return end == std::string::npos || path.substr(0, end + 1).find("\\\\") == std::string::npos;
}

std::vector<std::string> splitKeyPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '\\') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

MemoryRegistry::Key* MemoryRegistry::Key::findSubkey(const std::string& n) const {
    for (const auto& k : subkeys)
        if (equalsNoCase(k->name, n)) return k.get();
    return nullptr;
}

const RegValue* MemoryRegistry::Key::findValue(const std::string& n) const {
    for (const auto& [name, v] : values)
        if (equalsNoCase(name, n)) return &v;
    return nullptr;
}

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_unique<Key>()), localMachine_(std::make_unique<Key>()) {}

MemoryRegistry::Key* MemoryRegistry::root(Hive hive) const {
    return hive == Hive::CurrentUser ? currentUser_.get() : localMachine_.get();
}

MemoryRegistry::Key* MemoryRegistry::resolve(Hive hive, const std::string& path, bool followLast, bool create,
                                             int hops) {
    if (!validKeyPath(path) || hops > kMostLinkHops) return nullptr;
    Key* key = root(hive);
    const auto parts = splitKeyPath(path);
    for (size_t i = 0; i < parts.size(); ++i) {
        Key* next = key->findSubkey(parts[i]);
        if (!next) {
            if (!create) return nullptr;
            auto made = std::make_unique<Key>();
            made->name = parts[i];
            made->parent = key;
            next = made.get();
            key->subkeys.push_back(std::move(made));
        }
        if (next->link && (i + 1 < parts.size() || followLast)) {
            next = resolve(next->link->hive, next->link->path, true, false, hops + 1);
            if (!next) return nullptr;
        }
        key = next;
    }
    return key;
}

MemoryRegistry::Key& MemoryRegistry::ensure(Hive hive, const std::string& path) {
    if (!validKeyPath(path)) throw std::invalid_argument("the system refuses the key path " + path);
    Key* key = resolve(hive, path, true, true, 0);
    if (!key) throw std::invalid_argument("a link on the way leads nowhere: " + path);
    return *key;
}

MemoryRegistry::Key& MemoryRegistry::link(Hive hive, const std::string& path, Hive targetHive,
                                          const std::string& targetPath) {
    auto parts = splitKeyPath(path);
    if (parts.empty() || !validKeyPath(path)) throw std::invalid_argument("no link at the hive itself");
    const std::string name = parts.back();
    parts.pop_back();
    std::string parentPath;
    for (const auto& p : parts) parentPath += (parentPath.empty() ? "" : "\\") + p;
    Key& parent = ensure(hive, parentPath);
    if (parent.findSubkey(name)) throw std::invalid_argument("a key is already there: " + path);
    auto made = std::make_unique<Key>();
    made->name = name;
    made->parent = &parent;
    made->link = LinkTarget{targetHive, targetPath};
    parent.subkeys.push_back(std::move(made));
    return *parent.subkeys.back();
}

MemoryRegistry::Key* MemoryRegistry::find(Hive hive, const std::string& path) const {
    return const_cast<MemoryRegistry*>(this)->resolve(hive, path, false, false, 0);
}

void MemoryRegistry::remove(Hive hive, const std::string& path) {
    Key* key = find(hive, path);
    if (key && key->parent) remove(key);
}

void MemoryRegistry::remove(Key* key) {
    auto& siblings = key->parent->subkeys;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& k) { return k.get() == key; });
    key->deleted = true;
    deleted_.push_back(std::move(*it));
    siblings.erase(it);
}

void MemoryRegistry::setValue(Hive hive, const std::string& path, const std::string& name, RegValue value) {
    Key& key = ensure(hive, path);
    for (auto& [n, v] : key.values)
        if (equalsNoCase(n, name)) {
            v = std::move(value);
            return;
        }
    key.values.emplace_back(name, std::move(value));
}

std::optional<RegValue> MemoryRegistry::value(Hive hive, const std::string& path, const std::string& name) const {
    const Key* key = find(hive, path);
    if (!key) return std::nullopt;
    const RegValue* v = key->findValue(name);
    return v ? std::optional<RegValue>(*v) : std::nullopt;
}

std::vector<std::string> MemoryRegistry::subkeyNames(Hive hive, const std::string& path) const {
    std::vector<std::string> names;
    if (const Key* key = find(hive, path))
        for (const auto& k : key->subkeys) names.push_back(k->name);
    return names;
}

size_t MemoryRegistry::valueCount(Hive hive, const std::string& path) const {
    const Key* key = find(hive, path);
    return key ? key->values.size() : 0;
}

std::string MemoryRegistry::pathOf(const Key& key) const {
    std::string path;
    for (const Key* k = &key; k->parent; k = k->parent) path = k->name + (path.empty() ? "" : "\\" + path);
    return path;
}

bool MemoryRegistry::flagged(const std::set<std::string>& set, const std::string& path) const {
    const std::string wanted = lowerAscii(path);
    return std::any_of(set.begin(), set.end(), [&](const std::string& p) { return lowerAscii(p) == wanted; });
}

bool MemoryRegistry::flagged(const std::set<std::string>& set, const Key& key) const {
    return flagged(set, pathOf(key));
}

std::optional<std::uintptr_t> MemoryRegistry::hand(Key* key, std::uint32_t access) {
    lastError = kErrorFileNotFound;
    if (!key || key->deleted) return std::nullopt;
    lastError = kErrorAccessDenied;
    if (flagged(denyRead, *key)) return std::nullopt;
    if (access == kKeyAllAccess && flagged(denyFullAccess, *key)) return std::nullopt;
    lastError = kErrorSuccess;
    const std::uintptr_t id = nextHandle_++;
    handles_[id] = {key, access};
    return id;
}

MemoryRegistry::Key* MemoryRegistry::live(std::uintptr_t handle) const {
    auto it = handles_.find(handle);
    if (it == handles_.end() || it->second.key->deleted) return nullptr;
    return it->second.key;
}

std::optional<std::uintptr_t> MemoryRegistry::open(Hive hive, const std::string& path, std::uint32_t access) {
    return hand(resolve(hive, path, true, false, 0), access);
}

std::optional<std::uintptr_t> MemoryRegistry::create(Hive hive, const std::string& path) {
    lastError = kErrorFileNotFound;
    if (!validKeyPath(path)) return std::nullopt;
    if (!resolve(hive, path, true, false, 0)) {
        const std::string where = path.substr(0, path.find_last_not_of('\\') + 1);
        lastError = kErrorAccessDenied;
        if (flagged(denyCreate, where) || flagged(denyFullAccess, where)) return std::nullopt;
    }
    return hand(resolve(hive, path, true, true, 0), kKeyAllAccess);
}

std::optional<std::uintptr_t> MemoryRegistry::openSubkey(std::uintptr_t parent, const std::string& name,
                                                         std::uint32_t access) {
    Key* key = live(parent);
    lastError = kErrorFileNotFound;
    if (!key || name.empty() || name.find('\\') != std::string::npos) return std::nullopt;
    return hand(key->findSubkey(name), access);
}

std::optional<std::uintptr_t> MemoryRegistry::createSubkey(std::uintptr_t parent, const std::string& name) {
    Key* key = live(parent);
    lastError = kErrorFileNotFound;
    if (!key || name.empty() || name.find('\\') != std::string::npos) return std::nullopt;
    if (Key* existing = key->findSubkey(name)) return hand(existing, kKeyAllAccess);
    const std::string where = (key->parent ? pathOf(*key) + "\\" : std::string()) + name;
    lastError = kErrorAccessDenied;
    if (flagged(denyCreate, where) || flagged(denyFullAccess, where)) return std::nullopt;
    auto made = std::make_unique<Key>();
    made->name = name;
    made->parent = key;
    key->subkeys.push_back(std::move(made));
    return hand(key->subkeys.back().get(), kKeyAllAccess);
}

bool MemoryRegistry::isLink(std::uintptr_t handle) const {
    const Key* key = live(handle);
    return key && key->link;
}

std::optional<RegKeyInfo> MemoryRegistry::queryInfo(std::uintptr_t handle) const {
    Key* key = live(handle);
    if (!key || flagged(failQueryInfo, *key)) return std::nullopt;
    RegKeyInfo info;
    info.subkeyCount = static_cast<std::uint32_t>(key->subkeys.size());
    for (const auto& k : key->subkeys)
        info.longestSubkeyName = std::max(info.longestSubkeyName, static_cast<std::uint32_t>(k->name.size()));
    info.valueCount = static_cast<std::uint32_t>(key->values.size());
    return info;
}

std::optional<std::string> MemoryRegistry::enumSubkey(std::uintptr_t handle, std::uint32_t index,
                                                      std::uint32_t bufferChars) const {
    Key* key = live(handle);
    if (!key || flagged(failEnum, *key)) return std::nullopt;
    if (index >= key->subkeys.size()) return std::nullopt;
    const std::string& name = key->subkeys[index]->name;
    if (name.size() + 1 > bufferChars) return std::nullopt; // ERROR_MORE_DATA
    return name;
}

bool MemoryRegistry::deleteKey(std::uintptr_t handle) {
    Key* key = live(handle);
    if (!key || !key->parent || !key->subkeys.empty()) return false;
    if ((handles_.at(handle).access & kDeleteRight) == 0 || flagged(denyDelete, *key)) return false;
    remove(key);
    return true;
}

bool MemoryRegistry::hasValue(std::uintptr_t handle, const std::string& name) const {
    const Key* key = live(handle);
    return key && key->findValue(name);
}

std::optional<std::string> MemoryRegistry::enumValue(std::uintptr_t handle, std::uint32_t index) const {
    const Key* key = live(handle);
    if (!key || index >= key->values.size()) return std::nullopt;
    return key->values[index].first;
}

bool MemoryRegistry::deleteValue(std::uintptr_t handle, const std::string& name) {
    Key* key = live(handle);
    if (!key) return false;
    auto it = std::find_if(key->values.begin(), key->values.end(),
                           [&](const auto& v) { return equalsNoCase(v.first, name); });
    if (it == key->values.end()) return false;
    key->values.erase(it);
    return true;
}

bool MemoryRegistry::setString(std::uintptr_t handle, const std::string& name, const std::string& text) {
    Key* key = live(handle);
    if (!key || handles_.at(handle).access != kKeyAllAccess || flagged(denyWrite, *key)) return false;
    for (auto& [n, v] : key->values)
        if (equalsNoCase(n, name)) {
            v = {kRegSz, text};
            return true;
        }
    key->values.emplace_back(name, RegValue{kRegSz, text});
    return true;
}

std::optional<std::string> MemoryRegistry::stringData(std::uintptr_t handle, const std::string& name) const {
    const Key* key = live(handle);
    const RegValue* value = key ? key->findValue(name) : nullptr;
    if (!value || (value->type != kRegSz && value->type != kRegExpandSz)) return std::nullopt;
    return value->data;
}

void MemoryRegistry::close(std::uintptr_t handle) { handles_.erase(handle); }

} // namespace tv::memory

namespace tv::memory {

std::string MemoryRegistry::describe() const {
    std::string text;
    for (Hive hive : {Hive::CurrentUser, Hive::LocalMachine}) {
        const std::string hiveName = hive == Hive::CurrentUser ? "HKCU\\" : "HKLM\\";
        std::vector<const Key*> pending = {root(hive)};
        while (!pending.empty()) {
            const Key* key = pending.back();
            pending.pop_back();
            text += hiveName + pathOf(*key) + (key->link ? " -> " + key->link->path : std::string()) + "\n";
            for (const auto& [name, value] : key->values)
                text += "  " + name + "=" + std::to_string(value.type) + ":" + value.data + "\n";
            for (auto it = key->subkeys.rbegin(); it != key->subkeys.rend(); ++it) pending.push_back(it->get());
        }
    }
    return text;
}

} // namespace tv::memory
