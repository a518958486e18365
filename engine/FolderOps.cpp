#include "engine/FolderOps.h"

#include <vector>

#include "engine/StatusWords.h"

namespace tv::engine {

namespace {

// Keeps the window responsive without paying a message pass per file.
class ThrottledPump {
public:
    ThrottledPump(PlatformServices& platform, toolkit::Application& app) : platform_(platform), app_(app) {}
    // False once the main window has been closed: the walk then stops where it is.
    bool beforeFile() {
        if (!pumped_ || platform_.tickMilliseconds() - last_ >= kPumpIntervalMs) {
            pumped_ = true;
            app_.processMessages();
            // Counted from the pump's end: a pump slower than the interval (a repaint on a
            // busy machine) would otherwise make every file pump.
            last_ = platform_.tickMilliseconds();
        }
        return !app_.terminated();
    }

private:
    PlatformServices& platform_;
    toolkit::Application& app_;
    std::uint64_t last_ = 0;
    bool pumped_ = false;
};

bool hasAnyOf(std::string_view text, std::string_view characters) {
    return text.find_first_of(characters) != std::string_view::npos;
}

// A name that is one name and nothing more: joined to a folder it can only mean an entry
// of that folder.
bool isSingleName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && !hasAnyOf(name, std::string_view("\\/\0", 3));
}

// The name to open an entry by. A name the system would read as a pattern, a stream or a
// device is reached through its short name; an entry with neither is left alone.
std::string_view nameToOpen(const ListedEntry& entry) {
    if (!isSingleName(entry.name)) return {};
    if (!hasAnyOf(entry.name, "*?<>|\":")) return entry.name;
    return isSingleName(entry.altName) && !hasAnyOf(entry.altName, "*?<>|\":") ? entry.altName : std::string_view();
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a == b) return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::string_view withoutTrailingDotsAndBlanks(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return name;
}

// Whether an opened handle is the listed entry, directly inside the folder whose final path
// is `folder`. `final` receives the handle's own final path; the result is its last part,
// empty when the handle is anything else.
std::string_view thatEntry(EntryHandle& opened, const ListedEntry& listed, std::string_view folder, std::string& final) {
    if (!opened.finalPath(final)) return {};
    const std::string_view path(final);
    const bool rootFolder = !folder.empty() && folder.back() == '\\';
    const size_t leafStart = folder.size() + (rootFolder ? 0 : 1);
    if (path.size() <= leafStart || !equalsNoCase(path.substr(0, folder.size()), folder)) return {};
    if (!rootFolder && path[folder.size()] != '\\') return {};
    const std::string_view leaf = path.substr(leafStart);
    if (hasAnyOf(leaf, "\\")) return {};
    if (equalsNoCase(leaf, listed.name)) return leaf;
    // Some systems report a name without its trailing dots and blanks; the entry's number
    // then tells whether the handle is that entry or a namesake.
    if (equalsNoCase(leaf, withoutTrailingDotsAndBlanks(listed.name)) && listed.fileId != 0 &&
        opened.fileId() == listed.fileId)
        return leaf;
    return {};
}

// A folder that the listing showed as a plain folder, and whose handle has the listed number,
// is that entry: a link followed on the way would have shown in the listing (or on the
// handle) or led to another number. Its path is then known without asking the system for it.
// A name that final paths may spell otherwise (trailing dots and blanks) is always asked.
bool isListedFolder(std::uint64_t opened, const ListedEntry& listed) {
    return listed.fileId != 0 && opened == listed.fileId && (listed.attributes & attr::kReparsePoint) == 0 &&
           withoutTrailingDotsAndBlanks(listed.name).size() == listed.name.size();
}

// An open folder of the walk. Its path is the first `pathLength` characters of the walk's
// path, which holds the innermost folder's: a deep tree costs one path, not one per level.
struct OpenFolder {
    std::unique_ptr<EntryHandle> handle;
    size_t pathLength = 0;
};

// What a walk does with what it meets; the walk itself decides what is met, so that a
// count and a purge of an unchanged tree meet the same entries.
class WalkVisitor {
public:
    virtual ~WalkVisitor() = default;
    virtual void file(EntryHandle& folder, std::string_view folderPath, std::string_view name,
                      const ListedEntry& entry) = 0;
    virtual void link(EntryHandle& link) = 0;
    // A file whose name cannot be opened safely: it stays.
    virtual void fileLeft() {}
    // `path` is where the walk found the folder.
    virtual void folderDone(EntryHandle& folder, std::string_view path) = 0;
};

// Depth first in listing order, with the open folders on a stack of their own: the depth a
// tree reaches costs heap, never call stack.
void walk(PlatformServices& platform, ThrottledPump& pump, WalkVisitor& visitor, const std::string& target) {
    std::vector<OpenFolder> open;
    std::string path;
    {
        auto top = platform.openFolderHandle(target);
        if (!top || !top->finalPath(path) || path.empty() || !top->startListing()) return;
        open.push_back({std::move(top), path.size()});
    }
    std::string childFinal;
    ListedEntry entry;
    while (!open.empty()) {
        OpenFolder& folder = open.back();
        if (!folder.handle->nextListed(entry)) {
            // Emptied as far as it goes: a subfolder is removed through the handle it was
            // listed by, the top folder stays.
            if (open.size() > 1) {
                try {
                    visitor.folderDone(*folder.handle, std::string_view(path.data(), folder.pathLength));
                } catch (...) {
                    // Kept, like any folder that would not go.
                }
            }
            open.pop_back();
            continue;
        }
        try {
            const std::string_view name = nameToOpen(entry);
            if (name.empty()) {
                if (!entry.isFolder()) visitor.fileLeft();
                continue;
            }
            const std::string_view folderPath(path.data(), folder.pathLength);
            if (!entry.isFolder()) {
                if (!pump.beforeFile()) return;
                visitor.file(*folder.handle, folderPath, name, entry);
                continue;
            }
            if (entry.name.front() == '.') continue;
            auto child = folder.handle->openChild(name, EntryKind::Folder);
            if (!child) continue;
            // What the handle says, not what the listing said: a link is never entered, and a
            // folder the system cannot describe is left alone.
            const auto attributes = child->attributes();
            if (!attributes) continue;
            const bool isLink = (*attributes & attr::kReparsePoint) != 0;
            // Anything but that folder, inside this one, stays as it is and is not entered.
            const std::string_view leaf = !isLink && isListedFolder(child->fileId(), entry)
                                              ? entry.name
                                              : thatEntry(*child, entry, folderPath, childFinal);
            if (leaf.empty()) continue;
            if (isLink) {
                visitor.link(*child);
                continue;
            }
            path.resize(folder.pathLength);
            if (path.back() != '\\') path += '\\';
            path.append(leaf);
            if (!child->startListing()) {
                visitor.folderDone(*child, path);
                continue;
            }
            open.push_back({std::move(child), path.size()});
        } catch (...) {
            // One entry's trouble does not stop the walk.
        }
    }
}

class PurgeVisitor : public WalkVisitor {
public:
    explicit PurgeVisitor(toolkit::ProgressBar& bar) : bar_(bar) {}
    void file(EntryHandle& folder, std::string_view folderPath, std::string_view name,
              const ListedEntry& entry) override {
        auto opened = folder.openChild(name, EntryKind::File);
        const bool gone = opened ? !thatEntry(*opened, entry, folderPath, final_).empty() && opened->markForDeletion()
                                 : folder.lastChildMissing();
        opened.reset(); // closed before the step: the file is gone when the bar moves
        ++tally.met;
        if (!gone) ++tally.stayed;
        bar_.stepIt();
    }
    void fileLeft() override { ++tally.stayed; }
    // A link goes as a link; a system that cannot open one as such never gets here, since
    // its handle lands on what the link leads to and fails the check.
    void link(EntryHandle& link) override { link.markForDeletion(); }
    // A folder may have been entered on its listed number alone: it goes only once its
    // handle proves to be still where the walk found it.
    void folderDone(EntryHandle& folder, std::string_view path) override {
        if (folder.finalPath(final_) && equalsNoCase(final_, path)) folder.markForDeletion();
    }

