#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "console/ExitStatus.h"
#include "console/JsonReport.h"
#include "console/TextReport.h"

using namespace tv::console;
using namespace tv::engine;

namespace {

constexpr const char* kAddress = "https://www.example.com/compte?session=secret";

ReportItem item(std::size_t task, ItemKind kind, std::string path, std::uint64_t count, std::optional<std::uint64_t> bytes) {
    ReportItem made;
    made.task = task;
    made.kind = kind;
    made.place.path = std::move(path);
    made.key = kAddress; // what a user leaves out is named by it: never shown
    made.count = count;
    made.bytes = bytes;
    return made;
}

// A run of cookies, the temporary folder and the office lists: the cookies cleaned but for
// a store that Chrome held, three files of the temporary folder in use, the office lists
// refused, Edge left running.
struct ExecutedRun {
    TaskSelection selected;
    RunReport report;
    ExecutedRun() {
        for (std::size_t task : {tkCookies, tkTempFolder, tkOffice}) selected.select(task, true);
        report.started = report.finished = true;
        for (std::size_t task : {tkCookies, tkTempFolder, tkOffice}) {
            report.tasks[task].ran = report.tasks[task].ended = true;
            report.tasks[task].note(task == tkOffice ? Outcome::Impossible : Outcome::Cleaned);
        }
        report.tasks[tkCookies].items.push_back(item(tkCookies, ItemKind::FolderFiles, "C:\\Cookies", 12, 4096));
        report.tasks[tkTempFolder].items.push_back(item(tkTempFolder, ItemKind::FolderFiles, "C:\\Temp", 40, 2048));
        report.tasks[tkTempFolder].filesStayed = 3;
        report.storesLeft.push_back({tkCookies, "Google Chrome", "Travail", "Network\\Cookies", StoreProblem::Refused});
        report.browsersLeftOpen.push_back("Microsoft Edge");
    }
};

} // namespace

TEST(ConsoleReport, TheTextNamesEachTaskOnceWithWhatStayedAndWhyAndNoAddress) {
    const ExecutedRun run;
    const std::string text = textReport(run.report, run.selected);
    EXPECT_EQ(text,
              "Cookies\u00A0: nettoyé, sauf Google Chrome «\u00A0Travail\u00A0» (Network\\Cookies)\r\n"
              "Dossier temporaire\u00A0: 3 fichiers n'ont pas été supprimés\r\n"
              "Derniers documents MSOffice\u00A0: nettoyage impossible\r\n"
              "Le nettoyage n'est pas complet\u00A0:\r\n"
              "  3 fichiers n'ont pas été supprimés (ouverts par un autre programme ou protégés)\r\n"
              "  Nettoyage impossible\u00A0: Derniers documents MSOffice\r\n"
              "  Resté ouvert, non nettoyé\u00A0: Microsoft Edge\r\n"
              "  Non nettoyé\u00A0: Google Chrome «\u00A0Travail\u00A0» (Network\\Cookies), ouvert par un autre "
              "programme, refusé ou derrière un lien\r\n");
    EXPECT_EQ(exitStatusOf(run.report, run.selected), kExitSomethingStayed);
}

TEST(ConsoleReport, ThePlanCountsEachPlaceAndTotalsThem) {
    ExecutedRun run;
    run.report.mode = RunMode::Plan;
    run.report.tasks[tkTempFolder].filesStayed = 0;
    run.report.tasks[tkOffice] = {};
    run.report.tasks[tkOffice].ran = run.report.tasks[tkOffice].ended = true;
    run.report.tasks[tkOffice].note(Outcome::Cleaned);
    run.report.tasks[tkOffice].items.push_back(
        item(tkOffice, ItemKind::RegistryKeys, "Software\\Microsoft\\Office\\9.0\\Excel\\Recent Files", 1, std::nullopt));
    run.report.storesLeft.clear();
    run.report.browsersLeftOpen.clear();
    EXPECT_EQ(textReport(run.report, run.selected),
              "Cookies\u00A0:\r\n"
              "  C:\\Cookies\u00A0: 12 fichiers, 4\u00A0Ko\r\n"
              "Dossier temporaire\u00A0:\r\n"
              "  C:\\Temp\u00A0: 40 fichiers, 2\u00A0Ko\r\n"
              "Derniers documents MSOffice\u00A0:\r\n"
              "  HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\9.0\\Excel\\Recent Files\u00A0: 1 entrée\r\n"
              "Total\u00A0: 52 fichiers (6\u00A0Ko), 1 entrée\r\n");
    EXPECT_EQ(exitStatusOf(run.report, run.selected), kExitDone);
}

