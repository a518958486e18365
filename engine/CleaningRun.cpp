#include "engine/CleaningRun.h"

#include <algorithm>
#include <limits>

#include "engine/BrowserCleaners.h"
#include "engine/DesktopLists.h"
#include "engine/FolderOps.h"
#include "engine/RegistryOps.h"
#include "engine/StatusWords.h"
#include "engine/TempFolderGuard.h"
#include "engine/browsers/BrowserGate.h"
#include "engine/browsers/ChromiumCleaner.h"
#include "engine/browsers/FirefoxCleaner.h"
#include "engine/browsers/GatedBrowsers.h"
#include "engine/jumplists/JumpListCleaner.h"

namespace tv::engine {

using toolkit::CheckState;
using toolkit::Cursor;
using toolkit::MessageButtons;
using toolkit::MessageIcon;
using toolkit::MessageResult;

void ShowStage(PlatformServices& platform, const RunDisplay& display, const std::string& text) {
    display.status.setCaption(text);
    display.app.processMessages();
    // A window closed during the pump ends the run at once: no need to wait.
    if (!display.app.terminated()) platform.sleep(kStagePauseMs);
}

void StepStatus(const RunDisplay& display, const std::string& text) {
    display.status.setCaption(text);
    display.bar.stepBy(kTaskShare);
}

namespace {

class Run {
public:
    Run(PlatformServices& platform, const RunWindow& window)
        : platform_(platform), window_(window), display_(window.display), app_(window.display.app) {}

    void execute() {
        if (!passBrowserGate()) return;
        if (internetGroupSelected(window_.tasks)) {
            chromium_ = browsers::findChromiumInstallations(platform_);
            firefox_ = browsers::findFirefoxInstallations(platform_);
            // One question names every browser that runs, whatever its family.
            auto gated = browsers::gated(platform_, chromium_);
            auto gatedFirefox = browsers::gated(platform_, firefox_);
            gated.insert(gated.end(), gatedFirefox.begin(), gatedFirefox.end());
            browsers::closeRunningBrowsers(platform_, display_, gated);
            if (ended()) return;
        }
        prepare();
        const std::int32_t budget = progressBudget();
        if (ended()) return;
        if (budget == 0) {
            hideProgress();
            app_.showMessage(kNothingSelected);
            return;
        }
        display_.bar.setMax(budget);
        for (std::size_t task = 0; task < kTaskCount; ++task) {
            if (ended()) return;
            if (!window_.tasks.selected(task)) continue;
            ShowStage(platform_, display_, kStageTexts[task]);
            if (ended()) return;
            runTask(task);
        }
        if (ended()) return;
        offerStartPage();
        if (ended()) return;
        finish();
    }

private:
    // Once the main window has closed, the program is ending: nothing more is done or asked.
    bool ended() {
        if (!app_.terminated()) return false;
        app_.setScreenCursor(Cursor::Default);
        return true;
    }

    MessageResult confirm(const char* question) {
        return app_.messageBox(question, kConfirmCaption, MessageButtons::YesNo, MessageIcon::Question);
    }

    bool passBrowserGate() {
        if (window_.internetMaster.state() == CheckState::Checked) {
            if (ended()) return false;
            // Only a plain No stops the full wipe; a box closed by its title bar lets it go on.
            if (confirm(kFullWipeQuestion) == MessageResult::No) {
                if (!ended())
                    app_.messageBox(kSelectiveHint, kInformationCaption, MessageButtons::Ok, MessageIcon::Information);
                return false;
            }
        } else if (internetGroupSelected(window_.tasks)) {
            if (ended()) return false;
            if (confirm(kCloseBrowserQuestion) != MessageResult::Yes) return false;
        } else {
            return true;
        }
        if (ended()) return false;
        if (!CloseBrowserWindows(platform_, display_)) summary_.browserStayedOpen();
        return true;
    }

    void prepare() {
        app_.setScreenCursor(Cursor::Hourglass);
        display_.caption.show();
        display_.bar.setPosition(0);
        display_.bar.show();
        temp_ = TempFolderPath(platform_);
    }

