#include "engine/RecycleBin.h"

#include "engine/StatusWords.h"

namespace tv::engine {

Outcome EmptyRecycleBin(PlatformServices& platform, RunCallback& callback, std::uint64_t* removed) {
    Outcome result = kImpossible;
    if (std::unique_ptr<LoadedLibrary> shell = platform.loadLibrary(kShellLibrary)) {
        // Without the function nothing was emptied: saying "cleaned" would hide that.
        if (shell->hasFunction(kEmptyRecycleBinFunction)) {
            const std::uint64_t before = removed ? shell->recycleBinItemCount().value_or(0) : 0;
            // The call's own answer says nothing useful (an empty bin is an error to it); what
            // the bins hold afterwards does. A system that cannot count is taken at its word.
            shell->callEmptyRecycleBin(kEmptyRecycleBinFunction, callback.ownerWindow(), "", kEmptyRecycleBinFlags);
            const auto left = shell->recycleBinItemCount();
            result = left && *left > 0 ? kImpossible : kCleaned;
            if (removed && left && before > *left) *removed = before - *left;
        }
    } // the library is released before the bar moves
    callback.shareStep(100);
    return result;
}

std::optional<std::uint64_t> CountRecycleBin(PlatformServices& platform) {
    const std::unique_ptr<LoadedLibrary> shell = platform.loadLibrary(kShellLibrary);
    if (!shell) return std::nullopt;
    return shell->recycleBinItemCount();
}

} // namespace tv::engine
