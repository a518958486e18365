#include "platform/memory/MemoryFileSystem.h"

#include <algorithm>
#include <stdexcept>

#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/DiskBackedDatabase.h"
#include "platform/sqlite/DatabaseCopy.h"

namespace tv::memory {

namespace {

// The parts of a path as the system reads it: either separator, empty parts dropped, "."
// dropped and ".." taking the part before it away.
std::vector<std::string> pathParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    auto flush = [&] {
        if (current == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!current.empty() && current != ".") {
            parts.push_back(current);
        }
        current.clear();
    };
    for (char c : path) {
        if (c == '\\' || c == '/')
            flush();
        else
            current += c;
    }
    flush();
    return parts;
}

} // namespace

MemoryFileSystem::Node* MemoryFileSystem::Node::child(const std::string& n) const {
    for (const auto& c : children)
        if (equalsNoCase(c->name, n) || (!c->altName.empty() && equalsNoCase(c->altName, n))) return c.get();
    return nullptr;
}

MemoryFileSystem::MemoryFileSystem() : root_(std::make_unique<Node>()) {
    root_->attributes = attr::kDirectory;
}

// Taken apart one level at a time: a tree thousands of levels deep would overflow the
// stack if each node destroyed its children itself.
MemoryFileSystem::~MemoryFileSystem() {
    std::vector<std::unique_ptr<Node>> pending;
    pending.push_back(std::move(root_));
    for (auto& node : detached_) pending.push_back(std::move(node));
    while (!pending.empty()) {
        std::unique_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        for (auto& c : node->children) pending.push_back(std::move(c));
    }
}

MemoryFileSystem::Node& MemoryFileSystem::attach(Node& folder, std::unique_ptr<Node> node) {
    node->parent = &folder;
    node->depth = folder.depth + 1;
    node->id = nextId_++;
    folder.children.push_back(std::move(node));
    return *folder.children.back();
}

MemoryFileSystem::Node& MemoryFileSystem::addNode(const std::string& path, std::uint32_t attributes) {
    auto parts = pathParts(path);
    if (parts.empty()) throw std::invalid_argument("empty path");
    Node* node = root_.get();
    for (size_t i = 0; i < parts.size(); ++i) {
        Node* next = node->child(parts[i]);
        if (!next) {
            auto created = std::make_unique<Node>();
            created->name = parts[i];
            created->attributes = i + 1 == parts.size() ? attributes : attr::kDirectory;
            next = &attach(*node, std::move(created));
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

MemoryFileSystem::Node& MemoryFileSystem::addFile(const std::string& path, std::uint32_t attributes,
                                                  const std::string& content) {
    Node& n = addNode(path, attributes & ~attr::kDirectory);
    n.attributes = attributes & ~attr::kDirectory;
    n.content = content;
    return n;
}

MemoryFileSystem::Node& MemoryFileSystem::addChild(Node& folder, const std::string& name, std::uint32_t attributes,
                                                   const std::string& content) {
    auto created = std::make_unique<Node>();
    created->name = name;
    created->attributes = attributes;
    created->content = content;
    return attach(folder, std::move(created));
}

MemoryFileSystem::Node& MemoryFileSystem::addLink(const std::string& path, const std::string& target) {
    Node& n = addFolder(path, attr::kReparsePoint);
    n.linkTarget = target;
    return n;
}

MemoryFileSystem::Node& MemoryFileSystem::addFileLink(const std::string& path, const std::string& target) {
    Node& n = addFile(path, attr::kArchive | attr::kReparsePoint, "");
    n.linkTarget = target;
    return n;
}

MemoryFileSystem::Node& MemoryFileSystem::addHostLink(const std::string& path, const std::string& target) {
    Node& n = addFile(path, attr::kArchive, "");
    n.linkTarget = target;
    n.followedOnOpen = true;
    return n;
}

MemoryFileSystem::Node& MemoryFileSystem::swapForHostLink(const std::string& path, const std::string& target) {
    Node* node = find(path);
    if (!node) throw std::invalid_argument("nothing to swap at " + path);
    Node& folder = *node->parent;
    const std::string name = node->name;
    detached_.push_back(detach(*node));
    Node& link = addChild(folder, name, attr::kArchive, "");
    link.linkTarget = target;
    link.followedOnOpen = true;
    return link;
}

MemoryFileSystem::Node& MemoryFileSystem::moveInto(const std::string& path, const std::string& folder) {
    Node* node = find(path);
    Node* into = find(folder);
    if (!node || !into || !into->isFolder()) throw std::invalid_argument("cannot move " + path + " into " + folder);
    auto taken = detach(*node);
    taken->parent = into;
    into->children.push_back(std::move(taken));
    std::vector<Node*> pending{into->children.back().get()};
    while (!pending.empty()) {
        Node* n = pending.back();
        pending.pop_back();
        n->depth = n->parent->depth + 1;
        for (auto& c : n->children) pending.push_back(c.get());
    }
    return *into->children.back();
}

std::unique_ptr<MemoryFileSystem::Node> MemoryFileSystem::detach(Node& node) {
    auto& siblings = node.parent->children;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const std::unique_ptr<Node>& n) { return n.get() == &node; });
    std::unique_ptr<Node> taken = std::move(*it);
    siblings.erase(it);
    taken->parent = nullptr;
    paths_.forget(node);
    finalPaths_.forget(node);
    return taken;
}

MemoryFileSystem::Node* MemoryFileSystem::resolveFrom(Node* node, const std::vector<std::string>& parts,
                                                      bool followLastLink, int& hops) const {
    for (size_t i = 0; node && i < parts.size(); ++i) {
        node = node->child(parts[i]);
        if (!node) return nullptr;
        const bool last = i + 1 == parts.size();
        if (node->isLink() && (!last || followLastLink)) {
            if (++hops > 32) return nullptr; // a loop of links: the system gives up too
            node = resolveFrom(root_.get(), pathParts(node->linkTarget), true, hops);
        }
    }
    return node;
}

MemoryFileSystem::Node* MemoryFileSystem::resolve(const std::string& path, bool followLastLink) const {
    int hops = 0;
    return resolveFrom(root_.get(), pathParts(path), followLastLink, hops);
}

MemoryFileSystem::Node* MemoryFileSystem::find(const std::string& path) const { return resolve(path, false); }

std::optional<std::string> MemoryFileSystem::contentOf(const std::string& path) const {
    const Node* node = find(path);
    if (!node || node->isFolder()) return std::nullopt;
    return node->content;
}

int MemoryFileSystem::fileCountBelow(const std::string& path) const {
    const Node* top = find(path);
    if (!top) return 0;
    int count = 0;
    std::vector<const Node*> pending{top};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        for (const auto& c : node->children) {
            if (!c->isFolder())
                ++count;
            else if (!c->isLink())
                pending.push_back(c.get());
        }
    }
    return count;
}

