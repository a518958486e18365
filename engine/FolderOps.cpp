#include "engine/FolderOps.h"

#include <exception>

#include "engine/StatusWords.h"

namespace tv::engine {

namespace {

// Keeps the window responsive without paying a message pass per file.
class ThrottledPump {
public:
    ThrottledPump(PlatformServices& platform, toolkit::Application& app) : platform_(platform), app_(app) {}
    void beforeFile() {
        const std::uint64_t now = platform_.tickMilliseconds();
        if (pumped_ && now - last_ < kPumpIntervalMs) return;
        pumped_ = true;
        last_ = now;
        app_.processMessages();
    }

private:
    PlatformServices& platform_;
    toolkit::Application& app_;
    std::uint64_t last_ = 0;
    bool pumped_ = false;
};

std::string withBackslash(const std::string& path) {
    return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

bool isDotFolder(const FolderEntry& entry) { return entry.isFolder() && !entry.name.empty() && entry.name[0] == '.'; }

void purge(PlatformServices& platform, ThrottledPump& pump, toolkit::ProgressBar& bar, const std::string& path) {
    const std::string folder = withBackslash(path);
    auto entries = platform.enumerateFolder(folder + "*.*");
    if (!entries) return;
    do {
        try {
            const FolderEntry entry = entries->current();
            const std::string child = folder + entry.name;
            if (isDotFolder(entry)) continue;
            if (entry.isFolder()) {
                // A link is removed as it is: what it leads to belongs to somebody else.
                if (!entry.isReparsePoint()) purge(platform, pump, bar, child);
                platform.removeFolder(child);
            } else {
                pump.beforeFile();
                platform.deleteFile(child);
                bar.stepIt();
            }
        } catch (const std::exception&) {
            // One entry's trouble does not stop the walk.
        }
    } while (entries->next());
}

int count(PlatformServices& platform, ThrottledPump& pump, const std::string& path) {
    const std::string folder = withBackslash(path);
    auto entries = platform.enumerateFolder(folder + "*.*");
    if (!entries) return 0;
    int total = 0;
    do {
        try {
            const FolderEntry& entry = entries->current();
            if (isDotFolder(entry)) continue;
            if (entry.isFolder()) {
                if (!entry.isReparsePoint()) total += count(platform, pump, folder + entry.name);
            } else {
                pump.beforeFile();
                ++total;
            }
        } catch (const std::exception&) {
            // The count gathered so far stands.
        }
    } while (entries->next());
    return total;
}

} // namespace

void PurgeFolder(PlatformServices& platform, toolkit::Application& app, toolkit::ProgressBar& bar,
                 const std::string& path) {
    if (path.empty()) {
        app.showMessage(kPathError);
        return;
    }
    ThrottledPump pump(platform, app);
    purge(platform, pump, bar, path);
}

int CountFiles(PlatformServices& platform, toolkit::Application& app, const std::string& path) {
    if (path.empty()) {
        app.showMessage(kPathError);
        return 0;
    }
    ThrottledPump pump(platform, app);
    return count(platform, pump, path);
}

std::string RenvoiDossier(PlatformServices& platform, int csidl) { return platform.specialFolderPath(csidl); }

std::string TempFolderPath(PlatformServices& platform) { return platform.tempFolderPath(); }

} // namespace tv::engine
