#include "engine/FolderOps.h"

#include <algorithm>
#include <vector>

#include "engine/ComparablePath.h"
#include "engine/Names.h"

namespace tv::engine {

namespace {

// Keeps the window responsive without paying a message pass per file.
class ThrottledPump {
public:
    ThrottledPump(PlatformServices& platform, RunCallback& callback) : platform_(platform), callback_(callback) {}
    // False once the run may not go on: the walk then stops where it is.
    bool beforeFile() {
        if (!pumped_ || platform_.tickMilliseconds() - last_ >= kPumpIntervalMs) {
            pumped_ = true;
            callback_.pump();
            // Counted from the pump's end: a pump slower than the interval (a repaint on a
            // busy machine) would otherwise make every file pump.
            last_ = platform_.tickMilliseconds();
        }
        return callback_.mayGoOn();
    }

private:
    PlatformServices& platform_;
    RunCallback& callback_;
    std::uint64_t last_ = 0;
    bool pumped_ = false;
};

bool hasAnyOf(std::string_view text, std::string_view characters) {
    return text.find_first_of(characters) != std::string_view::npos;
}

// The name to open an entry by. A name the system would read as a pattern, a stream or a
// device is reached through its short name; an entry with neither is left alone.
std::string_view nameToOpen(const ListedEntry& entry) {
    if (!isSingleName(entry.name)) return {};
    if (!hasAnyOf(entry.name, "*?<>|\":")) return entry.name;
    return isSingleName(entry.altName) && !hasAnyOf(entry.altName, "*?<>|\":") ? entry.altName : std::string_view();
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
    std::unique_ptr<EntryHandle> owned; // empty for the folder a walk was handed
    EntryHandle* handle = nullptr;
    size_t pathLength = 0;
    PurgeTally atEntry; // the visitor's tally when the walk entered it
};

// What a walk does with what it meets; the walk itself decides what is met, so that a
// count and a purge of an unchanged tree meet the same entries.
class WalkVisitor {
public:
    virtual ~WalkVisitor() = default;
    virtual void file(EntryHandle& folder, std::string_view folderPath, std::string_view name,
                      const ListedEntry& entry) = 0;
    virtual void link(EntryHandle& link) = 0;
    // An entry left where it stands: a file whose name cannot be opened safely, a link the
    // rules keep.
    virtual void entryLeft() {}
    // `path` is where the walk found the folder; true when it is gone.
    virtual bool folderDone(EntryHandle& folder, std::string_view path) = 0;
    // Whether folders whose names begin with a dot are left alone (else walked like any).
    virtual bool skipsDotFolders() const { return true; }
    // Whether the walk should prove, and hand to folderLeft, the folders it does not enter.
    virtual bool seesLeftFolders() const { return false; }
    // Whether a folder, proved to be what the listing showed, is to be left as it is.
    virtual bool keeps(std::string_view) const { return false; }
    // Whether such a folder is another cleaner's: then the walk leaves it without a word.
    virtual bool handledElsewhere(std::string_view) const { return false; }
    // A folder proved to be that entry that the walk does not enter by rule.
    virtual void folderLeft(EntryHandle&, std::string_view) {}
    // A folder whose contents the walk cannot reach: not opened, not proven, not listed.
    virtual void folderUnreached(std::string_view) {}
    // A folder whose listing stopped on an error after it was emptied as far as it showed.
    virtual void listingBroke(EntryHandle&, std::string_view, const PurgeTally&) {}
    virtual PurgeTally tally() const { return {}; }
};

// Depth first in listing order, from a folder already open at `top` (its final path), with
// the open folders on a stack of their own: the depth a tree reaches costs heap, never call
// stack.
void walkFrom(ThrottledPump& pump, WalkVisitor& visitor, EntryHandle& top, std::string path) {
    if (!top.startListing()) {
        visitor.folderUnreached(path);
        return;
    }
    std::vector<OpenFolder> open;
    open.push_back({nullptr, &top, path.size(), visitor.tally()});
    std::string childFinal;
    ListedEntry entry;
    while (!open.empty()) {
        OpenFolder& folder = open.back();
        if (!folder.handle->nextListed(entry)) {
            const std::string_view folderPath(path.data(), folder.pathLength);
            // Emptied as far as it goes: a subfolder is removed through the handle it was
            // listed by, the top folder stays.
            bool gone = false;
            if (open.size() > 1) {
                try {
                    gone = visitor.folderDone(*folder.handle, folderPath);
                } catch (...) {
                    // Kept, like any folder that would not go.
                }
            }
            if (!gone && folder.handle->listingBroke()) {
                try {
                    visitor.listingBroke(*folder.handle, folderPath, folder.atEntry);
                } catch (...) {
                    visitor.folderUnreached(folderPath);
                }
            }
            open.pop_back();
            continue;
        }
        try {
            const std::string_view folderPath(path.data(), folder.pathLength);
            const std::string_view name = nameToOpen(entry);
            if (name.empty()) {
                // "." and ".." are the listing's own; other dot names fall under the dot rule.
                if (!entry.isFolder())
                    visitor.entryLeft();
                else if (entry.name.empty() || entry.name.front() != '.')
                    visitor.folderUnreached(joinPath(folderPath, entry.name));
                continue;
            }
            if (!entry.isFolder()) {
                if (!pump.beforeFile()) return;
                visitor.file(*folder.handle, folderPath, name, entry);
                continue;
            }
            const bool dotLeft = entry.name.front() == '.' && visitor.skipsDotFolders();
            if (dotLeft && !visitor.seesLeftFolders()) continue;
            auto child = folder.handle->openChild(name, EntryKind::Folder);
            if (!child) {
                if (!folder.handle->lastChildMissing()) visitor.folderUnreached(joinPath(folderPath, entry.name));
                continue;
            }
            // What the handle says, not what the listing said: a link is never entered, and a
            // folder the system cannot describe is left alone.
            const auto attributes = child->attributes();
            if (!attributes) {
                visitor.folderUnreached(joinPath(folderPath, entry.name));
                continue;
            }
            const bool isLink = (*attributes & attr::kReparsePoint) != 0;
            // Anything but that folder, inside this one, stays as it is and is not entered.
            const std::string_view leaf = !isLink && isListedFolder(child->fileId(), entry)
                                              ? entry.name
                                              : thatEntry(*child, entry, folderPath, childFinal);
            if (leaf.empty()) {
                // A link the system opened through stays a link; anything else may hide files.
                if (entry.attributes & attr::kReparsePoint)
                    visitor.entryLeft();
                else
                    visitor.folderUnreached(joinPath(folderPath, entry.name));
                continue;
            }
            if (isLink) {
                if (dotLeft)
                    visitor.entryLeft();
                else
                    visitor.link(*child);
                continue;
            }
            path.resize(folder.pathLength);
            if (path.back() != '\\') path += '\\';
            path.append(leaf);
            if (!dotLeft && visitor.handledElsewhere(path)) continue;
            if (dotLeft || visitor.keeps(path)) {
                visitor.folderLeft(*child, path);
                continue;
            }
            if (!child->startListing()) {
                if (!visitor.folderDone(*child, path)) visitor.folderUnreached(path);
                continue;
            }
            EntryHandle* listed = child.get();
            open.push_back({std::move(child), listed, path.size(), visitor.tally()});
        } catch (...) {
            // One entry's trouble does not stop the walk.
        }
    }
}

// The walk from a folder named by its path. A folder that is not there holds nothing; one
// that will not open is unreached.
void walk(PlatformServices& platform, ThrottledPump& pump, WalkVisitor& visitor, const std::string& target) {
    FolderOpening top = platform.openFolderHandle(target);
    std::string path;
    if (!top.handle || !top.handle->finalPath(path) || path.empty()) {
        if (!top.missing) visitor.folderUnreached(target);
        return;
    }
    walkFrom(pump, visitor, *top.handle, std::move(path));
}

// Counts, read-only, every entry below a folder that stays: no dot rule (all of it stays),
// links not followed. Whatever it cannot list is unreached.
class StayedCount : public WalkVisitor {
public:
    void file(EntryHandle&, std::string_view, std::string_view, const ListedEntry&) override { ++count.stayed; }
    void link(EntryHandle&) override { ++count.stayed; }
    void entryLeft() override { ++count.stayed; }
    bool folderDone(EntryHandle&, std::string_view) override { return false; }
    bool skipsDotFolders() const override { return false; }
    void folderUnreached(std::string_view path) override {
        if (count.unreached++ == 0) count.firstUnreached = path;
    }
    void listingBroke(EntryHandle&, std::string_view path, const PurgeTally&) override { folderUnreached(path); }
    PurgeTally count;
};

// What a purge leaves where it stands, in the comparable form of its paths: the purge and its
// plan read the same rules.
class Exceptions {
public:
    explicit Exceptions(const PurgeExceptions& exceptions)
        : kept_(exceptions.keptFolder.empty() ? std::string() : comparablePath(exceptions.keptFolder)) {
        for (const std::string& file : exceptions.storeFiles) storeFiles_.push_back(comparablePath(file));
        for (const std::string& folder : exceptions.handledFolders) handled_.push_back(comparablePath(folder));
    }
    bool keeps(std::string_view path) const { return !kept_.empty() && comparablePath(std::string(path)) == kept_; }
    bool handledElsewhere(std::string_view path) const { return listed(handled_, path); }
    bool isStoreFile(std::string_view folderPath, std::string_view name) const {
        return !storeFiles_.empty() && listed(storeFiles_, joinPath(folderPath, name));
    }

private:
    static bool listed(const std::vector<std::string>& paths, std::string_view path) {
        return !paths.empty() && std::find(paths.begin(), paths.end(), comparablePath(std::string(path))) != paths.end();
    }
    std::string kept_;
    std::vector<std::string> handled_;
    std::vector<std::string> storeFiles_;
};

class PurgeVisitor : public WalkVisitor {
public:
    PurgeVisitor(ThrottledPump& pump, RunCallback& callback, const PurgeExceptions& exceptions)
        : pump_(pump), callback_(callback), exceptions_(exceptions) {}
    void file(EntryHandle& folder, std::string_view folderPath, std::string_view name,
              const ListedEntry& entry) override {
        auto opened = folder.openChild(name, EntryKind::File);
        const bool gone = opened ? !thatEntry(*opened, entry, folderPath, final_).empty() && opened->markForDeletion()
                                 : folder.lastChildMissing();
        opened.reset(); // closed before the step: the file is gone when the bar moves
        ++tally_.met;
        if (gone) {
            ++tally_.removed;
            tally_.bytesRemoved += entry.size;
        } else if (!exceptions_.isStoreFile(folderPath, entry.name))
            ++tally_.stayed;
        callback_.fileStep();
    }
    void entryLeft() override { ++tally_.stayed; }
    // A link goes as a link; a system that cannot open one as such never gets here, since
    // its handle lands on what the link leads to and fails the check.
    void link(EntryHandle& link) override {
        if (!link.markForDeletion()) ++tally_.stayed;
    }
    // A folder may have been entered on its listed number alone: it goes only once its
    // handle proves to be still where the walk found it.
    bool folderDone(EntryHandle& folder, std::string_view path) override {
        return folder.finalPath(final_) && equalsNoCase(final_, path) && folder.markForDeletion();
    }
    bool seesLeftFolders() const override { return true; }
    bool keeps(std::string_view path) const override { return exceptions_.keeps(path); }
    bool handledElsewhere(std::string_view path) const override { return exceptions_.handledElsewhere(path); }
    void folderLeft(EntryHandle& folder, std::string_view path) override { add(countStayed(folder, path)); }
    void folderUnreached(std::string_view path) override {
        if (tally_.unreached++ == 0) tally_.firstUnreached = path;
    }
    // What the listing never showed is counted afresh, read-only, from the folder's first
    // entry; that count holds what stayed of the folder so far, so it replaces the tally's.
    // A folder that breaks again is named.
    void listingBroke(EntryHandle& folder, std::string_view path, const PurgeTally& atEntry) override {
        const PurgeTally recount = countStayed(folder, path);
        if (folder.listingBroke()) {
            folderUnreached(path);
            return;
        }
        const PurgeTally sofar = tally_;
        tally_ = atEntry;
        tally_.met = sofar.met;
        tally_.removed = sofar.removed;
        tally_.bytesRemoved = sofar.bytesRemoved;
        add(recount);
    }
    PurgeTally tally() const override { return tally_; }

private:
    PurgeTally countStayed(EntryHandle& folder, std::string_view path) {
        StayedCount count;
        walkFrom(pump_, count, folder, std::string(path));
        return count.count;
    }
    void add(const PurgeTally& more) {
        tally_.stayed += more.stayed;
        if (more.unreached > 0 && tally_.unreached == 0) tally_.firstUnreached = more.firstUnreached;
        tally_.unreached += more.unreached;
    }