    PurgeTally tally;

private:
    toolkit::ProgressBar& bar_;
    std::string final_;
};

class CountVisitor : public WalkVisitor {
public:
    void file(EntryHandle&, std::string_view, std::string_view, const ListedEntry&) override { ++total; }
    void link(EntryHandle&) override {}
    void folderDone(EntryHandle&, std::string_view) override {}
    int total = 0;
};

} // namespace

PurgeTally PurgeFolder(PlatformServices& platform, toolkit::Application& app, toolkit::ProgressBar& bar,
                       const std::string& path) {
    if (path.empty()) {
        app.showMessage(kPathError);
        return {};
    }
    ThrottledPump pump(platform, app);
    PurgeVisitor visitor(bar);
    walk(platform, pump, visitor, path);
    return visitor.tally;
}

int CountFiles(PlatformServices& platform, toolkit::Application& app, const std::string& path) {
    if (path.empty()) {
        app.showMessage(kPathError);
        return 0;
    }
    ThrottledPump pump(platform, app);
    CountVisitor visitor;
    walk(platform, pump, visitor, path);
    return visitor.total;
}

std::string RenvoiDossier(PlatformServices& platform, int csidl) { return platform.specialFolderPath(csidl); }

std::string TempFolderPath(PlatformServices& platform) { return platform.tempFolderPath(); }

} // namespace tv::engine
