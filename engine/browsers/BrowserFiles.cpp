#include "engine/browsers/BrowserFiles.h"

#include "engine/FolderOps.h"
#include "engine/Names.h"
#include "engine/browsers/PlainFolders.h"

namespace tv::engine::browsers {

namespace {

StoreOutcome unreached(Reach reach) { return reach == Reach::Missing ? StoreOutcome::Absent : StoreOutcome::Refused; }

} // namespace

StoreOutcome cleanBrowserFile(TaskWork& work, const std::string& base, std::string_view relative, Place place,
                              const std::string& key, bool browserRunning) {
    const auto [folderPath, name] = splitLast(relative);
    ReachedFolder folder = openPlainFolder(work.platform, base, folderPath);
    if (folder.reach != Reach::Open) return unreached(folder.reach);
    if (work.planning()) {
        const auto size = folder.handle->childFileSize(name);
        if (!size) return folder.handle->lastChildMissing() ? StoreOutcome::Absent : StoreOutcome::Refused;
        place.path = joinPath(base, relative);
        work.item(ItemKind::BrowserFile, std::move(place), key, 1, *size, browserRunning);
        return StoreOutcome::Cleaned;
    }
    if (work.keptByChoice(key)) return StoreOutcome::Cleaned;
    const auto size = folder.handle->childFileSize(name);
    auto file = folder.handle->openChild(name, EntryKind::File);
    if (!file) return folder.handle->lastChildMissing() ? StoreOutcome::Absent : StoreOutcome::Refused;
    if (!file->markForDeletion()) return StoreOutcome::Refused;
    place.path = joinPath(base, relative);
    work.item(ItemKind::BrowserFile, std::move(place), key, 1, size);
    return StoreOutcome::Cleaned;
}

StoreOutcome cleanBrowserFolder(TaskWork& work, const std::string& base, std::string_view relative, Place place,
                                const std::string& key, bool browserRunning) {
    const Reach reach = openPlainFolder(work.platform, base, relative).reach;
    if (reach != Reach::Open) return unreached(reach);
    const std::string path = joinPath(base, relative);
    place.path = path;
    if (work.planning()) {
        const FolderPlan plan = PlanFolder(work.platform, work.callback, path);
        work.item(ItemKind::FolderFiles, std::move(place), key, static_cast<std::uint64_t>(plan.files), plan.bytes,
                  browserRunning);
        return StoreOutcome::Cleaned;
    }
    if (work.keptByChoice(key)) return StoreOutcome::Cleaned;
    // What stays is counted as files, not named as a store.
    const PurgeTally tally = PurgeFolder(work.platform, work.callback, path);
    work.filesStayed(tally.stayed);
    work.foldersUnreached(tally.unreached, {tally.firstUnreached, place.browser, place.profile});
    work.item(ItemKind::FolderFiles, std::move(place), key, static_cast<std::uint64_t>(tally.removed),
              tally.bytesRemoved);
    return StoreOutcome::Cleaned;
}

int countBrowserFolder(PlatformServices& platform, RunCallback& callback, const std::string& base,
                       std::string_view relative) {
    if (openPlainFolder(platform, base, relative).reach != Reach::Open) return 0;
    return CountFiles(platform, callback, joinPath(base, relative));
}

} // namespace tv::engine::browsers
