#include <gtest/gtest.h>

#include <functional>

#include <nlohmann/json.hpp>

#include "console/ConsoleProgram.h"
#include "console/ExitStatus.h"
#include "platform/ScheduledTaskXml.h"
#include "platform/memory/MemoryPlatform.h"

using namespace tv;
using namespace tv::console;
using tv::engine::RunCallback;
using tv::engine::RunReport;
using tv::engine::RunRequest;

namespace {

// The engine's run as the tests play it: whatever each test does with the request.
std::function<void(PlatformServices&, RunCallback&, const RunRequest&, RunReport&)> playedRun;
int runsPlayed = 0;
void playRun(PlatformServices& platform, RunCallback& callback, const RunRequest& request, RunReport& report) {
    ++runsPlayed;
    playedRun(platform, callback, request, report);
}

// Each selected task in turn, cleaned, for as long as the front end lets the run go on; under
// the run lock, as every run takes it.
void cleanEachTask(PlatformServices& platform, RunCallback& callback, const RunRequest& request, RunReport& report) {
    const RunLock lock = platform.takeRunLock();
    if (!lock.taken()) {
        report.anotherRunInProgress = true;
        return;
    }
    report.started = true;
    for (std::size_t task = 0; task < engine::kTaskCount; ++task) {
        if (!request.tasks.selected(task)) continue;
        if (!callback.mayGoOn()) {
            report.interrupted = true;
            return;
        }
        report.tasks[task].ran = report.tasks[task].ended = true;
        report.tasks[task].note(engine::Outcome::Cleaned);
        callback.taskEnded(task, report.tasks[task]);
    }
    report.finished = true;
}

class ConsoleProgram : public testing::Test {
protected:
    void SetUp() override {
        runsPlayed = 0;
        playedRun = cleanEachTask;
        platform.files.addFolder("C:\\Journaux");
    }
    int run(const std::vector<std::string>& words) { return runConsoleProgram(platform, words, playRun); }
    memory::MemoryPlatform platform;
};

} // namespace

TEST_F(ConsoleProgram, AnUnknownKeyExitsTwoWithTheUsageAndDoesNothing) {
    EXPECT_EQ(run({"clean", "temp", "cokies", "--log", "C:\\Journaux\\j.txt"}), kExitUsage);
    EXPECT_EQ(runsPlayed, 0);
    EXPECT_TRUE(platform.standardOutput.empty());
    EXPECT_NE(platform.standardError.find("«\u00A0cokies\u00A0»"), std::string::npos) << platform.standardError;
    EXPECT_NE(platform.standardError.find("TarmVeilonCmd list"), std::string::npos);
    EXPECT_FALSE(platform.files.exists("C:\\Journaux\\j.txt"));
}

TEST_F(ConsoleProgram, EachTaskIsPrintedAsItEndsAndCtrlCStopsAtTheNextCheck) {
    playedRun = [](PlatformServices& services, RunCallback& callback, const RunRequest& request, RunReport& report) {
        EXPECT_TRUE(request.unattended);
        EXPECT_FALSE(request.closeBrowsers);
        EXPECT_EQ(request.mode, engine::RunMode::Execute);
        // Printed before the run goes on: a reader sees each task as it ends.
        auto& memory = static_cast<memory::MemoryPlatform&>(services);
        report.started = true;
        report.tasks[engine::tkCookies].ran = report.tasks[engine::tkCookies].ended = true;
        report.tasks[engine::tkCookies].note(engine::Outcome::Cleaned);
        callback.taskEnded(engine::tkCookies, report.tasks[engine::tkCookies]);
        EXPECT_EQ(memory.standardOutput, "Cookies\u00A0: nettoyé\r\n");
        memory.interruptRequested = true;
        EXPECT_FALSE(callback.mayGoOn());
        report.interrupted = true;
    };
    EXPECT_EQ(run({"clean", "cookies", "temp"}), kExitSomethingStayed);
    EXPECT_EQ(platform.standardOutput, "Cookies\u00A0: nettoyé\r\n"
                                       "Dossier temporaire\u00A0: non commencé\r\n"
                                       "Interrompu\u00A0: ce qui précède a été fait, rien d'autre\r\n");
    EXPECT_EQ(platform.sessionsOpen, 0);
}

