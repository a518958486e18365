#include "engine/BrowserCleaners.h"
#include "engine/StatusWords.h"

namespace tv::engine {

std::string EmptyRecycleBin(PlatformServices& platform, const RunDisplay& display) {
    std::string result = kImpossible;
    if (std::unique_ptr<LoadedLibrary> shell = platform.loadLibrary(kShellLibrary)) {
        // Without the function nothing was emptied: saying "Nettoyé" would hide that.
        if (shell->hasFunction(kEmptyRecycleBinFunction)) {
            // The call's own answer says nothing useful (an empty bin is an error to it); what
            // the bins hold afterwards does. A system that cannot count is taken at its word.
            shell->callEmptyRecycleBin(kEmptyRecycleBinFunction, display.app.handle(), "", kEmptyRecycleBinFlags);
            const auto left = shell->recycleBinItemCount();
            result = left && *left > 0 ? kImpossible : kCleaned;
        }
    } // the library is released before the bar moves
    display.bar.stepBy(100);
    return result;
}

} // namespace tv::engine