TEST(ConsoleReport, TheJsonCarriesTheCountsTheOutcomesAndWhatStayedButNoAddress) {
    ExecutedRun run;
    run.report.tasks[tkTempFolder].items.push_back(item(tkTempFolder, ItemKind::UrlCache, "", 5, std::nullopt));
    const std::string text = jsonReport(run.report, run.selected);
    EXPECT_EQ(text.find("example.com"), std::string::npos) << text;
    const auto json = nlohmann::json::parse(text);
    EXPECT_EQ(json["version"], 1);
    EXPECT_EQ(json["mode"], "clean");
    EXPECT_EQ(json["complete"], false);
    ASSERT_EQ(json["tasks"].size(), 3u);
    EXPECT_EQ(json["tasks"][0]["key"], "cookies");
    EXPECT_EQ(json["tasks"][0]["outcome"], "done");
    EXPECT_EQ(json["tasks"][1]["name"], "Dossier temporaire");
    EXPECT_EQ(json["tasks"][1]["stayed"], 3);
    EXPECT_EQ(json["tasks"][1]["items"][0]["count"], 40);
    EXPECT_EQ(json["tasks"][1]["items"][0]["bytes"], 2048);
    EXPECT_EQ(json["tasks"][1]["items"][1]["kind"], "urlCache");
    EXPECT_TRUE(json["tasks"][1]["items"][1]["bytes"].is_null());
    EXPECT_EQ(json["tasks"][2]["outcome"], "impossible");
    EXPECT_EQ(json["browsersLeftOpen"], nlohmann::json::array({"Microsoft Edge"}));
    EXPECT_EQ(json["storesNotCleaned"][0]["task"], "cookies");
    EXPECT_EQ(json["storesNotCleaned"][0]["why"], "refused");
    EXPECT_EQ(json["foldersUnreached"]["count"], 0);
}

TEST(ConsoleReport, ExitStatusesFollowHowFarTheRunWent) {
    ExecutedRun run;
    run.report.tasks[tkTempFolder].filesStayed = 0;
    run.report.tasks[tkOffice] = run.report.tasks[tkCookies];
    run.report.storesLeft.clear();
    run.report.browsersLeftOpen.clear();
    EXPECT_EQ(exitStatusOf(run.report, run.selected), kExitDone);
    EXPECT_EQ(nlohmann::json::parse(jsonReport(run.report, run.selected))["complete"], true);

    RunReport interrupted = run.report;
    interrupted.finished = false;
    interrupted.interrupted = true;
    interrupted.tasks[tkOffice] = {};
    EXPECT_EQ(exitStatusOf(interrupted, run.selected), kExitSomethingStayed);
    EXPECT_NE(textReport(interrupted, run.selected).find("Derniers documents MSOffice\u00A0: non commencé"),
              std::string::npos);

    RunReport failed = interrupted;
    failed.interrupted = false;
    failed.error = "Failed to create key Software\\Microsoft\\Office";
    EXPECT_EQ(exitStatusOf(failed, run.selected), kExitRunError);
    failed.started = false;
    EXPECT_EQ(exitStatusOf(failed, run.selected), kExitNotRun);

    RunReport refused;
    refused.anotherRunInProgress = true;
    EXPECT_EQ(exitStatusOf(refused, run.selected), kExitNotRun);
    EXPECT_EQ(textReport(refused, run.selected), "Un autre nettoyage est en cours\u00A0: rien n'a été fait\r\n");
}