    std::int32_t progressBudget() {
        std::int64_t budget = 0;
        const auto& tasks = window_.tasks;
        if (tasks.selected(tkInternetFiles)) {
            budget += CountFiles(platform_, app_, RenvoiDossier(platform_, kCsidlInternetCache));
            if (!ended()) budget += browsers::countChromiumCacheFiles(platform_, app_, chromium_);
            if (!ended()) budget += browsers::countFirefoxCacheFiles(platform_, app_, firefox_);
        }
        if (tasks.selected(tkCookies) && !ended()) budget += CountFiles(platform_, app_, RenvoiDossier(platform_, kCsidlCookies));
        if (tasks.selected(tkTempFolder) && !ended()) budget += CountFiles(platform_, app_, temp_);
        for (std::size_t task = 0; task < kTaskCount; ++task)
            if (tasks.selected(task)) budget += kTaskShare;
        return static_cast<std::int32_t>(std::min<std::int64_t>(budget, std::numeric_limits<std::int32_t>::max()));
    }

    void hideProgress() {
        app_.setScreenCursor(Cursor::Default);
        display_.caption.hide();
        display_.bar.hide();
    }

    // A folder purge whose files that stayed are kept for the closing text.
    void purge(const std::string& path, const PurgeExceptions& exceptions = {}) {
        const PurgeTally tally = PurgeFolder(platform_, app_, display_.bar, path, exceptions);
        summary_.filesStayed(tally.stayed);
        summary_.foldersUnreached(tally.unreached, tally.firstUnreached);
    }

    // A folder task: the purge, then the store behind the folder, if any, cleared through its
    // own interface. The files a store keeps for itself are no traces once the run empties
    // that store: the cache's task empties the URL cache, whose records of the cookies lie in
    // the cookies' folder, and the history's task the history store.
    void cleanFolder(std::size_t task, int csidl) {
        const bool urlCache = task == tkInternetFiles;
        const bool history = task == tkHistory;
        PurgeExceptions exceptions;
        if (urlCache || (task == tkCookies && urlCacheEmptied_))
            exceptions.storeFiles = platform_.storeOwnFiles(BrowserStore::UrlCache);
        else if (history)
            exceptions.storeFiles = platform_.storeOwnFiles(BrowserStore::History);
        const std::string folder = RenvoiDossier(platform_, csidl);
        // The jump lists keep their pins: their folder is the jump-list cleaner's.
        if (task == tkRecentDocs) exceptions.handledFolders.push_back(jumplists::jumpListFolder(platform_, folder));
        purge(folder, exceptions);
        if (urlCache || history) {
            if (ended()) return;
            const bool cleared = urlCache ? PurgeUrlCache(platform_) : clear_history(platform_);
            if (!cleared) summary_.taskEnded(task, kImpossible);
            if (urlCache) urlCacheEmptied_ = cleared;
        }
        if (ended()) return;
        display_.status.setCaption(cleanBrowsers(task, kCleaned));
    }

    // The task's share in the browsers of today, after the older browser's: the status word
    // the task then ends with ("Nettoyé" once a browser went through a task whose older
    // store was not there).
    std::string cleanBrowsers(std::size_t task, const std::string& status) {
        if (!InternetGroup.contains(task) || (chromium_.empty() && firefox_.empty()) || ended()) return status;
        const bool historyKept = !window_.tasks.selected(tkHistory);
        std::string word = status;
        for (const auto& result : {browsers::cleanChromiumTask(platform_, display_, chromium_, task, historyKept),
                                   browsers::cleanFirefoxTask(platform_, display_, firefox_, task, historyKept)}) {
            summary_.filesStayed(result.filesStayed);
            for (const std::string& name : result.leftOpen) summary_.browserLeftOpen(name);
            for (const std::string& store : result.notCleaned) summary_.storeNotCleaned(store);
            if (!result.notCleaned.empty())
                word = kImpossible;
            else if (result.cleanedAny && word == kNotPresent)
                word = kCleaned;
        }
        return word;
    }

    // A status word that the closing text will account for.
    const std::string& noted(std::size_t task, const std::string& status) {
        summary_.taskEnded(task, status);
        return status;
    }