TEST_F(ConsoleProgram, TheJournalIsAppendedWithTheTimeAndTheCommandAndNeverThroughALink) {
    platform.files.addFile("C:\\Journaux\\j.txt", attr::kArchive, "avant\r\n");
    EXPECT_EQ(run({"clean", "temp", "--json", "--log", "C:\\Journaux\\j.txt"}), kExitDone);
    EXPECT_EQ(nlohmann::json::parse(platform.standardOutput)["complete"], true);
    EXPECT_EQ(platform.files.contentOf("C:\\Journaux\\j.txt"),
              "avant\r\n"
              "2026-12-11 21:30:05  TarmVeilonCmd clean temp --json --log C:\\Journaux\\j.txt\r\n"
              "Dossier temporaire\u00A0: nettoyé\r\n"
              "Toutes les tâches sélectionnées se sont bien déroulées\r\n"
              "Code de sortie\u00A0: 0\r\n\r\n");
    EXPECT_FALSE(platform.files.find("C:\\Journaux\\j.txt")->inUse);

    platform.files.addFile("C:\\Ailleurs\\cible.txt", attr::kArchive, "à garder");
    platform.files.addFileLink("C:\\Journaux\\lien.txt", "C:\\Ailleurs\\cible.txt");
    runsPlayed = 0;
    EXPECT_EQ(run({"clean", "temp", "--log", "C:\\Journaux\\lien.txt"}), kExitNotRun);
    EXPECT_EQ(runsPlayed, 0);
    EXPECT_EQ(platform.files.contentOf("C:\\Ailleurs\\cible.txt"), "à garder");
    EXPECT_NE(platform.standardError.find("lien"), std::string::npos) << platform.standardError;
}

TEST_F(ConsoleProgram, ARunWhileAnotherHoldsTheLockExitsThreeAndTheLockIsOneAtATime) {
    platform.runLockHeldElsewhere = true;
    EXPECT_EQ(run({"clean", "temp", "--json"}), kExitNotRun);
    const auto json = nlohmann::json::parse(platform.standardOutput);
    EXPECT_EQ(json["anotherRunInProgress"], true);
    EXPECT_EQ(json["tasks"][0]["outcome"], "impossible");

    platform.runLockHeldElsewhere = false;
    RunLock first = platform.takeRunLock();
    ASSERT_TRUE(first.taken());
    EXPECT_EQ(platform.takeRunLock().state, RunLockState::HeldElsewhere); // a run inside a run too
    first.hold.reset();
    EXPECT_TRUE(platform.takeRunLock().taken());
}

