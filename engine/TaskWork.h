#pragma once
// What the cleaners of one task work with: the platform, the front end, whether they plan or
// execute, what the user chose to keep, and the task's share of the report, where each item
// they plan or clean goes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "engine/RunCallback.h"
#include "engine/RunReport.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

class TaskWork {
public:
    // `kept`, when given, must outlive the work.
    TaskWork(PlatformServices& platform, RunCallback& callback, RunMode mode, std::size_t task, RunReport& report,
             const std::set<std::string>* kept = nullptr)
        : platform(platform), callback(callback), mode(mode), task(task), report(report), kept_(kept) {}

    PlatformServices& platform;
    RunCallback& callback;
    const RunMode mode;
    const std::size_t task;
    RunReport& report;

    bool planning() const { return mode == RunMode::Plan; }
    bool mayGoOn() { return callback.mayGoOn(); }
    TaskReport& taskReport() { return report.tasks[task]; }

    // Whether the user chose to keep the item of that key out of this run: it is then left as
    // it is, and counted.
    bool keptByChoice(const std::string& key) {
        if (planning() || !kept_ || !kept_->count(key)) return false;
        ++taskReport().keptByChoice;
        return true;
    }
    // The key an item of this task is known by: the task, the item's kind of place and its parts.
    std::string key(std::string_view kind, std::string_view where) const {
        return std::to_string(task) + ":" + std::string(kind) + ":" + std::string(where);
    }

    // An item planned or cleaned; one that holds nothing is no item.
    void item(ItemKind kind, Place place, std::string key, std::uint64_t count,
              std::optional<std::uint64_t> bytes = std::nullopt, bool browserRunning = false) {
        if (count == 0) return;
        ReportItem item{task, kind, std::move(place), std::move(key), count, bytes, browserRunning};
        if (planning()) callback.planned(item);
        taskReport().items.push_back(std::move(item));
    }

    void filesStayed(int count) { taskReport().filesStayed += count; }
    // Folders whose contents could not be reached; the first of the run is named.
    void foldersUnreached(int count, FolderLeft first) {
        if (count <= 0) return;
        taskReport().foldersUnreached += count;
        if (report.foldersUnreached == 0) report.firstFolderUnreached = std::move(first);
        report.foldersUnreached += count;
    }
    void browserLeftOpen(const std::string& name) {
        for (const std::string& known : report.browsersLeftOpen)
            if (known == name) return;
        report.browsersLeftOpen.push_back(name);
    }
    void storeLeft(StoreLeft store) {
        store.task = task;
        for (const StoreLeft& known : report.storesLeft)
            if (known.browser == store.browser && known.profile == store.profile && known.store == store.store &&
                known.task == store.task)
                return;
        report.storesLeft.push_back(std::move(store));
    }
    void note(Outcome outcome) { taskReport().note(outcome); }

private:
    const std::set<std::string>* kept_;
};

} // namespace tv::engine
