#include "engine/browsers/BrowserFiles.h"

#include "engine/FolderOps.h"
#include "engine/browsers/PlainFolders.h"

namespace tv::engine::browsers {

namespace {

std::string joined(const std::string& folder, std::string_view relative) {
    return folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + std::string(relative);
}

StoreOutcome unreached(Reach reach) { return reach == Reach::Missing ? StoreOutcome::Absent : StoreOutcome::Refused; }

} // namespace

StoreOutcome deleteBrowserFile(PlatformServices& platform, const std::string& base, std::string_view relative) {
    const auto [folderPath, name] = splitLast(relative);
    ReachedFolder folder = openPlainFolder(platform, base, folderPath);
    if (folder.reach != Reach::Open) return unreached(folder.reach);
    auto file = folder.handle->openChild(name, EntryKind::File);
    if (!file) return folder.handle->lastChildMissing() ? StoreOutcome::Absent : StoreOutcome::Refused;
    return file->markForDeletion() ? StoreOutcome::Cleaned : StoreOutcome::Refused;
}

StoreOutcome purgeBrowserFolder(PlatformServices& platform, const RunDisplay& display, const std::string& base,
                                std::string_view relative, PurgeTally& left) {
    const Reach reach = openPlainFolder(platform, base, relative).reach;
    if (reach != Reach::Open) return unreached(reach);
    // What stays is counted as files and folders, not named as a store.
    left = PurgeFolder(platform, display.app, display.bar, joined(base, relative));
    return StoreOutcome::Cleaned;
}

int countBrowserFolder(PlatformServices& platform, toolkit::Application& app, const std::string& base,
                       std::string_view relative) {
    if (openPlainFolder(platform, base, relative).reach != Reach::Open) return 0;
    return CountFiles(platform, app, joined(base, relative));
}

} // namespace tv::engine::browsers
