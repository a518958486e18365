#include "platform/memory/MemoryRegistry.h"

#include <algorithm>
#include <stdexcept>

namespace tv::memory {

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

MemoryRegistry::Key& MemoryRegistry::ensure(Hive hive, const std::string& path) {
    if (!validKeyPath(path)) throw std::invalid_argument("the system refuses the key path " + path);
    Key* key = root(hive);
    for (const auto& part : splitKeyPath(path)) {
        Key* next = key->findSubkey(part);
        if (!next) {
            auto created = std::make_unique<Key>();
            created->name = part;
            created->parent = key;
            next = created.get();
            key->subkeys.push_back(std::move(created));
        }
        key = next;
    }
    return *key;
}

MemoryRegistry::Key* MemoryRegistry::find(Hive hive, const std::string& path) const {
    if (!validKeyPath(path)) return nullptr;
    Key* key = root(hive);
    for (const auto& part : splitKeyPath(path)) {
        key = key->findSubkey(part);
        if (!key) return nullptr;
    }
    return key;
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

std::string MemoryRegistry::describe(Hive hive, const std::string& path) {
    return (hive == Hive::CurrentUser ? "HKCU\\" : "HKLM\\") + path;
}

bool MemoryRegistry::flagged(const std::set<std::string>& set, const std::string& path) const {
    const std::string wanted = lowerAscii(path);
    return std::any_of(set.begin(), set.end(), [&](const std::string& p) { return lowerAscii(p) == wanted; });
}

std::optional<std::uintptr_t> MemoryRegistry::open(Hive hive, const std::string& path, std::uint32_t access) {
    calls.push_back("open " + describe(hive, path));
    if (!find(hive, path)) return std::nullopt;
    if (access == kKeyAllAccess && flagged(denyFullAccess, path)) return std::nullopt;
    const std::uintptr_t id = nextHandle_++;
    handles_[id] = {hive, path, access};
    return id;
}

std::optional<std::uintptr_t> MemoryRegistry::create(Hive hive, const std::string& path) {
    calls.push_back("create " + describe(hive, path));
    if (!validKeyPath(path)) return std::nullopt;
    if (flagged(denyFullAccess, path)) return std::nullopt;
    if (!find(hive, path) && flagged(denyCreate, path)) return std::nullopt;
    ensure(hive, path);
    const std::uintptr_t id = nextHandle_++;
    handles_[id] = {hive, path, kKeyAllAccess};
    return id;
}

MemoryRegistry::Key* MemoryRegistry::keyOf(std::uintptr_t handle) const {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return nullptr;
    return find(it->second.hive, it->second.path);
}

std::optional<RegKeyInfo> MemoryRegistry::queryInfo(std::uintptr_t handle) const {
    Key* key = keyOf(handle);
    if (!key || flagged(failQueryInfo, handles_.at(handle).path)) return std::nullopt;
    RegKeyInfo info;
    info.subkeyCount = static_cast<std::uint32_t>(key->subkeys.size());
    for (const auto& k : key->subkeys)
        info.longestSubkeyName = std::max(info.longestSubkeyName, static_cast<std::uint32_t>(k->name.size()));
    return info;
}

std::optional<std::string> MemoryRegistry::enumSubkey(std::uintptr_t handle, std::uint32_t index,
                                                      std::uint32_t bufferChars) const {
    Key* key = keyOf(handle);
    if (!key || flagged(failEnum, handles_.at(handle).path)) return std::nullopt;
    if (index >= key->subkeys.size()) return std::nullopt;
    const std::string& name = key->subkeys[index]->name;
    if (name.size() + 1 > bufferChars) return std::nullopt; // ERROR_MORE_DATA
    return name;
}

bool MemoryRegistry::deleteKey(Hive hive, const std::string& path) {
    calls.push_back("delete " + describe(hive, path));
    Key* key = find(hive, path);
    if (!key || !key->parent || !key->subkeys.empty() || flagged(denyDelete, path)) return false;
    auto& siblings = key->parent->subkeys;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [&](const std::unique_ptr<Key>& k) { return k.get() == key; }));
    return true;
}

bool MemoryRegistry::deleteTree(Hive hive, const std::string& path) {
    calls.push_back("deletetree " + describe(hive, path));
    Key* key = find(hive, path);
    if (!key || !key->parent) return false;
    // Depth first, as the system does; a refused subkey keeps its branch.
    bool all = true;
    std::vector<std::string> names;
    for (const auto& k : key->subkeys) names.push_back(k->name);
    for (const auto& n : names) all = deleteTree(hive, path + "\\" + n) && all;
    if (!all || flagged(denyDelete, path)) return false;
    auto& siblings = key->parent->subkeys;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [&](const std::unique_ptr<Key>& k) { return k.get() == key; }));
    return true;
}

bool MemoryRegistry::deleteValue(std::uintptr_t handle, const std::string& name) {
    Key* key = keyOf(handle);
    if (!key) return false;
    calls.push_back("deletevalue " + describe(handles_.at(handle).hive, handles_.at(handle).path) + " " + name);
    auto it = std::find_if(key->values.begin(), key->values.end(),
                           [&](const auto& v) { return equalsNoCase(v.first, name); });
    if (it == key->values.end()) return false;
    key->values.erase(it);
    return true;
}

bool MemoryRegistry::setString(std::uintptr_t handle, const std::string& name, const std::string& text) {
    Key* key = keyOf(handle);
    if (!key) return false;
    const Handle& h = handles_.at(handle);
    calls.push_back("setvalue " + describe(h.hive, h.path) + " " + name);
    if (h.access != kKeyAllAccess || flagged(denyWrite, h.path)) return false;
    setValue(h.hive, h.path, name, {kRegSz, text});
    return true;
}

void MemoryRegistry::close(std::uintptr_t handle) { handles_.erase(handle); }

} // namespace tv::memory
