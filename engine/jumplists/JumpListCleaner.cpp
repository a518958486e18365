#include "engine/jumplists/JumpListCleaner.h"

#include <algorithm>
#include <cctype>

#include "engine/browsers/PlainFolders.h"

namespace tv::engine::jumplists {

namespace {

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool isJumpListName(std::string_view name) {
    const std::string_view suffix(kJumpListSuffix);
    return name.size() > suffix.size() && sameText(name.substr(name.size() - suffix.size()), suffix) &&
           isPlainName(name);
}

struct Listed {
    std::string name;
    std::uint64_t fileId = 0;
    bool plain = true; // listed as a plain file, not as a link
};

// The folder of jump lists, opened one name at a time below the recent-documents folder, and
// what it lists. Names first: the rewrites add and rename entries while the list is used.
struct JumpListFolder {
    browsers::Reach reach = browsers::Reach::Missing;
    std::unique_ptr<EntryHandle> handle;
    std::string path; // the folder's final path
    std::vector<Listed> lists;
};

JumpListFolder openJumpListFolder(PlatformServices& platform, const std::string& recentFolder) {
    JumpListFolder folder;
    browsers::ReachedFolder reached = browsers::openPlainFolder(platform, recentFolder, kAutomaticDestinations);
    folder.reach = reached.reach;
    if (reached.reach != browsers::Reach::Open) return folder;
    folder.handle = std::move(reached.handle);
    if (!folder.handle->finalPath(folder.path) || !folder.handle->startListing()) {
        folder.reach = browsers::Reach::Refused;
        return folder;
    }
    ListedEntry entry;
    while (folder.handle->nextListed(entry))
        if (!entry.isFolder() && isJumpListName(entry.name))
            folder.lists.push_back({std::string(entry.name), entry.fileId, (entry.attributes & attr::kReparsePoint) == 0});
    if (folder.handle->listingBroke()) folder.reach = browsers::Reach::Refused;
    return folder;
}

std::string joined(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '\\') path += '\\';
    path.append(name);
    return path;
}

// Whether an open handle is the listed jump list, directly in its folder: a plain file of
// the listed number whose path is the folder's and the listed name.
bool isListedFile(EntryHandle& file, const Listed& listed, const std::string& folderPath) {
    const auto attributes = file.attributes();
    if (!attributes || (*attributes & (attr::kReparsePoint | attr::kDirectory)) != 0) return false;
    if (listed.fileId != 0 && file.fileId() != listed.fileId) return false;
    std::string final;
    return file.finalPath(final) && sameText(final, joined(folderPath, listed.name));
}

class Cleaner {
public:
    explicit Cleaner(JumpListFolder& folder) : folder_(folder) {}

    JumpListTally run() {
        if (folder_.reach == browsers::Reach::Refused) tally_.folderUnreached = true;
        if (folder_.reach != browsers::Reach::Open) return tally_;
        for (const Listed& listed : folder_.lists) clean(listed);
        return tally_;
    }

private:
    void clean(const Listed& listed) {
        if (!listed.plain) return left();
        auto file = folder_.handle->openChildForRewrite(listed.name);
        if (!file) {
            if (!folder_.handle->lastChildMissing()) left();
            return;
        }
        if (!isListedFile(*file, listed, folder_.path)) return left();
        const auto bytes = file->readContent(kJumpListLimit);
        if (!bytes) return left();
        const JumpListPlan plan = planJumpList(*bytes);
        switch (plan.action) {
        case JumpListAction::Keep:
            return;
        case JumpListAction::Remove:
            if (!file->markForDeletion()) return left();
            ++tally_.removed;
            tally_.entriesRemoved += plan.leaving;
            return;
        case JumpListAction::Rewrite:
            if (!replace(listed, std::move(file), plan)) return left();
            ++tally_.rewritten;
            tally_.entriesRemoved += plan.leaving;
            return;
        case JumpListAction::UnknownVersion:
        case JumpListAction::Damaged:
            return left();
        }
    }

    // Written beside the old file, read back and checked, then renamed over it while the old
    // file is still proven to be that entry. Any failure removes the new file.
    bool replace(const Listed& listed, std::unique_ptr<EntryHandle> old, const JumpListPlan& plan) {
        const auto bytes = writeCompoundFile(plan.replacement);
        if (!bytes) return false;
        std::unique_ptr<EntryHandle> written;
        // A name of our own; one left by a run that was cut short is never reused or replaced.
        for (int attempt = 0; attempt < 4 && !written; ++attempt)
            written = folder_.handle->createChildFile(listed.name + ".tarmveilon-" + std::to_string(attempt) + ".tmp");
        if (!written) return false;
        bool done = false;
        if (written->writeContent(*bytes)) {
            const auto readBack = written->readContent(bytes->size());
            // Back from the disk as written, and read again as the jump list planned.
            done = readBack && *readBack == *bytes && holdsReplacement(plan, *readBack) &&
                   isListedFile(*old, listed, folder_.path) &&
                   written->renameOver(*folder_.handle, listed.name, std::move(old));
        }
        if (!done) written->markForDeletion();
        return done;
    }

    void left() { ++tally_.leftAsTheyWere; }

    JumpListFolder& folder_;
    JumpListTally tally_;
};

} // namespace

std::string jumpListFolder(PlatformServices& platform, const std::string& recentFolder) {
    if (recentFolder.empty()) return {};
    const std::string path = joined(recentFolder, kAutomaticDestinations);
    const std::string final = platform.finalFolderPath(path);
    return final.empty() ? path : final;
}

JumpListTally cleanJumpLists(PlatformServices& platform, const std::string& recentFolder) {
    if (recentFolder.empty()) return {};
    JumpListFolder folder = openJumpListFolder(platform, recentFolder);
    return Cleaner(folder).run();
}

std::vector<JumpListForecast> planJumpLists(PlatformServices& platform, const std::string& recentFolder) {
    std::vector<JumpListForecast> forecasts;
    if (recentFolder.empty()) return forecasts;
    JumpListFolder folder = openJumpListFolder(platform, recentFolder);
    if (folder.reach != browsers::Reach::Open) return forecasts;
    for (const Listed& listed : folder.lists) {
        JumpListForecast forecast;
        forecast.name = listed.name;
        const auto bytes = listed.plain ? folder.handle->readChildFile(listed.name, kJumpListLimit) : std::nullopt;
        if (!bytes) {
            if (listed.plain && folder.handle->lastChildMissing()) continue;
            forecast.readable = false;
        } else {
            const JumpListPlan plan = planJumpList(*bytes);
            forecast.action = plan.action;
            forecast.entries = plan.entries;
            forecast.pinned = plan.pinned;
            forecast.leaving = plan.leaving;
        }
        forecasts.push_back(std::move(forecast));
    }
    return forecasts;
}

} // namespace tv::engine::jumplists
