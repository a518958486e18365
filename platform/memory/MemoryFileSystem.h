#pragma once
// An in-memory file tree with Windows' rules: case-insensitive names, "." and ".." in every
// enumeration, read-only and in-use files that refuse deletion, folders that cannot be read,
// reparse points (links to another folder), enumerations that fail part-way, and a fixed
// enumeration order (the order of creation).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"

namespace tv::memory {

class MemoryFileSystem {
public:
    struct Node {
        std::string name;
        std::uint32_t attributes = 0;
        bool inUse = false;           // a file another program holds open
        bool unreadable = false;      // a folder whose enumeration cannot start
        int failEnumerationAfter = -1; // a folder whose enumeration breaks after N entries
        std::string linkTarget;       // a reparse point: where it leads
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        bool isFolder() const { return (attributes & attr::kDirectory) != 0; }
        Node* child(const std::string& name) const;
    };

    MemoryFileSystem();

    // --- set-up and inspection for tests; paths are "C:\a\b" with or without a final "\" ---
    Node& addFolder(const std::string& path, std::uint32_t attributes = 0);
    Node& addFile(const std::string& path, std::uint32_t attributes = attr::kArchive);
    // A folder link (junction) at `path` that leads to `target`.
    Node& addLink(const std::string& path, const std::string& target);
    Node* find(const std::string& path) const;
    bool exists(const std::string& path) const { return find(path) != nullptr; }
    // Every file below a folder, links not followed; for assertions.
    int fileCountBelow(const std::string& path) const;

    // --- the operations behind PlatformServices ---
    std::unique_ptr<FolderEnumeration> enumerate(const std::string& pattern);
    bool deleteFile(const std::string& path);
    bool removeFolder(const std::string& path);

    int openEnumerations() const { return openEnumerations_; }
    int mostOpenEnumerations() const { return mostOpen_; }
    std::vector<std::string> deleted; // paths of the files deleted, in order
    std::vector<std::string> removed; // paths of the folders removed, in order

private:
    class Enumeration;
    Node* resolve(const std::string& path, bool followLastLink) const;
    Node& addNode(const std::string& path, std::uint32_t attributes);

    std::unique_ptr<Node> root_; // children are the drives ("C:")
    int openEnumerations_ = 0;
    int mostOpen_ = 0;
};

} // namespace tv::memory
