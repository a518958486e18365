#pragma once
// An in-memory file tree with Windows' rules: case-insensitive names, "." and ".." in every
// listing, read-only and in-use files that refuse deletion, folders that cannot be read,
// links, listings that fail part-way, and a fixed listing order (the order of creation).
// It also holds what a hostile tree can hold: names with separators in them, links that
// the system follows even when asked not to (a host's links as Wine shows them), a final
// path that loses trailing dots, and a swap made between a listing and the next open.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"

namespace tv::memory {

class MemoryFileSystem {
public:
    struct Node {
        std::string name;
        std::string altName;          // a short name, when the entry has one
        std::string content;          // what a file holds, for checks by content
        std::uint32_t attributes = 0;
        std::uint64_t id = 0;
        bool inUse = false;            // a file another program holds open
        bool heldExclusively = false;  // held open with no sharing at all: it cannot even be opened
        bool unreadable = false;       // a folder that cannot be listed
        int failEnumerationAfter = -1; // a folder whose listing breaks after N entries
        std::string linkTarget;        // a link: where it leads
        bool followedOnOpen = false;   // a link the system opens through, whatever it is asked
        bool refusesNewFiles = false;  // a folder in which no file may be created
        Node* parent = nullptr;
        size_t depth = 0; // the drives are at 1
        std::vector<std::unique_ptr<Node>> children;
        bool isFolder() const { return (attributes & attr::kDirectory) != 0; }
        bool isLink() const { return !linkTarget.empty(); }
        Node* child(const std::string& name) const;
    };

    MemoryFileSystem();
    ~MemoryFileSystem();
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

    // --- set-up and inspection for tests; paths are "C:\a\b" with or without a final "\" ---
    Node& addFolder(const std::string& path, std::uint32_t attributes = 0);
    Node& addFile(const std::string& path, std::uint32_t attributes = attr::kArchive,
                  const std::string& content = "x");
    // An entry of any name (separators and dots included) in a folder.
    Node& addChild(Node& folder, const std::string& name, std::uint32_t attributes,
                   const std::string& content = "x");
    // A folder link (junction) at `path` that leads to `target`; opened as itself.
    Node& addLink(const std::string& path, const std::string& target);
    // A link to a file, opened as itself.
    Node& addFileLink(const std::string& path, const std::string& target);
    // A link of the host's file system as Wine shows it: listed as a plain file or as a
    // linked folder, and opened through whatever is asked.
    Node& addHostLink(const std::string& path, const std::string& target);
    // Takes the entry at `path` away and puts a host link to `target` in its place.
    Node& swapForHostLink(const std::string& path, const std::string& target);
    // Moves the entry at `path` into the folder `folder`, keeping its number, as a rename by
    // another program does.
    Node& moveInto(const std::string& path, const std::string& folder);
    Node* find(const std::string& path) const;
    bool exists(const std::string& path) const { return find(path) != nullptr; }
    // The content of the file at `path`, or nothing when it is not there.
    std::optional<std::string> contentOf(const std::string& path) const;
    // Every file below a folder, links not followed; for assertions.
    int fileCountBelow(const std::string& path) const;
    // The whole tree in one text, every entry with its attributes, content and link target:
    // two trees describe alike only when nothing of them differs.
    std::string describe() const;
    std::string pathOf(const Node& node) const;

    // How many times a handle was asked for its final path.
    int finalPathAsks = 0;
    // Final paths drop the trailing dots and blanks of every name, as some systems do.
    bool finalPathsTrimTrailingDots = false;
    // Runs before every open relative to a folder, with the path asked for: a test's
    // chance to change the tree between a listing and the next open.
    std::function<void(const std::string& path)> beforeOpen;
    // Every path opened, in order, once `recordOpens` is set: each folder a walk starts from
    // as it was asked for, and each entry opened relative to a folder (files read, databases
    // and locks included).
    bool recordOpens = false;
    std::vector<std::string> opened;
    // Runs before every statement on a database of the tree, with the database's path, the
    // scratch file SQLite works on (another connection may open it) and the statement.
    std::function<void(const std::string& path, const std::string& scratchFile, std::string_view sql)>
        beforeStatement;
    // Statements that fail on every database of the tree without running, as on a full disk.
    std::set<std::string, std::less<>> failingStatements;

    // --- the operations behind PlatformServices ---
    FolderOpening openFolderHandle(const std::string& path);

    // A file opened to be appended to, by its one name in its folder: a link or a folder of
    // that name is refused, a file in use too; a missing file is made. While it is open, the
    // file is in use.
    AppendOpening openForAppend(const std::string& path);

    int openHandles() const { return openHandles_; }
    int mostOpenHandles() const { return mostOpenHandles_; }
    std::vector<std::string> deleted; // paths of the files deleted, in order
    std::vector<std::string> removed; // paths of the folders removed, in order

    // Files written in place of others: what the disk has room for (nothing: no limit), a
    // disk that stores one byte otherwise than it was written, and what was created and
    // renamed over what.
    std::optional<std::size_t> freeBytes;
    bool garbleWrites = false;
    std::vector<std::string> created;     // paths of the files created, in order
    std::vector<std::string> renamedOver; // paths that a rename replaced, in order

private:
    class PathCache {
    public:
        void build(const Node& node, const Node* root, std::string& into);
        void forget(const Node& node);
        bool trim_ = false;
        bool trimmedLast_ = false;
        std::vector<const Node*> chain_;
        std::vector<size_t> lengths_;
        std::string path_;
        std::vector<const Node*> pending_;
    };
    class Handle;
    class Hold;
    Node* resolve(const std::string& path, bool followLastLink) const;
    Node* resolveFrom(Node* start, const std::vector<std::string>& parts, bool followLastLink, int& hops) const;
    Node& addNode(const std::string& path, std::uint32_t attributes);
    Node& attach(Node& folder, std::unique_ptr<Node> node);
    std::unique_ptr<Node> detach(Node& node);
    bool erase(Node& node);
    bool finalPathOf(const Node& node, std::string& into) const;

    std::unique_ptr<Node> root_; // children are the drives ("C:")
    std::vector<std::unique_ptr<Node>> detached_; // gone from the tree, still held by a handle
    mutable PathCache paths_;
    mutable PathCache finalPaths_;
    std::uint64_t nextId_ = 1;
    int openHandles_ = 0;
    int mostOpenHandles_ = 0;
};

} // namespace tv::memory
