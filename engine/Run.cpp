#include "engine/Run.h"

#include <algorithm>
#include <limits>

#include "engine/CleanerError.h"
#include "engine/DesktopLists.h"
#include "engine/FolderOps.h"
#include "engine/RecycleBin.h"
#include "engine/RegistryOps.h"
#include "engine/StatusWords.h"
#include "engine/TaskTargets.h"
#include "engine/TaskWork.h"
#include "engine/TempFolderGuard.h"
#include "engine/browsers/BrowserGate.h"
#include "engine/browsers/ChromiumCleaner.h"
#include "engine/browsers/FirefoxCleaner.h"
#include "engine/browsers/FormData.h"
#include "engine/browsers/GatedBrowsers.h"
#include "engine/browsers/HistoryStore.h"
#include "engine/browsers/InternetExplorerWindows.h"
#include "engine/browsers/UrlCache.h"
#include "engine/jumplists/JumpListCleaner.h"

namespace tv::engine {

namespace {

StatusWord wordOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::Cleaned: return StatusWord::Cleaned;
    case Outcome::NotPresent: return StatusWord::NotPresent;
    case Outcome::Impossible: break;
    }
    return StatusWord::Impossible;
}

class Run {
public:
    Run(PlatformServices& platform, RunCallback& callback, const RunRequest& request, RunReport& report)
        : platform_(platform), callback_(callback), request_(request), tasks_(request.tasks), report_(report) {}

    void go() {
        report_.mode = request_.mode;
        if (!planning() && !passBrowserGate()) return;
        if (internetGroupSelected(tasks_)) {
            chromium_ = browsers::findChromiumInstallations(platform_);
            firefox_ = browsers::findFirefoxInstallations(platform_);
            if (!planning()) {
                // One question names every browser that runs, whatever its family.
                auto gated = browsers::gated(platform_, chromium_);
                auto gatedFirefox = browsers::gated(platform_, firefox_);
                gated.insert(gated.end(), gatedFirefox.begin(), gatedFirefox.end());
                browsers::closeRunningBrowsers(platform_, callback_, gated, gateMode());
                if (ended()) return;
            }
        }
        callback_.working();
        temp_ = TempFolderPath(platform_);
        if (planning()) {
            if (std::none_of(tasks_.entries().begin(), tasks_.entries().end(), [](std::int32_t flag) { return flag == 1; })) {
                report_.nothingSelected = true;
                return;
            }
        } else {
            const std::int32_t budget = progressBudget();
            if (ended()) return;
            if (budget == 0) {
                report_.nothingSelected = true;
                callback_.notice(Notice::NothingSelected);
                return;
            }
            callback_.total(budget);
        }
        report_.started = true;
        for (std::size_t task = 0; task < kTaskCount; ++task) {
            if (ended()) return;
            if (!tasks_.selected(task)) continue;
            report_.tasks[task].ran = true;
            callback_.taskBegins(task);
            if (ended()) return;
            TaskWork work(platform_, callback_, request_.mode, task, report_, &request_.kept);
            runTask(work);
            if (ended()) return;
            report_.tasks[task].ended = true;
            callback_.taskEnded(task, report_.tasks[task]);
        }
        if (ended()) return;
        if (!planning() && !request_.unattended && internetGroupSelected(tasks_))
            callback_.ask(Question::StartPage, {});
        if (ended()) return;
        report_.finished = true;
        callback_.finished(report_);
    }

private:
    bool planning() const { return request_.mode == RunMode::Plan; }

    browsers::GateMode gateMode() const {
        if (!request_.unattended) return browsers::GateMode::Ask;
        return request_.closeBrowsers ? browsers::GateMode::Close : browsers::GateMode::LeaveOpen;
    }

    // Once the front end says so (the main window closed, an interruption), nothing more is
    // done or asked.
    bool ended() {
        if (callback_.mayGoOn()) return false;
        report_.interrupted = true;
        return true;
    }