    void runTask(std::size_t task) {
        switch (task) {
        case tkInternetFiles:
            cleanFolder(task, kCsidlInternetCache);
            break;
        case tkCookies:
            cleanFolder(task, kCsidlCookies);
            break;
        case tkHistory:
            cleanFolder(task, kCsidlHistory);
            break;
        case tkTypedUrls: {
            const std::string status = noted(task, ResetRegKey(platform_, kTypedUrlsKey));
            StepStatus(display_, cleanBrowsers(task, status));
            break;
        }
        case tkAutoComplete:
            if (!PurgeAutoComplete(platform_, display_)) summary_.taskEnded(task, kImpossible);
            StepStatus(display_, cleanBrowsers(task, kAutoCompleteCleaned));
            break;
        case tkRecentDocs:
            cleanFolder(task, kCsidlRecent);
            if (ended()) return; // closed during the purge: no further deletion
            cleanJumpLists(RenvoiDossier(platform_, kCsidlRecent));
            display_.status.setCaption(emptyLists(task, kCleaned, wholeLists(kRecentDocsLists)));
            break;
        case tkRunMru: {
            const std::string runMru = noted(task, ResetRegKey(platform_, kRunMruKey));
            display_.status.setCaption(runMru);
            StepStatus(display_, emptyLists(task, runMru, wholeLists(kRunMruLists)));
            break;
        }
        case tkMediaPlayer:
            display_.status.setCaption(noted(task, ResetRegKey(platform_, kMediaFilesKey)));
            StepStatus(display_, noted(task, ResetRegKey(platform_, kMediaUrlsKey)));
            break;
        case tkTempFolder:
            // Only a folder that is nothing but a temporary folder is emptied; the program's
            // own folder inside it (a zip opened without extracting) stays as it is.
            if (IsPurgeableTempFolder(platform_, temp_)) {
                purge(temp_, {{}, ProgramFolderWithin(platform_, temp_), {}});
                display_.status.setCaption(kCleaned);
            } else {
                display_.status.setCaption(noted(task, kImpossible));
            }
            break;
        case tkOffice:
            cleanOffice();
            break;
        case tkRecycleBin:
            StepStatus(display_, noted(task, EmptyRecycleBin(platform_, display_)));
            break;
        default:
            break;
        }
    }

    // Each jump list left as it was is a file that stayed.
    void cleanJumpLists(const std::string& recent) {
        const jumplists::JumpListTally tally = jumplists::cleanJumpLists(platform_, recent);
        summary_.filesStayed(tally.leftAsTheyWere);
        if (tally.folderUnreached) summary_.foldersUnreached(1, jumplists::jumpListFolder(platform_, recent));
    }

    void cleanOffice() {
        std::string status;
        for (const OfficeTrace& trace : kOfficeTraces) {
            status = trace.value ? DeleteRegValue(platform_, trace.key, trace.value) : ResetRegKey(platform_, trace.key);
            display_.status.setCaption(noted(tkOffice, status));
        }
        const FoundLists found = FindOfficeLists(platform_);
        if (found.refused) status = noted(tkOffice, kImpossible);
        StepStatus(display_, emptyLists(tkOffice, status, found.lists));
    }

    template <std::size_t N>
    static std::vector<RegList> wholeLists(const char* const (&paths)[N]) {
        std::vector<RegList> lists;
        for (const char* path : paths) lists.push_back({path, false});
        return lists;
    }

    // Today's lists beside a task's written work, each one's word shown in turn; the task
    // ends on its written word unless a list did worse, or cleaned what the written one did not find.
    std::string emptyLists(std::size_t task, std::string word, const std::vector<RegList>& lists) {
        for (const RegList& list : lists) {
            const std::string status = noted(task, list.itemValues
                                                        ? DeleteRegValuesMatching(platform_, list.path, IsUnpinnedOfficeListItem)
                                                        : ResetRegKey(platform_, list.path));
            display_.status.setCaption(status);
            if (status == kImpossible || (status == kCleaned && word == kNotPresent)) word = status;
        }
        return word;
    }

    void offerStartPage() {
        if (!internetGroupSelected(window_.tasks)) return;
        if (confirm(kStartPageQuestion) == MessageResult::Yes && window_.showStartPage) window_.showStartPage();
    }

    void finish() {
        if (window_.refreshCounts) window_.refreshCounts();
        if (ended()) return;
        const auto& master = window_.internetMaster;
        if (master.caption() == kMasterCompleteCaption && master.state() == CheckState::Checked)
            window_.internetCount.setCaption(kNoCleanableFile);
        display_.bar.setPosition(display_.bar.max());
        app_.processMessages();
        if (ended()) return;
        platform_.sleep(kFinalPauseMs);
        display_.status.setCaption(summary_.text());
        hideProgress();
    }

    PlatformServices& platform_;
    const RunWindow& window_;
    const RunDisplay& display_;
    toolkit::Application& app_;
    std::string temp_;
    std::vector<browsers::ChromiumInstallation> chromium_;
    std::vector<browsers::FirefoxInstallation> firefox_;
    RunSummary summary_;
    bool urlCacheEmptied_ = false;
};

} // namespace

void Anonymisation(PlatformServices& platform, const RunWindow& window) { Run(platform, window).execute(); }

} // namespace tv::engine
