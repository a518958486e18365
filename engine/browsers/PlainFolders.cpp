#include "engine/browsers/PlainFolders.h"

namespace tv::engine::browsers {

std::pair<std::string_view, std::string_view> splitLast(std::string_view path) {
    const auto at = path.rfind('\\');
    if (at == std::string_view::npos) return {std::string_view(), path};
    return {path.substr(0, at), path.substr(at + 1)};
}

bool holdsFile(EntryHandle& folder, std::string_view name) {
    if (folder.openChild(name, EntryKind::File)) return true;
    return !folder.lastChildMissing() && !folder.openChild(name, EntryKind::Folder) && !folder.lastChildMissing();
}

ReachedFolder openPlainFolder(EntryHandle& from, std::string_view relative) {
    if (relative.empty()) return {Reach::Refused, nullptr}; // the caller's own folder has its own handle
    std::unique_ptr<EntryHandle> folder;
    EntryHandle* current = &from;
    while (!relative.empty()) {
        const auto at = relative.find('\\');
        const std::string_view name = relative.substr(0, at);
        relative = at == std::string_view::npos ? std::string_view() : relative.substr(at + 1);
        if (!isPlainName(name)) return {Reach::Refused, nullptr};
        auto child = current->openChild(name, EntryKind::Folder);
        if (!child) return {current->lastChildMissing() ? Reach::Missing : Reach::Refused, nullptr};
        const auto attributes = child->attributes();
        if (!attributes || (*attributes & attr::kReparsePoint) != 0) return {Reach::Refused, nullptr};
        folder = std::move(child);
        current = folder.get();
    }
    return {Reach::Open, std::move(folder)};
}

ReachedFolder openPlainFolder(PlatformServices& platform, const std::string& base, std::string_view relative) {
    if (base.empty()) return {Reach::Missing, nullptr};
    FolderOpening top = platform.openFolderHandle(base);
    if (!top.handle) return {top.missing ? Reach::Missing : Reach::Refused, nullptr};
    if (relative.empty()) return {Reach::Open, std::move(top.handle)};
    return openPlainFolder(*top.handle, relative);
}

} // namespace tv::engine::browsers