    bool passBrowserGate() {
        if (request_.unattended) {
            if (!internetGroupSelected(tasks_) || !request_.closeBrowsers) return true;
        } else if (request_.fullWipe) {
            if (ended()) return false;
            // Only a plain No stops the full wipe; a box closed by its title bar lets it go on.
            if (callback_.ask(Question::FullWipe, {}) == Answer::No) {
                report_.declined = true;
                if (!ended()) callback_.notice(Notice::SelectiveHint);
                return false;
            }
        } else if (internetGroupSelected(tasks_)) {
            if (ended()) return false;
            if (callback_.ask(Question::CloseInternetExplorer, {}) != Answer::Yes) {
                report_.declined = true;
                return false;
            }
        } else {
            return true;
        }
        if (ended()) return false;
        if (!browsers::CloseBrowserWindows(platform_, callback_)) report_.internetExplorerStayedOpen = true;
        return true;
    }

    std::int32_t progressBudget() {
        std::int64_t budget = 0;
        if (tasks_.selected(tkInternetFiles)) {
            budget += CountFiles(platform_, callback_, RenvoiDossier(platform_, kCsidlInternetCache));
            if (!ended()) budget += browsers::countChromiumCacheFiles(platform_, callback_, chromium_);
            if (!ended()) budget += browsers::countFirefoxCacheFiles(platform_, callback_, firefox_);
        }
        if (tasks_.selected(tkCookies) && !ended())
            budget += CountFiles(platform_, callback_, RenvoiDossier(platform_, kCsidlCookies));
        if (tasks_.selected(tkTempFolder) && !ended()) budget += CountFiles(platform_, callback_, temp_);
        for (std::size_t task = 0; task < kTaskCount; ++task)
            if (tasks_.selected(task)) budget += kTaskShare;
        return static_cast<std::int32_t>(std::min<std::int64_t>(budget, std::numeric_limits<std::int32_t>::max()));
    }

    // --- what every task's operations share ---

    // An operation's outcome: noted for the report and, when the run executes, shown.
    Outcome noted(TaskWork& work, Outcome outcome) {
        work.note(outcome);
        return outcome;
    }
    void show(TaskWork& work, StatusWord word) {
        if (!work.planning()) callback_.shown(work.task, word);
    }
    void showStep(TaskWork& work, StatusWord word) {
        if (work.planning()) return;
        callback_.shown(work.task, word);
        callback_.shareStep(kTaskShare);
    }

    // A folder purged or, planning, walked as the purge would walk it: one item.
    void folder(TaskWork& work, const std::string& path, const PurgeExceptions& exceptions = {}) {
        const std::string key = work.key("folder", path);
        if (work.planning()) {
            const FolderPlan plan = PlanFolder(platform_, callback_, path, exceptions);
            work.item(ItemKind::FolderFiles, {path, {}, {}, {}, false}, key, static_cast<std::uint64_t>(plan.files),
                      plan.bytes);
            return;
        }
        if (work.keptByChoice(key)) return;
        const PurgeTally tally = PurgeFolder(platform_, callback_, path, exceptions);
        work.filesStayed(tally.stayed);
        work.foldersUnreached(tally.unreached, {tally.firstUnreached, {}, {}});
        work.item(ItemKind::FolderFiles, {path, {}, {}, {}, false}, key, static_cast<std::uint64_t>(tally.removed),
                  tally.bytesRemoved);
    }

    // One registry item: planned from what `plan` finds, or, executing, removed by `clean`
    // and counted as it stood before.
    template <typename Plan, typename Clean>
    Outcome registryItem(TaskWork& work, ItemKind kind, const std::string& key, const std::string& path, Plan plan,
                         Clean clean) {
        const Place place{path, {}, {}, {}, false};
        if (work.planning()) {
            const RegPlan planned = plan();
            work.item(kind, place, key, planned.count);
            return noted(work, planned.presence);
        }
        if (work.keptByChoice(key)) return noted(work, kCleaned);
        const RegPlan before = plan();
        const Outcome outcome = clean();
        if (outcome == kCleaned) work.item(kind, place, key, before.count);
        return noted(work, outcome);
    }