// Paths are built from the last one asked for: a walk asks for the entries of the folder it
// has just entered, so a tree thousands of levels deep does not cost its depth per entry.
void MemoryFileSystem::PathCache::build(const Node& node, const Node* root, std::string& into) {
    pending_.clear();
    const Node* n = &node;
    for (; n && n != root; n = n->parent) {
        if (n->depth <= chain_.size() && chain_[n->depth - 1] == n) break;
        pending_.push_back(n);
    }
    if (!n) {
        into.clear(); // not in the tree any more
        return;
    }
    const size_t keep = n == root ? 0 : n->depth;
    chain_.resize(keep);
    lengths_.resize(keep);
    path_.resize(keep == 0 ? 0 : lengths_.back());
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
        std::string_view name = (*it)->name;
        if (trim_ && (*it)->depth > 1)
            while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
        if (!path_.empty()) path_ += '\\';
        path_.append(name);
        chain_.push_back(*it);
        lengths_.push_back(path_.size());
    }
    into.assign(path_);
}

void MemoryFileSystem::PathCache::forget(const Node& node) {
    if (node.depth >= 1 && node.depth <= chain_.size() && chain_[node.depth - 1] == &node) {
        chain_.resize(node.depth - 1);
        lengths_.resize(node.depth - 1);
    }
}

std::string MemoryFileSystem::pathOf(const Node& node) const {
    std::string path;
    paths_.build(node, root_.get(), path);
    return path;
}

// False for an entry no longer in the tree: the system cannot name it either.
bool MemoryFileSystem::finalPathOf(const Node& node, std::string& into) const {
    finalPaths_.trim_ = finalPathsTrimTrailingDots;
    if (finalPaths_.trimmedLast_ != finalPathsTrimTrailingDots) finalPaths_.chain_.clear();
    finalPaths_.trimmedLast_ = finalPathsTrimTrailingDots;
    finalPaths_.build(node, root_.get(), into);
    if (into.empty()) return false;
    if (node.parent == root_.get()) into += '\\'; // a drive's root
    return true;
}