    ThrottledPump& pump_;
    RunCallback& callback_;
    Exceptions exceptions_;
    PurgeTally tally_;
    std::string final_;
};

class CountVisitor : public WalkVisitor {
public:
    CountVisitor(ThrottledPump&, RunCallback&) {}
    void file(EntryHandle&, std::string_view, std::string_view, const ListedEntry&) override { ++total; }
    void link(EntryHandle&) override {}
    bool folderDone(EntryHandle&, std::string_view) override { return false; }
    int total = 0;
};

// What the purge would meet, as the count meets it: the purge's own rules for what it leaves
// (the kept folder, the store's own files) and nothing opened for deletion.
class PlanVisitor : public WalkVisitor {
public:
    PlanVisitor(ThrottledPump&, RunCallback&, const PurgeExceptions& exceptions) : exceptions_(exceptions) {}
    void file(EntryHandle&, std::string_view folderPath, std::string_view, const ListedEntry& entry) override {
        if (exceptions_.isStoreFile(folderPath, entry.name)) return;
        ++plan.files;
        plan.bytes += entry.size;
    }
    void link(EntryHandle&) override {}
    bool folderDone(EntryHandle&, std::string_view) override { return false; }
    bool keeps(std::string_view path) const override { return exceptions_.keeps(path); }
    bool handledElsewhere(std::string_view path) const override { return exceptions_.handledElsewhere(path); }
    void folderUnreached(std::string_view path) override {
        if (plan.unreached++ == 0) plan.firstUnreached = path;
    }
    FolderPlan plan;

private:
    Exceptions exceptions_;
};

// A walk of `path` by a visitor made for it; an empty path is a notice and no walk.
template <typename Visitor, typename... Made>
Visitor walkWith(PlatformServices& platform, RunCallback& callback, const std::string& path, Made&&... made) {
    ThrottledPump pump(platform, callback);
    Visitor visitor(pump, callback, std::forward<Made>(made)...);
    if (path.empty())
        callback.notice(Notice::PathError);
    else
        walk(platform, pump, visitor, path);
    return visitor;
}

} // namespace

PurgeTally PurgeFolder(PlatformServices& platform, RunCallback& callback, const std::string& path,
                       const PurgeExceptions& exceptions) {
    return walkWith<PurgeVisitor>(platform, callback, path, exceptions).tally();
}

FolderPlan PlanFolder(PlatformServices& platform, RunCallback& callback, const std::string& path,
                      const PurgeExceptions& exceptions) {
    return walkWith<PlanVisitor>(platform, callback, path, exceptions).plan;
}

int CountFiles(PlatformServices& platform, RunCallback& callback, const std::string& path) {
    return walkWith<CountVisitor>(platform, callback, path).total;
}

std::string RenvoiDossier(PlatformServices& platform, int csidl) { return platform.specialFolderPath(csidl); }

std::string TempFolderPath(PlatformServices& platform) { return platform.tempFolderPath(); }

} // namespace tv::engine