    // A registry list reset (the key kept, emptied).
    Outcome resetKey(TaskWork& work, const std::string& path) {
        return registryItem(
            work, ItemKind::RegistryKeys, work.key("reg", path), path, [&] { return PlanResetRegKey(platform_, path); },
            [&] { return ResetRegKey(platform_, path); });
    }

    Outcome deleteValue(TaskWork& work, const std::string& path, const std::string& value) {
        return registryItem(
            work, ItemKind::RegistryValues, work.key("value", path + "|" + value), path,
            [&] { return PlanDeleteRegValue(platform_, path, value); }, [&] { return DeleteRegValue(platform_, path, value); });
    }

    // A list's numbered items (its key, its settings and what the user pinned kept).
    Outcome deleteItems(TaskWork& work, const std::string& path) {
        return registryItem(
            work, ItemKind::RegistryValues, work.key("values", path), path,
            [&] { return PlanDeleteRegValuesMatching(platform_, path, IsUnpinnedOfficeListItem); },
            [&] { return DeleteRegValuesMatching(platform_, path, IsUnpinnedOfficeListItem); });
    }

    // --- the tasks ---

    // A folder task of Internet Explorer's: the purge, then the store behind the folder, if
    // any, cleared through its own interface. The files a store keeps for itself are no
    // traces once the run empties that store: the cache's task empties the URL cache, whose
    // records of the cookies lie in the cookies' folder, and the history's task the history
    // store. Then the task's share in today's browsers.
    void internetFolderTask(TaskWork& work, int csidl) {
        const bool urlCache = work.task == tkInternetFiles;
        const bool history = work.task == tkHistory;
        PurgeExceptions exceptions;
        if (urlCache || (work.task == tkCookies && urlCacheEmptied_))
            exceptions.storeFiles = platform_.storeOwnFiles(BrowserStore::UrlCache);
        else if (history)
            exceptions.storeFiles = platform_.storeOwnFiles(BrowserStore::History);
        folder(work, RenvoiDossier(platform_, csidl), exceptions);
        noted(work, kCleaned);
        if (urlCache || history) {
            if (ended()) return;
            const StoreTurn turn = urlCache ? urlCacheStore(work) : historyStore(work);
            if (turn == StoreTurn::Failed) noted(work, kImpossible);
            if (urlCache) urlCacheEmptied_ = turn == StoreTurn::Emptied;
        }
        if (ended()) return;
        show(work, browsersShare(work, StatusWord::Cleaned));
    }

    // What became of a store emptied through its own interface.
    enum class StoreTurn { Emptied, Failed, Kept };

    StoreTurn urlCacheStore(TaskWork& work) {
        const std::string key = work.key("urlcache", "");
        const Place place{{}, "Internet Explorer", {}, {}, false};
        if (work.planning()) {
            const auto entries = browsers::CountUrlCache(platform_);
            if (entries) work.item(ItemKind::UrlCache, place, key, *entries);
            return entries ? StoreTurn::Emptied : StoreTurn::Failed;
        }
        if (work.keptByChoice(key)) return StoreTurn::Kept;
        std::uint64_t removed = 0;
        const bool cleared = browsers::PurgeUrlCache(platform_, &removed);
        work.item(ItemKind::UrlCache, place, key, removed);
        return cleared ? StoreTurn::Emptied : StoreTurn::Failed;
    }

    StoreTurn historyStore(TaskWork& work) {
        const std::string key = work.key("history", "");
        const Place place{{}, "Internet Explorer", {}, {}, false};
        if (work.planning()) {
            // The store is reached as the run reaches it: its errors are the plan's too.
            work.item(ItemKind::HistoryStore, place, key, browsers::HistoryEntryCount(platform_).value_or(1));
            return StoreTurn::Emptied;
        }
        if (work.keptByChoice(key)) return StoreTurn::Kept;
        const auto before = browsers::HistoryEntryCount(platform_);
        if (!browsers::clear_history(platform_)) return StoreTurn::Failed;
        work.item(ItemKind::HistoryStore, place, key, before.value_or(1));
        return StoreTurn::Emptied;
    }

