#include "console/TextReport.h"

#include <map>
#include <vector>

#include "console/ReportWords.h"
#include "console/TaskKeys.h"
#include "console/Words.h"
#include "words/RunWords.h"
#include "engine/StatusWords.h"

namespace tv::console {

using engine::RunMode;
using engine::RunReport;
using engine::TaskReport;

namespace {

constexpr const char* kAllWentWell = "Toutes les tâches sélectionnées se sont bien déroulées";
constexpr const char* kAnotherRun = "Un autre nettoyage est en cours\u00A0: rien n'a été fait";

std::string line(const std::string& text) { return text + kLineEnd; }

std::string joined(const std::vector<std::string>& parts, const char* between) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : between) + part;
    return text;
}

std::vector<std::string> storesOf(std::size_t task, const RunReport& report) {
    std::vector<std::string> stores;
    for (const engine::StoreLeft& store : report.storesLeft)
        if (store.task == task) stores.push_back(browserPlaceText(store.browser, store.profile, store.store));
    return stores;
}

std::string itemLine(const engine::ReportItem& item) {
    std::string text = "  " + placeText(item.place, item.kind) + kColon + countText(item.kind, item.count);
    if (item.bytes) text += ", " + bytesText(*item.bytes);
    return line(text);
}

// What a run's task came to, in the status panel's words where it has them.
std::string executedWords(std::size_t task, const TaskReport& done, const RunReport& report) {
    if (!done.ran) return "non commencé";
    if (!done.ended) return report.error.empty() ? "interrompu" : "arrêté par une erreur";
    switch (done.outcome()) {
    case engine::Outcome::Impossible: return "nettoyage impossible";
    case engine::Outcome::NotPresent: return "non présent sur le système";
    case engine::Outcome::Cleaned: break;
    }
    std::vector<std::string> parts;
    if (done.filesStayed > 0) parts.push_back(filesStayedText(static_cast<std::uint64_t>(done.filesStayed)));
    if (done.foldersUnreached > 0)
        parts.push_back(done.foldersUnreached == 1 ? "1 dossier illisible"
                                                    : std::to_string(done.foldersUnreached) + " dossiers illisibles");
    const std::string words = parts.empty() ? "nettoyé" : joined(parts, ", ");
    const std::vector<std::string> stores = storesOf(task, report);
    return stores.empty() ? words : words + ", sauf " + joined(stores, ", ");
}

// What stayed and why, one line each.
std::vector<std::string> stayedLines(const RunReport& report) {
    std::vector<std::string> lines;
    if (report.filesStayed() > 0)
        lines.push_back(filesStayedText(static_cast<std::uint64_t>(report.filesStayed())) +
                        " (ouverts par un autre programme ou protégés)");
    if (report.foldersUnreached > 0) {
        const engine::FolderLeft& first = report.firstFolderUnreached;
        std::string where = first.path;
        if (!first.browser.empty()) where = browserPlaceText(first.browser, first.profile, "") + kColon + where;
        lines.push_back(report.foldersUnreached == 1
                            ? std::string("Dossier illisible") + kColon + where
                            : std::to_string(report.foldersUnreached) + " dossiers illisibles, dont " + where);
    }
    std::vector<std::string> impossible;
    for (std::size_t task = 0; task < engine::kTaskCount; ++task)
        if (report.tasks[task].ended && report.tasks[task].outcome() == engine::Outcome::Impossible)
            impossible.push_back(taskName(task));
    if (!impossible.empty()) lines.push_back(std::string(words::kImpossibleWord) + kColon + joined(impossible, ", "));
    if (report.internetExplorerStayedOpen) lines.emplace_back("Internet Explorer est resté ouvert");
    if (!report.browsersLeftOpen.empty())
        lines.push_back(std::string(words::kLeftOpenLead) + kColon + joined(report.browsersLeftOpen, ", "));
    for (const engine::StoreLeft& store : report.storesLeft)
        lines.push_back(std::string(words::kNotCleanedLead) + kColon +
                        browserPlaceText(store.browser, store.profile, store.store) + ", " +
                        storeProblemText(store.why));
    return lines;
}

std::string planTotals(const RunReport& report) {
    // By unit, in the order units first appear; bytes all together.
    std::vector<std::pair<std::string, std::uint64_t>> counts;
    std::uint64_t bytes = 0;
    bool anyBytes = false;
    for (const TaskReport& task : report.tasks)
        for (const engine::ReportItem& item : task.items) {
            const std::string unit = unitPlural(item.kind);
            auto found = counts.begin();
            while (found != counts.end() && found->first != unit) ++found;
            if (found == counts.end())
                counts.emplace_back(unit, item.count);
            else
                found->second += item.count;
            if (item.bytes) {
                bytes += *item.bytes;
                anyBytes = true;
            }
        }
    std::vector<std::string> parts;
    for (std::size_t at = 0; at < counts.size(); ++at) {
        std::string part = numberText(counts[at].second) + " " + counts[at].first;
        // A count of one: its unit read singular.
        if (counts[at].second == 1) part.pop_back();
        if (at == 0 && anyBytes) part += " (" + bytesText(bytes) + ")";
        parts.push_back(part);
    }
    return std::string("Total") + kColon + (parts.empty() ? "rien à effacer" : joined(parts, ", "));
}

} // namespace

std::string taskLines(std::size_t task, const TaskReport& done, const RunReport& report) {
    const std::string name = taskName(task);
    if (report.mode == RunMode::Execute || !done.ran || !done.ended || done.outcome() != engine::Outcome::Cleaned)
        return line(name + kColon + executedWords(task, done, report));
    if (done.items.empty()) return line(name + kColon + "rien à effacer");
    std::string text = line(name + "\u00A0:");
    for (const engine::ReportItem& item : done.items) text += itemLine(item);
    return text;
}

std::string closingLines(const RunReport& report, const engine::TaskSelection& selected) {
    if (report.anotherRunInProgress) return line(kAnotherRun);
    if (!report.started && !report.error.empty())
        return line(std::string("Le nettoyage n'a pas commencé") + kColon + report.error);
    std::string text;
    if (report.interrupted) text += line("Interrompu\u00A0: ce qui précède a été fait, rien d'autre");
    if (!report.error.empty()) text += line(std::string("Arrêté par une erreur") + kColon + report.error);
    const std::vector<std::string> stayed = stayedLines(report);
    if (report.mode == RunMode::Plan) {
        text += line(planTotals(report));
        if (!stayed.empty()) text += line(std::string("À noter") + "\u00A0:");
    } else if (report.complete(selected)) {
        return text + line(kAllWentWell);
    } else if (!stayed.empty()) {
        text += line(words::kIncompleteHeading);
    }
    for (const std::string& what : stayed) text += line("  " + what);
    return text;
}

std::string textReport(const RunReport& report, const engine::TaskSelection& selected) {
    std::string text;
    if (!report.anotherRunInProgress && report.started)
        for (std::size_t task = 0; task < engine::kTaskCount; ++task)
            if (selected.selected(task)) text += taskLines(task, report.tasks[task], report);
    return text + closingLines(report, selected);
}

} // namespace tv::console