bool MemoryFileSystem::erase(Node& node) {
    if (!node.parent || node.parent == root_.get()) return false;
    if (node.isFolder()) {
        if (!node.isLink() && !node.children.empty()) return false;
        removed.push_back(pathOf(node));
    } else {
        if ((node.attributes & attr::kReadOnly) || node.inUse) return false;
        deleted.push_back(pathOf(node));
    }
    detached_.push_back(detach(node));
    return true;
}

// --- handles ---

// A file held with no sharing: nothing else opens it until the hold ends, and one the hold
// made goes with it.
class MemoryFileSystem::Hold : public HeldFile {
public:
    Hold(MemoryFileSystem& fs, Node& node, bool created) : fs_(fs), node_(node), created_(created) {
        node_.heldExclusively = true;
    }
    ~Hold() override {
        node_.heldExclusively = false;
        if (created_ && node_.parent) fs_.detached_.push_back(fs_.detach(node_));
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    MemoryFileSystem& fs_;
    Node& node_;
    bool created_;
};

class MemoryFileSystem::Handle : public EntryHandle {
public:
    Handle(MemoryFileSystem& fs, Node& node) : fs_(fs), node_(node) {
        if (++fs_.openHandles_ > fs_.mostOpenHandles_) fs_.mostOpenHandles_ = fs_.openHandles_;
    }
    ~Handle() override { --fs_.openHandles_; }

    std::optional<std::uint32_t> attributes() override { return node_.attributes; }
    std::uint64_t fileId() override { return node_.id; }
    bool finalPath(std::string& into) override {
        ++fs_.finalPathAsks;
        return fs_.finalPathOf(node_, into);
    }
    bool markForDeletion() override { return fs_.erase(node_); }

    // The listing is taken whole at its start, as Wine keeps it: what the walk changes
    // meanwhile is not seen.
    bool startListing() override {
        listing_.clear();
        index_ = 0;
        if (!node_.isFolder() || node_.isLink() || node_.unreadable) return false;
        listing_.push_back({".", "", attr::kDirectory, node_.id});
        listing_.push_back({"..", "", attr::kDirectory, node_.parent ? node_.parent->id : 0});
        for (const auto& c : node_.children) listing_.push_back(listed(*c));
        broken_ = node_.failEnumerationAfter >= 0 && listing_.size() > static_cast<size_t>(node_.failEnumerationAfter);
        if (broken_) listing_.resize(static_cast<size_t>(node_.failEnumerationAfter));
        return true;
    }
    bool listingBroke() const override { return broken_ && index_ >= listing_.size(); }
    bool nextListed(ListedEntry& entry) override {
        if (index_ >= listing_.size()) return false;
        const Listed& l = listing_[index_++];
        entry.name = l.name;
        entry.altName = l.altName;
        entry.attributes = l.attributes;
        entry.fileId = l.id;
        entry.size = l.size;
        return true;
    }

    std::unique_ptr<EntryHandle> openChild(std::string_view name, EntryKind kind) override {
        const std::string asked(name);
        asking(asked);
        // The name is read as a careless system reads it: separators part it and ".." climbs.
        Node* node = &node_;
        int hops = 0;
        std::string part;
        auto step = [&](bool last) {
            if (!node || part.empty() || part == ".") {
            } else if (part == "..") {
                if (node->parent && node->parent != fs_.root_.get()) node = node->parent;
            } else {
                node = fs_.resolveFrom(node, {part}, !last, hops);
            }
            part.clear();
        };
        for (char c : asked) {
            if (c == '\\' || c == '/')
                step(false);
            else
                part += c;
        }
        step(true);
        if (node && node->isLink() && node->followedOnOpen) node = fs_.resolve(node->linkTarget, true);
        lastMissing_ = !node;
        if (!node || node->isFolder() != (kind == EntryKind::Folder) || node->heldExclusively) return nullptr;
        return std::make_unique<Handle>(fs_, *node);
    }
    bool lastChildMissing() const override { return lastMissing_; }

    std::optional<std::string> readChildFile(std::string_view name, std::size_t limit) override {
        Node* node = plainChildFile(name);
        if (!node || node->content.size() > limit) return std::nullopt;
        return node->content;
    }

