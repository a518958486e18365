#include "platform/memory/MemoryFileSystem.h"

#include <algorithm>
#include <stdexcept>

#include "platform/memory/MemoryRegistry.h"

namespace tv::memory {

MemoryFileSystem::Node* MemoryFileSystem::Node::child(const std::string& n) const {
    for (const auto& c : children)
        if (equalsNoCase(c->name, n)) return c.get();
    return nullptr;
}

MemoryFileSystem::MemoryFileSystem() : root_(std::make_unique<Node>()) {
    root_->attributes = attr::kDirectory;
}

MemoryFileSystem::Node& MemoryFileSystem::addNode(const std::string& path, std::uint32_t attributes) {
    auto parts = splitKeyPath(path);
    if (parts.empty()) throw std::invalid_argument("empty path");
    Node* node = root_.get();
    for (size_t i = 0; i < parts.size(); ++i) {
        Node* next = node->child(parts[i]);
        if (!next) {
            auto created = std::make_unique<Node>();
            created->name = parts[i];
            created->attributes = i + 1 == parts.size() ? attributes : attr::kDirectory;
            created->parent = node;
            next = created.get();
            node->children.push_back(std::move(created));
        }
        node = next;
    }
    return *node;
}

MemoryFileSystem::Node& MemoryFileSystem::addFolder(const std::string& path, std::uint32_t attributes) {
    Node& n = addNode(path, attributes | attr::kDirectory);
    n.attributes = attributes | attr::kDirectory;
    return n;
}

MemoryFileSystem::Node& MemoryFileSystem::addFile(const std::string& path, std::uint32_t attributes) {
    Node& n = addNode(path, attributes & ~attr::kDirectory);
    n.attributes = attributes & ~attr::kDirectory;
    return n;
}

MemoryFileSystem::Node& MemoryFileSystem::addLink(const std::string& path, const std::string& target) {
    Node& n = addFolder(path, attr::kReparsePoint);
    n.linkTarget = target;
    return n;
}

MemoryFileSystem::Node* MemoryFileSystem::resolve(const std::string& path, bool followLastLink) const {
    auto parts = splitKeyPath(path);
    Node* node = root_.get();
    int hops = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        node = node->child(parts[i]);
        if (!node) return nullptr;
        const bool last = i + 1 == parts.size();
        if (!node->linkTarget.empty() && (!last || followLastLink)) {
            if (++hops > 32) return nullptr; // a loop of links: the system gives up too
            Node* target = resolve(node->linkTarget, true);
            if (!target) return nullptr;
            node = target;
        }
    }
    return node;
}

MemoryFileSystem::Node* MemoryFileSystem::find(const std::string& path) const { return resolve(path, false); }

int MemoryFileSystem::fileCountBelow(const std::string& path) const {
    Node* node = find(path);
    if (!node) return 0;
    int count = 0;
    for (const auto& c : node->children) {
        if (!c->isFolder()) ++count;
        else if (c->linkTarget.empty()) count += fileCountBelow(path + "\\" + c->name);
    }
    return count;
}

class MemoryFileSystem::Enumeration : public FolderEnumeration {
public:
    Enumeration(MemoryFileSystem& fs, const Node& folder) : fs_(fs) {
        entries_.push_back({".", attr::kDirectory});
        entries_.push_back({"..", attr::kDirectory});
        for (const auto& c : folder.children) entries_.push_back({c->name, c->attributes});
        failAfter_ = folder.failEnumerationAfter;
        if (++fs_.openEnumerations_ > fs_.mostOpen_) fs_.mostOpen_ = fs_.openEnumerations_;
    }
    ~Enumeration() override { --fs_.openEnumerations_; }
    const FolderEntry& current() const override { return entries_[index_]; }
    bool next() override {
        if (failAfter_ >= 0 && static_cast<int>(index_) + 1 >= failAfter_) return false;
        if (index_ + 1 >= entries_.size()) return false;
        ++index_;
        return true;
    }

private:
    MemoryFileSystem& fs_;
    std::vector<FolderEntry> entries_; // a snapshot, as a directory listing is
    size_t index_ = 0;
    int failAfter_ = -1;
};

std::unique_ptr<FolderEnumeration> MemoryFileSystem::enumerate(const std::string& pattern) {
    std::string folder = pattern;
    if (folder.size() >= 3 && folder.compare(folder.size() - 3, 3, "*.*") == 0) folder.resize(folder.size() - 3);
    Node* node = resolve(folder, true);
    if (!node || !node->isFolder() || node->unreadable) return nullptr;
    return std::make_unique<Enumeration>(*this, *node);
}

bool MemoryFileSystem::deleteFile(const std::string& path) {
    Node* node = find(path);
    if (!node || node->isFolder() || (node->attributes & attr::kReadOnly) || node->inUse) return false;
    auto& siblings = node->parent->children;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [&](const std::unique_ptr<Node>& n) { return n.get() == node; }));
    deleted.push_back(path);
    return true;
}

bool MemoryFileSystem::removeFolder(const std::string& path) {
    Node* node = find(path);
    if (!node || !node->isFolder() || node->parent == root_.get()) return false;
    // Removing a link removes the link alone, whatever it leads to.
    if (node->linkTarget.empty() && !node->children.empty()) return false;
    auto& siblings = node->parent->children;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [&](const std::unique_ptr<Node>& n) { return n.get() == node; }));
    removed.push_back(path);
    return true;
}

} // namespace tv::memory
