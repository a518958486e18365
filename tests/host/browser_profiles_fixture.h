#pragma once
// What the browsers' profile tests share: the in-memory platform, the run's display, and the
// five Internet tasks run one after the other as a run does.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/TaskWork.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/support/BrowserDatabases.h"
#include "tests/support/HeadlessRunDisplay.h"
#include "ui/RunSummary.h"

namespace tv::testsupport {

class BrowserProfilesTest : public ::testing::Test, protected HeadlessRunDisplay {
protected:
    BrowserProfilesTest() : HeadlessRunDisplay(100000) {}
    memory::MemoryPlatform platform;

    std::string bytes(const std::string& path) { return platform.files.contentOf(path).value_or(""); }
    Rows rows(const std::string& path, const std::string& sql) { return rowsOf(bytes(path), sql); }

    // What the Internet tasks left, task by task as a run's summary would name it.
    struct TasksOutcome {
        int filesStayed = 0;
        std::vector<std::string> notCleaned;
        std::vector<std::string> leftOpen;
        std::vector<engine::StoreLeft> storesStayed;
        int foldersUnreached = 0;
        std::vector<engine::FolderLeft> foldersStayed;
    };

    // One task's share, as `runTask` does it, added to `all`.
    void oneTask(std::size_t task, const std::function<void(engine::TaskWork& work)>& runTask, TasksOutcome& all) {
        engine::RunReport report;
        engine::TaskWork work(platform, display, engine::RunMode::Execute, task, report);
        runTask(work);
        all.filesStayed += report.filesStayed();
        for (const auto& store : report.storesLeft) all.notCleaned.push_back(ui::storeName(store));
        all.leftOpen.insert(all.leftOpen.end(), report.browsersLeftOpen.begin(), report.browsersLeftOpen.end());
        all.storesStayed.insert(all.storesStayed.end(), report.storesLeft.begin(), report.storesLeft.end());
        all.foldersUnreached += report.foldersUnreached;
        if (report.foldersUnreached > 0) all.foldersStayed.push_back(report.firstFolderUnreached);
    }
    TasksOutcome oneTask(std::size_t task, const std::function<void(engine::TaskWork& work)>& runTask) {
        TasksOutcome all;
        oneTask(task, runTask, all);
        return all;
    }

    // Every Internet task's share, as `runTask` does it, with history cleaned too.
    TasksOutcome everyInternetTask(const std::function<void(engine::TaskWork& work)>& runTask) {
        TasksOutcome all;
        for (std::size_t task = engine::tkInternetFiles; task <= engine::tkAutoComplete; ++task)
            oneTask(task, runTask, all);
        return all;
    }
};

} // namespace tv::testsupport