    std::unique_ptr<Database> openChildDatabase(std::string_view name) override {
        Node* node = plainChildFile(name);
        if (!node || (node->attributes & attr::kReadOnly) || node->inUse) return nullptr;
        Node& folder = node_;
        const std::string base = node->name;
        MemoryFileSystem& fs = fs_;
        const std::string path = fs_.pathOf(*node);
        // The file and its log by their names, as SQLite finds them beside each other.
        return openDiskBackedDatabase(
            {[&folder, base](const std::string& suffix) -> std::optional<std::string> {
                 const Node* file = folder.child(base + suffix);
                 if (!file || file->isFolder() || file->isLink()) return std::nullopt;
                 return file->content;
             },
             [&folder, &fs, base](const std::string& suffix, std::optional<std::string> bytes) {
                 Node* file = folder.child(base + suffix);
                 if (file && (file->isFolder() || file->isLink())) return;
                 if (!bytes) {
                     if (file) fs.detached_.push_back(fs.detach(*file));
                 } else if (file) {
                     file->content = std::move(*bytes);
                 } else {
                     fs.addChild(folder, base + suffix, attr::kArchive, *bytes);
                 }
             },
             [&fs, path](const std::string& scratchFile, std::string_view sql) {
                 if (fs.beforeStatement) fs.beforeStatement(path, scratchFile, sql);
                 return fs.failingStatements.find(sql) == fs.failingStatements.end();
             }});
    }

    std::optional<std::uint64_t> childFileSize(std::string_view name) override {
        const Node* node = plainChildFile(name);
        if (!node) return std::nullopt;
        return node->content.size();
    }

    std::unique_ptr<Database> openChildDatabaseCopy(std::string_view name, std::size_t limit) override {
        auto file = readChildFile(name, limit);
        if (!file) return nullptr;
        const bool missing = lastMissing_;
        const auto log = readChildFile(std::string(name) + "-wal", limit);
        lastMissing_ = missing;
        return sqlite::openCopy(*file, log);
    }

    FileHold holdChildFile(std::string_view name) override {
        const std::string asked(name);
        asking(asked);
        if (asked.empty() || asked.find_first_of("\\/") != std::string::npos) return {};
        Node* node = node_.child(asked);
        lastMissing_ = false;
        if (node && (node->isFolder() || node->isLink())) return {};
        if (node && (node->heldExclusively || node->inUse)) return {nullptr, true};
        const bool created = !node;
        if (created) node = &fs_.addChild(node_, asked, attr::kArchive, "");
        return {std::make_unique<Hold>(fs_, *node, created), false};
    }

    std::unique_ptr<EntryHandle> openChildForRewrite(std::string_view name) override {
        Node* node = plainChildFile(name);
        return node ? std::make_unique<Handle>(fs_, *node) : nullptr;
    }

    std::unique_ptr<EntryHandle> createChildFile(std::string_view name) override {
        const std::string asked(name);
        if (fs_.beforeOpen) fs_.beforeOpen(fs_.pathOf(node_) + "\\" + asked);
        lastMissing_ = false;
        if (!node_.isFolder() || node_.isLink() || node_.refusesNewFiles || asked.empty() ||
            asked.find_first_of("\\/") != std::string::npos || node_.child(asked))
            return nullptr;
        Node& file = fs_.addChild(node_, asked, attr::kArchive, "");
        fs_.created.push_back(fs_.pathOf(file));
        return std::make_unique<Handle>(fs_, file);
    }

    std::optional<std::string> readContent(std::size_t limit) override {
        if (node_.isFolder() || node_.content.size() > limit) return std::nullopt;
        return node_.content;
    }

    bool writeContent(std::string_view bytes) override {
        if (node_.isFolder() || node_.isLink()) return false;
        const bool fits = !fs_.freeBytes || bytes.size() <= *fs_.freeBytes;
        node_.content.assign(fits ? bytes : bytes.substr(0, *fs_.freeBytes));
        if (fs_.garbleWrites && !node_.content.empty()) node_.content[node_.content.size() / 2] ^= 0x20;
        return fits;
    }

