#include "console/JsonReport.h"

#include <nlohmann/json.hpp>

#include "console/ReportWords.h"
#include "console/TaskKeys.h"
#include "console/Words.h"

namespace tv::console {

using Json = nlohmann::ordered_json;

namespace {

Json itemJson(const engine::ReportItem& item) {
    Json json;
    json["place"] = placeText(item.place, item.kind);
    json["kind"] = itemKindKey(item.kind);
    json["count"] = item.count;
    json["bytes"] = item.bytes ? Json(*item.bytes) : Json(nullptr);
    return json;
}

Json taskJson(std::size_t task, const engine::RunReport& report) {
    const engine::TaskReport& done = report.tasks[task];
    Json json;
    json["key"] = kTaskKeys[task];
    json["name"] = taskName(task);
    json["outcome"] = outcomeKey(done, report.mode);
    json["ended"] = done.ended;
    json["items"] = Json::array();
    for (const engine::ReportItem& item : done.items) json["items"].push_back(itemJson(item));
    json["stayed"] = done.filesStayed;
    return json;
}

} // namespace

std::string jsonReport(const engine::RunReport& report, const engine::TaskSelection& selected) {
    Json json;
    json["version"] = 1;
    json["mode"] = report.mode == engine::RunMode::Plan ? "preview" : "clean";
    json["complete"] = report.complete(selected);
    json["interrupted"] = report.interrupted;
    json["anotherRunInProgress"] = report.anotherRunInProgress;
    json["error"] = report.error.empty() ? Json(nullptr) : Json(report.error);
    json["tasks"] = Json::array();
    for (std::size_t task = 0; task < engine::kTaskCount; ++task)
        if (selected.selected(task)) json["tasks"].push_back(taskJson(task, report));

    Json open = Json::array();
    if (report.internetExplorerStayedOpen) open.push_back("Internet Explorer");
    for (const std::string& browser : report.browsersLeftOpen)
        if (browser != "Internet Explorer" || !report.internetExplorerStayedOpen) open.push_back(browser);
    json["browsersLeftOpen"] = std::move(open);

    json["storesNotCleaned"] = Json::array();
    for (const engine::StoreLeft& store : report.storesLeft)
        json["storesNotCleaned"].push_back({{"task", store.task < engine::kTaskCount ? kTaskKeys[store.task] : ""},
                                            {"browser", store.browser},
                                            {"profile", store.profile},
                                            {"store", store.store},
                                            {"why", storeProblemKey(store.why)}});

    Json unreached;
    unreached["count"] = report.foldersUnreached;
    if (report.foldersUnreached > 0) unreached["first"] = report.firstFolderUnreached.path;
    json["foldersUnreached"] = std::move(unreached);
    // A name the system gave in broken UTF-16 is written with its broken part replaced.
    return json.dump(-1, ' ', false, Json::error_handler_t::replace) + kLineEnd;
}

} // namespace tv::console
