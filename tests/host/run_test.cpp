// The cleaning run at the engine, against a front end that records what it is told: a plan
// of every task over a planted sandbox writes nothing, the run removes what the plan showed,
// and a second plan finds nothing left; the gate, the kept items and an error that ends a run.

#include <gtest/gtest.h>

#include <map>

#include "engine/CleanerError.h"
#include "engine/Run.h"
#include "engine/TaskTargets.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/support/BrowserDatabases.h"
#include "tests/support/RecordingCallback.h"

using namespace tv;
using namespace tv::engine;
using tv::testsupport::RecordingCallback;

namespace {

const std::string kLocal = "C:\\Users\\user\\AppData\\Local";
const std::string kProfile = kLocal + "\\Google\\Chrome\\User Data\\Default";
const std::string kCanary = "canary-41b8.example";

class Run : public ::testing::Test {
protected:
    memory::MemoryPlatform platform;
    RecordingCallback front;
    TaskSelection tasks;
    RunReport report;

    Run() {
        platform.specialFolders[kCsidlLocalAppData] = kLocal;
        platform.libraries["shell32.dll"] = {"SHEmptyRecycleBinA", "SHQueryRecycleBinW"};
    }

    std::string folder(int csidl) { return platform.specialFolders[csidl]; }
    void plant(const std::string& in, int files, std::size_t size) {
        for (int i = 0; i < files; ++i)
            platform.files.addFile(in + "\\trace" + std::to_string(i), attr::kArchive, std::string(size, 'x'));
    }
    void set(const std::string& key, const std::string& value) {
        platform.registry.setValue(Hive::CurrentUser, key, value, {memory::kRegSz, "https://" + kCanary + "/"});
    }
    // A trace in every target, and beside each something its user keeps.
    void plantSandbox() {
        plant(folder(kCsidlInternetCache), 3, 10);
        plant(folder(kCsidlCookies), 2, 10);
        plant(folder(kCsidlHistory), 1, 10);
        plant(folder(kCsidlRecent), 2, 10);
        plant(platform.tempPath.substr(0, platform.tempPath.size() - 1), 4, 25);
        platform.files.addFile(kLocal + "\\kept.txt", attr::kArchive, "kept");
        for (const char* value : {"url1", "url2"}) set(kTypedUrlsKey, value);
        for (const char* value : {"a", "b", "MRUList"}) set(kRunMruKey, value);
        set(kMediaFilesKey, "File0");
        const std::string word = "Software\\Microsoft\\Office\\16.0\\Word\\File MRU";
        for (const char* value : {"Item 1", "Item Metadata 1", "Max Display"}) set(word, value);
        set("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "kept");
        platform.urlCache = {{"https://" + kCanary + "/a"}, {"https://" + kCanary + "/b"}};
        platform.historyEntries = 5;
        platform.recycleBinItems = 3;
        // A browser's history whose last rows are still in its write-ahead log.
        const auto [file, log] = testsupport::loggedDatabase(
            "chromium", "History",
            "INSERT INTO urls VALUES(1,'https://" + kCanary + "/','Canary',3,2,13300000000000000,0),"
            "(2,'https://" + kCanary + "/b','B',1,0,13300000000000000,0);");
        platform.files.addFile(kProfile + "\\History", attr::kArchive, file);
        platform.files.addFile(kProfile + "\\History-wal", attr::kArchive, log);
        platform.files.addFile(kProfile + "\\Preferences", attr::kArchive, "{}");
        plant(kProfile + "\\Cache\\Cache_Data", 2, 100);
    }
    std::string everything() {
        std::string urls;
        for (const auto& entry : platform.urlCache) urls += entry.url + "\n";
        return platform.files.describe() + platform.registry.describe() + urls +
               std::to_string(platform.recycleBinItems) + "/" + std::to_string(platform.historyEntries);
    }
    void run(RunMode mode, std::set<std::string> kept = {}) {
        report = RunReport();
        RunCleaning(platform, front, {.mode = mode, .tasks = tasks, .kept = std::move(kept)}, report);
    }
    // Each item's count by its key.
    static std::map<std::string, std::uint64_t> counts(const RunReport& from) {
        std::map<std::string, std::uint64_t> all;
        for (const TaskReport& task : from.tasks)
            for (const ReportItem& item : task.items) all[item.key] = item.count;
        return all;
    }
    const ReportItem* itemOf(std::size_t task, ItemKind kind) {
        for (const ReportItem& item : report.tasks[task].items)
            if (item.kind == kind) return &item;
        return nullptr;
    }
};

TEST_F(Run, APlanWritesNothingTheRunRemovesWhatItShowedAndASecondPlanFindsNothing) {
    plantSandbox();
    tasks.selectGroup(InternetGroup, true);
    tasks.selectGroup(WindowsGroup, true);
    platform.windows = {{0x10, "IEFrame"}};
    const std::string before = everything();

    run(RunMode::Plan);
    EXPECT_EQ(everything(), before);
    EXPECT_TRUE(front.only("ask").empty());
    EXPECT_TRUE(platform.posted.empty()) << "a plan closes no window";
    EXPECT_EQ(front.fileSteps + front.shareUnits, 0);
    ASSERT_TRUE(itemOf(tkTempFolder, ItemKind::FolderFiles));
    EXPECT_EQ(itemOf(tkTempFolder, ItemKind::FolderFiles)->count, 4u);
    EXPECT_EQ(itemOf(tkTempFolder, ItemKind::FolderFiles)->bytes, 100u);
    EXPECT_EQ(itemOf(tkInternetFiles, ItemKind::UrlCache)->count, 2u);
    EXPECT_EQ(itemOf(tkHistory, ItemKind::HistoryStore)->count, 5u);
    EXPECT_EQ(itemOf(tkTypedUrls, ItemKind::RegistryKeys)->count, 2u);
    EXPECT_EQ(itemOf(tkOffice, ItemKind::RegistryValues)->count, 2u) << "Max Display is a setting, not an item";
    EXPECT_EQ(itemOf(tkRecycleBin, ItemKind::RecycleBin)->count, 3u);
    const ReportItem* history = itemOf(tkHistory, ItemKind::DatabaseRows);
    ASSERT_TRUE(history);
    EXPECT_EQ(history->count, 2u) << "the rows still in the log count too";
    EXPECT_EQ(history->place.browser, "Google Chrome");
    EXPECT_EQ(history->place.store, "History");
    const auto planned = counts(report);
    EXPECT_EQ(front.plannedItems.size(), planned.size());

    front.answers = {Answer::Yes, Answer::No}; // close Internet Explorer; no start page
    platform.windows.clear();
    run(RunMode::Execute);
    EXPECT_TRUE(report.finished);
    EXPECT_TRUE(report.complete(tasks)) << "all selected and all gone";
    EXPECT_EQ(counts(report), planned);
    EXPECT_EQ(front.totalUnits, 3 + 2 + 4 + 2 + 11 * kTaskShare);
    EXPECT_EQ(front.fileSteps, 3 + 2 + 1 + 2 + 4 + 2);
    EXPECT_EQ(*platform.files.contentOf(kLocal + "\\kept.txt"), "kept");
    EXPECT_TRUE(platform.registry.value(Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "kept"));
    EXPECT_TRUE(platform.files.exists(kProfile + "\\Preferences"));

    run(RunMode::Plan);
    EXPECT_TRUE(counts(report).empty()) << counts(report).begin()->first;
}

TEST_F(Run, ARunningBrowserIsPlannedAsItIsAndNeverAskedNorWritten) {
    plantSandbox();
    platform.files.addFile(kLocal + "\\Google\\Chrome\\User Data\\lockfile").heldExclusively = true;
    platform.windows = {{0x20, "Chrome_WidgetWin_1"}};
    platform.windowPrograms[0x20] = {"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", ""};
    tasks.select(tkHistory, true);
    const std::string before = everything();
    run(RunMode::Plan);
    EXPECT_EQ(everything(), before);
    EXPECT_TRUE(platform.posted.empty());
    const ReportItem* history = itemOf(tkHistory, ItemKind::DatabaseRows);
    ASSERT_TRUE(history);
    EXPECT_TRUE(history->browserRunning);
    EXPECT_EQ(history->count, 2u);
}

TEST_F(Run, UnattendedRunsAskNothingAndWithoutLeaveEveryBrowserOpenAndNamed) {
    plantSandbox();
    platform.files.addFile(kLocal + "\\Google\\Chrome\\User Data\\lockfile").heldExclusively = true;
    platform.windows = {{0x10, "IEFrame"}, {0x20, "Chrome_WidgetWin_1"}};
    platform.windowPrograms[0x20] = {"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", ""};
    tasks.select(tkCookies, true);
    RunCleaning(platform, front, {.tasks = tasks, .fullWipe = true, .unattended = true}, report);
    EXPECT_TRUE(front.only("ask").empty());
    EXPECT_TRUE(platform.posted.empty()) << "neither Internet Explorer nor the browser is asked to close";
    EXPECT_EQ(report.browsersLeftOpen, std::vector<std::string>{"Google Chrome"});
    EXPECT_FALSE(report.complete(tasks));
    EXPECT_EQ(platform.files.fileCountBelow(folder(kCsidlCookies)), 0);

    // With leave to close, Internet Explorer's frame is asked as a Yes would ask it.
    report = RunReport();
    RunCleaning(platform, front, {.tasks = tasks, .unattended = true, .closeBrowsers = true}, report);
    EXPECT_TRUE(front.only("ask").empty());
    EXPECT_FALSE(platform.posted.empty());
    EXPECT_EQ(front.only("closing"), (std::vector<std::string>{"closing Internet Explorer", "closing browsers"}));
}

TEST_F(Run, TheGateEndsTheRunOnNoAndAnItemKeptByChoiceStaysWithoutFailingIt) {
    plantSandbox();
    tasks.select(tkCookies, true);
    tasks.select(tkTempFolder, true);
    front.answers = {Answer::No};
    RunCleaning(platform, front, {.tasks = tasks, .fullWipe = true}, report);
    EXPECT_TRUE(report.declined);
    EXPECT_EQ(front.events, (std::vector<std::string>{"ask FullWipe", "notice SelectiveHint"}));
    EXPECT_EQ(platform.files.fileCountBelow(folder(kCsidlCookies)), 2);

    run(RunMode::Plan);
    const ReportItem* temp = itemOf(tkTempFolder, ItemKind::FolderFiles);
    ASSERT_TRUE(temp);
    front.answers = {Answer::Yes, Answer::No};
    run(RunMode::Execute, {temp->key});
    EXPECT_EQ(platform.files.fileCountBelow(platform.tempPath), 4);
    EXPECT_EQ(platform.files.fileCountBelow(folder(kCsidlCookies)), 0);
    EXPECT_EQ(report.keptByChoice(), 1);
    EXPECT_TRUE(report.complete(tasks));
}

TEST_F(Run, AnErrorThatEndsTheRunLeavesTheReportOfWhatWasDone) {
    plantSandbox();
    tasks.selectGroup(InternetGroup, true);
    platform.historyCreateResult = static_cast<std::int32_t>(0x80040154);
    platform.errorDescriptions[static_cast<std::int32_t>(0x80040154)] = "Classe non enregistrée\r\n";
    EXPECT_THROW(run(RunMode::Execute), CleanerError);
    EXPECT_EQ(report.error, "Classe non enregistrée");
    EXPECT_TRUE(report.tasks[tkCookies].ended);
    EXPECT_EQ(report.tasks[tkCookies].items.size(), 1u);
    EXPECT_TRUE(report.tasks[tkHistory].ran);
    EXPECT_FALSE(report.tasks[tkHistory].ended);
    EXPECT_FALSE(report.finished);
    EXPECT_EQ(front.only("task").back(), "task 2");
}

} // namespace