    // The system's rename: an entry in the way goes as an entry, a link as a link, unless it
    // is a folder or something holds it.
    bool renameOver(EntryHandle& folder, std::string_view name, std::unique_ptr<EntryHandle> replaced) override {
        replaced.reset();
        const auto* parent = dynamic_cast<Handle*>(&folder);
        const std::string asked(name);
        if (!parent || &parent->node_ != node_.parent || node_.isFolder() || asked.empty() ||
            asked.find_first_of("\\/") != std::string::npos)
            return false;
        if (Node* there = node_.parent->child(asked); there && there != &node_) {
            if ((there->isFolder() && !there->isLink()) || there->inUse || (there->attributes & attr::kReadOnly))
                return false;
            fs_.renamedOver.push_back(fs_.pathOf(*there));
            fs_.detached_.push_back(fs_.detach(*there));
        }
        fs_.paths_.forget(node_);
        fs_.finalPaths_.forget(node_);
        node_.name = asked;
        node_.altName.clear();
        return true;
    }

private:
    // Every open relative to this folder is recorded, and shown to the test's hook first.
    void asking(const std::string& name) {
        if (!fs_.recordOpens && !fs_.beforeOpen) return;
        const std::string path = fs_.pathOf(node_) + "\\" + name;
        if (fs_.recordOpens) fs_.opened.push_back(path);
        if (fs_.beforeOpen) fs_.beforeOpen(path);
    }

    // A file of this folder by one name, as a careful open finds it: never through a link.
    Node* plainChildFile(std::string_view name) {
        const std::string asked(name);
        asking(asked);
        Node* node = asked.find_first_of("\\/") == std::string::npos ? node_.child(asked) : nullptr;
        lastMissing_ = !node;
        if (!node || node->isFolder() || node->isLink() || node->heldExclusively) return nullptr;
        return node;
    }

    struct Listed {
        std::string name, altName;
        std::uint32_t attributes;
        std::uint64_t id;
        std::uint64_t size = 0;
    };
    // A host link is listed with what it leads to: a folder shows as a linked folder, a
    // file as a plain file.
    Listed listed(const Node& c) const {
        Listed l{c.name, c.altName, c.attributes, c.id, c.isFolder() ? 0 : c.content.size()};
        if (c.followedOnOpen) {
            const Node* target = fs_.resolve(c.linkTarget, true);
            if (target) {
                l.attributes = target->isFolder() ? attr::kDirectory | attr::kReparsePoint : target->attributes;
                l.id = target->id;
                l.size = target->isFolder() ? 0 : target->content.size();
            }
        }
        return l;
    }
    MemoryFileSystem& fs_;
    Node& node_;
    std::vector<Listed> listing_;
    size_t index_ = 0;
    bool broken_ = false;
    bool lastMissing_ = false;
};

std::string MemoryFileSystem::describe() const {
    std::string text;
    std::vector<const Node*> pending = {root_.get()};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        text += pathOf(*node) + "|" + std::to_string(node->attributes) + "|" + node->linkTarget + "|" +
                std::to_string(node->content.size()) + ":" + node->content + "\n";
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) pending.push_back(it->get());
    }
    return text;
}

FolderOpening MemoryFileSystem::openFolderHandle(const std::string& path) {
    if (recordOpens) opened.push_back(path);
    Node* node = resolve(path, true);
    if (!node || !node->isFolder()) return {nullptr, true};
    return {std::make_unique<Handle>(*this, *node), false};
}

} // namespace tv::memory

namespace tv::memory {

namespace {

class MemoryAppendFile : public AppendFile {
public:
    explicit MemoryAppendFile(MemoryFileSystem::Node& node) : node_(node) { node_.inUse = true; }
    ~MemoryAppendFile() override { node_.inUse = false; }
    MemoryAppendFile(const MemoryAppendFile&) = delete;
    MemoryAppendFile& operator=(const MemoryAppendFile&) = delete;
    bool append(std::string_view bytes) override {
        node_.content.append(bytes);
        return true;
    }

private:
    MemoryFileSystem::Node& node_;
};

} // namespace

AppendOpening MemoryFileSystem::openForAppend(const std::string& path) {
    constexpr std::uint32_t kErrorPathNotFound = 3;
    constexpr std::uint32_t kErrorSharingViolation = 32;
    constexpr std::uint32_t kErrorInvalidName = 123;
    const size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return {nullptr, false, kErrorInvalidName};
    Node* folder = slash == std::string::npos ? nullptr : resolve(path.substr(0, slash), true);
    if (!folder || !folder->isFolder()) return {nullptr, false, kErrorPathNotFound};
    Node* file = folder->child(name);
    if (!file) file = &addChild(*folder, name, attr::kArchive, "");
    if (file->isLink()) return {nullptr, true, 0};
    if (file->isFolder() || (file->attributes & attr::kReadOnly) != 0) return {nullptr, false, kErrorAccessDenied};
    if (file->inUse || file->heldExclusively) return {nullptr, false, kErrorSharingViolation};
    return {std::make_unique<MemoryAppendFile>(*file), false, 0};
}

} // namespace tv::memory