    // The task's share in the browsers of today, after the older browser's: the word the
    // task then shows (Cleaned once a browser went through a task whose older store was not
    // there; Impossible when a browser's store stayed).
    StatusWord browsersShare(TaskWork& work, StatusWord word) {
        if (!InternetGroup.contains(work.task) || (chromium_.empty() && firefox_.empty()) || ended()) return word;
        const bool historyKept = !tasks_.selected(tkHistory);
        for (const auto& result : {browsers::cleanChromiumTask(work, chromium_, historyKept),
                                   browsers::cleanFirefoxTask(work, firefox_, historyKept)}) {
            if (result.storeLeft)
                word = StatusWord::Impossible;
            else if (result.cleanedAny && word == StatusWord::NotPresent)
                word = StatusWord::Cleaned;
            if (result.cleanedAny) work.note(kCleaned);
        }
        return word;
    }

    void runTask(TaskWork& work) {
        switch (work.task) {
        case tkInternetFiles:
            internetFolderTask(work, kCsidlInternetCache);
            break;
        case tkCookies:
            internetFolderTask(work, kCsidlCookies);
            break;
        case tkHistory:
            internetFolderTask(work, kCsidlHistory);
            break;
        case tkTypedUrls:
            showStep(work, browsersShare(work, wordOf(resetKey(work, kTypedUrlsKey))));
            break;
        case tkAutoComplete:
            formData(work);
            showStep(work, browsersShare(work, StatusWord::AutoCompleteCleaned));
            break;
        case tkRecentDocs: {
            // The jump lists keep their pins: their folder is the jump-list cleaner's.
            const std::string recent = RenvoiDossier(platform_, kRecentDocsFolder);
            folder(work, recent, {{}, {}, {jumplists::jumpListFolder(platform_, recent)}});
            noted(work, kCleaned);
            if (ended()) return; // closed during the purge: no further deletion
            jumpLists(work, recent);
            show(work, StatusWord::Cleaned);
            show(work, lists(work, StatusWord::Cleaned, wholeLists(kRecentDocsLists)));
            break;
        }
        case tkRunMru: {
            const StatusWord runMru = wordOf(resetKey(work, kRunMruKey));
            show(work, runMru);
            showStep(work, lists(work, runMru, wholeLists(kRunMruLists)));
            break;
        }
        case tkMediaPlayer:
            show(work, wordOf(resetKey(work, kMediaFilesKey)));
            showStep(work, wordOf(resetKey(work, kMediaUrlsKey)));
            break;
        case tkTempFolder:
            // Only a folder that is nothing but a temporary folder is emptied; the program's
            // own folder inside it (a zip opened without extracting) stays as it is.
            if (IsPurgeableTempFolder(platform_, temp_)) {
                folder(work, temp_, {{}, ProgramFolderWithin(platform_, temp_), {}});
                noted(work, kCleaned);
                show(work, StatusWord::Cleaned);
            } else {
                show(work, wordOf(noted(work, kImpossible)));
            }
            break;
        case tkOffice:
            office(work);
            break;
        case tkRecycleBin:
            recycleBin(work);
            break;
        default:
            break;
        }
    }

    // The programs' jump lists lose what nobody pinned; one left as it was is a file that stayed.
    void jumpLists(TaskWork& work, const std::string& recent) {
        if (recent.empty()) return;
        const std::string where = jumplists::jumpListFolder(platform_, recent);
        const std::string key = work.key("jumplists", where);
        const Place place{where, {}, {}, {}, false};
        if (work.planning()) {
            std::uint64_t leaving = 0;
            for (const auto& forecast : jumplists::planJumpLists(platform_, recent)) leaving += forecast.leaving;
            work.item(ItemKind::JumpListEntries, place, key, leaving);
            return;
        }
        if (work.keptByChoice(key)) return;
        const jumplists::JumpListTally tally = jumplists::cleanJumpLists(platform_, recent);
        work.filesStayed(tally.leftAsTheyWere);
        if (tally.folderUnreached) work.foldersUnreached(1, {where, {}, {}});
        work.item(ItemKind::JumpListEntries, place, key, static_cast<std::uint64_t>(tally.entriesRemoved));
    }

