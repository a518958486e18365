#pragma once
// An in-memory registry of two hives: keys, typed values, registry links, failure
// injection, and the handles it has given out, so that tests can prove none is left open.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"

namespace tv::memory {

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegDword = 4;

struct RegValue {
    std::uint32_t type = kRegSz;
    std::string data; // REG_SZ: the text; other types: raw bytes
};

class MemoryRegistry {
public:
    struct LinkTarget {
        Hive hive;
        std::string path;
    };
    struct Key {
        std::string name;
        std::vector<std::unique_ptr<Key>> subkeys; // in creation order
        std::vector<std::pair<std::string, RegValue>> values;
        Key* parent = nullptr;
        std::optional<LinkTarget> link; // a registry link leads there
        bool deleted = false;           // gone from the tree, still held by a handle
        Key* findSubkey(const std::string& name) const;
        const RegValue* findValue(const std::string& name) const;
    };

    MemoryRegistry();

    // --- set-up and inspection for tests ---
    // Paths follow the links on their way, as the system does; the last name is taken as
    // itself by find(). A path the system would refuse is a test's mistake:
    // std::invalid_argument.
    Key& ensure(Hive hive, const std::string& path);
    // Plants a registry link at `path` (its parent is made as needed) leading to a key
    // that may or may not exist.
    Key& link(Hive hive, const std::string& path, Hive targetHive, const std::string& targetPath);
    // Takes the key at `path` away with everything below it, as another program would.
    void remove(Hive hive, const std::string& path);
    Key* find(Hive hive, const std::string& path) const;
    bool exists(Hive hive, const std::string& path) const { return find(hive, path) != nullptr; }
    void setValue(Hive hive, const std::string& path, const std::string& name, RegValue value);
    std::optional<RegValue> value(Hive hive, const std::string& path, const std::string& name) const;
    std::vector<std::string> subkeyNames(Hive hive, const std::string& path) const;
    size_t valueCount(Hive hive, const std::string& path) const;
    // Both hives in one text, every key with its values and link: alike only when equal.
    std::string describe() const;

    // Failure injection, by the path where the key really is (case-insensitive, whole path).
    std::set<std::string> denyDelete;     // deleting the key is refused
    std::set<std::string> denyFullAccess; // opening or creating with full access fails
    std::set<std::string> denyRead;       // every opening of the key fails: access denied
    std::set<std::string> denyCreate;     // creating the key fails
    std::set<std::string> denyWrite;      // writing a value fails
    std::set<std::string> failQueryInfo;  // the subkey query fails
    std::set<std::string> failEnum;       // every subkey read fails

    // --- the operations behind PlatformServices ---
    std::optional<std::uintptr_t> open(Hive hive, const std::string& path, std::uint32_t access);
    std::optional<std::uintptr_t> create(Hive hive, const std::string& path);
    std::optional<std::uintptr_t> openSubkey(std::uintptr_t parent, const std::string& name, std::uint32_t access);
    std::optional<std::uintptr_t> createSubkey(std::uintptr_t parent, const std::string& name);
    bool isLink(std::uintptr_t handle) const;
    std::optional<RegKeyInfo> queryInfo(std::uintptr_t handle) const;
    std::optional<std::string> enumSubkey(std::uintptr_t handle, std::uint32_t index, std::uint32_t bufferChars) const;
    bool deleteKey(std::uintptr_t handle);
    bool hasValue(std::uintptr_t handle, const std::string& name) const;
    std::optional<std::string> enumValue(std::uintptr_t handle, std::uint32_t index) const;
    bool deleteValue(std::uintptr_t handle, const std::string& name);
    bool setString(std::uintptr_t handle, const std::string& name, const std::string& text);
    // A string value's text; nothing for another type or no such value.
    std::optional<std::string> stringData(std::uintptr_t handle, const std::string& name) const;
    void close(std::uintptr_t handle);

    size_t openHandles() const { return handles_.size(); }
    // Why the last open or create failed: file not found or access denied.
    std::uint32_t lastError = 0;

private:
    struct Handle {
        Key* key;
        std::uint32_t access;
    };
    Key* root(Hive hive) const;
    void remove(Key* key);
    Key* resolve(Hive hive, const std::string& path, bool followLast, bool create, int hops);
    Key* live(std::uintptr_t handle) const;
    std::string pathOf(const Key& key) const;
    bool flagged(const std::set<std::string>& set, const std::string& path) const;
    bool flagged(const std::set<std::string>& set, const Key& key) const;
    std::optional<std::uintptr_t> hand(Key* key, std::uint32_t access);

    std::unique_ptr<Key> currentUser_;
    std::unique_ptr<Key> localMachine_;
    std::vector<std::unique_ptr<Key>> deleted_;
    std::map<std::uintptr_t, Handle> handles_;
    std::uintptr_t nextHandle_ = 0x100;
};

// Splits "A\B\C" into its names; trailing backslashes are dropped, as the system drops them.
std::vector<std::string> splitKeyPath(const std::string& path);
// What the system takes as a path below a hive: no leading backslash, no empty name between
// two backslashes. The empty path is the hive itself.
bool validKeyPath(const std::string& path);
bool equalsNoCase(const std::string& a, const std::string& b);
std::string lowerAscii(std::string text);

} // namespace tv::memory
