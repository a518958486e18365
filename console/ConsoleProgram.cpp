#include "console/ConsoleProgram.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "console/CommandLine.h"
#include "console/ConsoleCallback.h"
#include "console/ExitStatus.h"
#include "console/JsonReport.h"
#include "console/Schedule.h"
#include "console/TextReport.h"
#include "console/Usage.h"
#include "console/Words.h"

namespace tv::console {

namespace {

constexpr const char* kProgramName = "TarmVeilonCmd";

void write(PlatformServices& platform, StandardStream stream, const std::string& text) {
    platform.writeStandard(stream, text);
}

// The journal's heading: the date and time, then the command line as it was given.
std::string journalHeading(PlatformServices& platform, const std::vector<std::string>& words) {
    const LocalTime now = platform.localTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    std::vector<std::string> line = {kProgramName};
    line.insert(line.end(), words.begin(), words.end());
    return std::string(stamp) + "  " + commandLineText(line) + kLineEnd;
}

std::string journalRefusal(const CommandLine& line, const AppendOpening& opening) {
    return "le journal " + quotedFrench(*line.logFile) + " n'a pas pu être ouvert" +
           (opening.link ? std::string(" (c'est un lien, qui n'est jamais suivi)")
                         : " (erreur " + std::to_string(opening.error) + ")");
}

int runCleaning(PlatformServices& platform, const CommandLine& line, const std::vector<std::string>& words,
                RunFunction run) {
    engine::RunReport report;
    report.mode = line.command == Command::Preview ? engine::RunMode::Plan : engine::RunMode::Execute;
    const std::unique_ptr<UnattendedSession> session = platform.startUnattended();
    // The journal is opened first: a journal that cannot be written stops everything before
    // anything is done, rather than a run that cannot be told of.
    AppendOpening journal;
    if (line.logFile) {
        journal = platform.openForAppend(*line.logFile);
        if (!journal.file) report.error = journalRefusal(line, journal);
    }
    if (report.error.empty() && !session->ready())
        report.error = "COM n'a pas pu être initialisé, les magasins du navigateur sont hors d'atteinte";
    if (report.error.empty() && !run) report.error = "ce programme a été construit sans le nettoyage";

    ConsoleCallback callback(platform, *session, line, report);
    if (report.error.empty()) {
        const engine::RunRequest request{.mode = report.mode,
                                         .tasks = line.tasks,
                                         .fullWipe = false,
                                         .kept = {},
                                         .unattended = true,
                                         .closeBrowsers = line.closeBrowsers};
        try {
            run(platform, callback, request, report);
        } catch (const std::exception& error) {
            // The run noted what it could; the error is named whatever it was.
            if (report.error.empty()) report.error = error.what();
            if (report.error.empty()) report.error = "erreur inconnue";
        }
    }

    const ExitStatus status = exitStatusOf(report, line.tasks);
    if (line.json) {
        write(platform, StandardStream::Output, jsonReport(report, line.tasks));
    } else {
        std::string rest;
        if (!report.anotherRunInProgress && report.started)
            for (std::size_t task = 0; task < engine::kTaskCount; ++task)
                if (line.tasks.selected(task) && !callback.printed(task))
                    rest += taskLines(task, report.tasks[task], report);
        write(platform, report.error.empty() || report.started ? StandardStream::Output : StandardStream::Error,
              rest + closingLines(report, line.tasks));
    }
    if (journal.file) {
        const std::string entry = journalHeading(platform, words) + textReport(report, line.tasks) +
                                  "Code de sortie" + kColon + std::to_string(status) + kLineEnd + kLineEnd;
        if (!journal.file->append(entry)) {
            write(platform, StandardStream::Error,
                  std::string("Le journal ") + quotedFrench(*line.logFile) + " n'a pas pu être écrit" + kLineEnd);
            return kExitRunError;
        }
    }
    return status;
}

} // namespace

int runConsoleProgram(PlatformServices& platform, const std::vector<std::string>& words, RunFunction run) {
    const CommandLine line = parseCommandLine(words);
    if (!line.valid()) {
        std::string message = std::string(kProgramName) + kColon + line.error;
        if (!line.offendingWord.empty()) message += kColon + quotedFrench(line.offendingWord);
        write(platform, StandardStream::Error, message + kLineEnd + kLineEnd + usageText());
        return kExitUsage;
    }
    switch (line.command) {
    case Command::Help: write(platform, StandardStream::Output, usageText()); return kExitDone;
    case Command::List: write(platform, StandardStream::Output, taskListText()); return kExitDone;
    case Command::Preview:
    case Command::Clean: return runCleaning(platform, line, words, run);
    default: break;
    }
    const std::unique_ptr<UnattendedSession> session = platform.startUnattended();
    if (!session->ready()) {
        write(platform, StandardStream::Error,
              std::string("COM n'a pas pu être initialisé") + kColon + "le Planificateur de tâches est hors d'atteinte" +
                  kLineEnd);
        return kExitNotRun;
    }
    return runSchedule(platform, line);
}

} // namespace tv::console