    void formData(TaskWork& work) {
        const std::string key = work.key("formdata", "");
        if (work.planning()) {
            if (const auto found = browsers::FindFormDataKey(platform_))
                if (!platform_.openKey(found->hive, found->path, kKeyReadExistence).absent())
                    work.item(ItemKind::FormData, {found->path, {}, {}, {}, found->hive == Hive::LocalMachine}, key, 1);
            return;
        }
        if (work.keptByChoice(key)) return;
        std::optional<browsers::FormDataKey> removed;
        if (!browsers::PurgeAutoComplete(platform_, callback_, &removed))
            noted(work, kImpossible);
        else if (removed)
            work.item(ItemKind::FormData, {removed->path, {}, {}, {}, removed->hive == Hive::LocalMachine}, key, 1);
    }

    void office(TaskWork& work) {
        Outcome outcome = kCleaned;
        for (const OfficeTrace& trace : kOfficeTraces) {
            outcome = trace.value ? deleteValue(work, trace.key, trace.value) : resetKey(work, trace.key);
            show(work, wordOf(outcome));
        }
        const FoundLists found = FindOfficeLists(platform_);
        StatusWord word = wordOf(outcome);
        if (found.refused) word = wordOf(noted(work, kImpossible));
        showStep(work, lists(work, word, found.lists));
    }

    void recycleBin(TaskWork& work) {
        const std::string key = work.key("recyclebin", "");
        if (work.planning()) {
            if (const auto items = CountRecycleBin(platform_)) work.item(ItemKind::RecycleBin, {}, key, *items);
            return;
        }
        if (work.keptByChoice(key)) {
            showStep(work, StatusWord::Cleaned);
            return;
        }
        std::uint64_t removed = 0;
        const Outcome outcome = noted(work, EmptyRecycleBin(platform_, callback_, &removed));
        work.item(ItemKind::RecycleBin, {}, key, removed);
        showStep(work, wordOf(outcome));
    }

    template <std::size_t N>
    static std::vector<RegList> wholeLists(const char* const (&paths)[N]) {
        std::vector<RegList> lists;
        for (const char* path : paths) lists.push_back({path, false});
        return lists;
    }

    // Today's lists beside a task's written work, each one's word shown in turn; the task
    // ends on its written word unless a list did worse, or cleaned what the written one did not find.
    StatusWord lists(TaskWork& work, StatusWord word, const std::vector<RegList>& lists) {
        for (const RegList& list : lists) {
            const StatusWord status = wordOf(list.itemValues ? deleteItems(work, list.path) : resetKey(work, list.path));
            show(work, status);
            if (status == StatusWord::Impossible || (status == StatusWord::Cleaned && word == StatusWord::NotPresent))
                word = status;
        }
        return word;
    }

    PlatformServices& platform_;
    RunCallback& callback_;
    const RunRequest& request_;
    const TaskSelection& tasks_;
    RunReport& report_;
    std::string temp_;
    std::vector<browsers::ChromiumInstallation> chromium_;
    std::vector<browsers::FirefoxInstallation> firefox_;
    bool urlCacheEmptied_ = false;
};

} // namespace

void RunCleaning(PlatformServices& platform, RunCallback& callback, const RunRequest& request, RunReport& report) {
    report.mode = request.mode;
    // One cleaning at a time in the session, whichever program runs it; a plan writes nothing.
    RunLock lock;
    if (request.mode == RunMode::Execute && !request.nested) {
        lock = platform.takeRunLock();
        if (!lock.taken()) {
            if (lock.state == RunLockState::HeldElsewhere) {
                report.anotherRunInProgress = true;
                callback.notice(Notice::AnotherRunInProgress);
            } else {
                report.error = "verrou de nettoyage refusé (" + std::to_string(lock.error) + ")";
            }
            return;
        }
    }
    try {
        Run(platform, callback, request, report).go();
    } catch (const CleanerError& error) {
        report.error = error.what();
        throw;
    }
}

} // namespace tv::engine