TEST_F(ConsoleProgram, ScheduleRegistersOneTaskOfOurCommandLineReplacesItShowsItAndRemovesIt) {
    EXPECT_EQ(run({"schedule", "daily", "21:30", "temp", "internet", "--log", "C:\\Mes journaux\\j.txt"}), kExitDone);
    ASSERT_EQ(platform.scheduledRuns.count("Tarmel Veilo"), 1u);
    const ScheduledRun& daily = platform.scheduledRuns["Tarmel Veilo"];
    EXPECT_EQ(daily.trigger, ScheduleTrigger::Daily);
    EXPECT_EQ(daily.hour, 21);
    EXPECT_EQ(daily.minute, 30);
    EXPECT_EQ(daily.program, "C:\\Program Files\\Tarmel Veilo\\TarmVeilonCmd.exe");
    EXPECT_EQ(daily.arguments, "clean internet temp --log \"C:\\Mes journaux\\j.txt\"");
    EXPECT_NE(platform.standardOutput.find("\"C:\\Program Files\\Tarmel Veilo\\TarmVeilonCmd.exe\" clean internet temp"),
              std::string::npos)
        << platform.standardOutput;

    EXPECT_EQ(run({"schedule", "logon", "all", "--close-browsers"}), kExitDone);
    ASSERT_EQ(platform.scheduledRuns.size(), 1u);
    EXPECT_EQ(platform.scheduledRuns["Tarmel Veilo"].trigger, ScheduleTrigger::Logon);
    EXPECT_EQ(platform.scheduledRuns["Tarmel Veilo"].arguments, "clean all --close-browsers");
    EXPECT_NE(platform.standardOutput.find("remplace"), std::string::npos);

    platform.standardOutput.clear();
    EXPECT_EQ(run({"schedule", "show"}), kExitDone);
    EXPECT_NE(platform.standardOutput.find("à l'ouverture de session"), std::string::npos) << platform.standardOutput;
    EXPECT_EQ(run({"schedule", "remove"}), kExitDone);
    EXPECT_TRUE(platform.scheduledRuns.empty());

    // Accepted but kept without its command: reported as the failure it is, and taken away.
    platform.schedulerKeepsNoDefinition = true;
    EXPECT_EQ(run({"schedule", "daily", "08:00", "temp"}), kExitNotRun);
    EXPECT_TRUE(platform.scheduledRuns.empty());
    EXPECT_NE(platform.standardError.find("Rien n'est planifié"), std::string::npos) << platform.standardError;

    platform.schedulerRefusal = SchedulerAnswer{false, "ITaskFolder::RegisterTask", static_cast<std::int32_t>(0x80070005)};
    EXPECT_EQ(run({"schedule", "daily", "08:00", "temp"}), kExitNotRun);
    EXPECT_NE(platform.standardError.find("ITaskFolder::RegisterTask (0x80070005"), std::string::npos)
        << platform.standardError;
    EXPECT_EQ(runsPlayed, 0);
}

TEST(ScheduledTaskXml, ARunReadsBackTheSameWithItsQuotesAndAmpersandsAndAnotherTriggerIsNotTakenForOurs) {
    ScheduledRun daily{ScheduleTrigger::Daily, 7, 5, "C:\\Outils & Cie\\TarmVeilonCmd.exe",
                       "clean temp --log \"C:\\A & B\\<j>.txt\""};
    const std::string xml = scheduledTaskXml(daily, LocalTime{2026, 1, 2, 0, 0, 0}, "");
    EXPECT_NE(xml.find("<StartBoundary>2026-01-02T07:05:00</StartBoundary>"), std::string::npos) << xml;
    const std::optional<ScheduledRun> read = scheduledRunOfXml(xml);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->trigger, ScheduleTrigger::Daily);
    EXPECT_EQ(read->hour, 7);
    EXPECT_EQ(read->minute, 5);
    EXPECT_EQ(read->program, daily.program);
    EXPECT_EQ(read->arguments, daily.arguments);

    const ScheduledRun logon{ScheduleTrigger::Logon, 0, 0, "C:\\T.exe", "clean all"};
    const std::string logonXml = scheduledTaskXml(logon, LocalTime{}, "PC\\Zoë");
    EXPECT_NE(logonXml.find("<UserId>PC\\Zoë</UserId>"), std::string::npos) << logonXml;
    EXPECT_EQ(scheduledRunOfXml(logonXml)->trigger, ScheduleTrigger::Logon);

    // Every two days is not "every day", and a task that starts no program holds no run.
    std::string everyOther = xml;
    everyOther.replace(everyOther.find("<DaysInterval>1"), 15, "<DaysInterval>2");
    EXPECT_EQ(scheduledRunOfXml(everyOther)->trigger, ScheduleTrigger::Other);
    EXPECT_FALSE(scheduledRunOfXml("<Task><Triggers><LogonTrigger/></Triggers></Task>"));
}
