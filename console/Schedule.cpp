#include "console/Schedule.h"

#include <cstdio>

#include "console/TaskKeys.h"
#include "console/Words.h"

namespace tv::console {

namespace {

std::string taskTitle() { return std::string("Tâche ") + quotedFrench(kScheduledTaskName); }

std::string whenText(const ScheduledRun& run) {
    switch (run.trigger) {
    case ScheduleTrigger::Daily: {
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02d", run.hour, run.minute);
        return std::string("chaque jour à ") + time;
    }
    case ScheduleTrigger::Logon: return "à l'ouverture de session";
    case ScheduleTrigger::Other: break;
    }
    return "déclencheur défini hors de Tarmel Veilo";
}

std::string describe(const ScheduledRun& run) {
    const std::string command = run.program.empty() ? std::string("aucune")
                                                    : "\"" + run.program + "\"" +
                                                          (run.arguments.empty() ? "" : " " + run.arguments);
    return taskTitle() + kColon + whenText(run) + kLineEnd + "Commande" + kColon + command + kLineEnd;
}

bool sameRun(const ScheduledRun& a, const ScheduledRun& b) {
    const bool sameTime = a.trigger != ScheduleTrigger::Daily || (a.hour == b.hour && a.minute == b.minute);
    return a.trigger == b.trigger && sameTime && a.program == b.program && a.arguments == b.arguments;
}

ExitStatus refusedBy(PlatformServices& platform, const SchedulerAnswer& answer) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(answer.result));
    const std::string reason = platform.describeError(answer.result);
    platform.writeStandard(StandardStream::Error, std::string("Le Planificateur de tâches a refusé") + kColon +
                                                      answer.call + " (" + code +
                                                      (reason.empty() ? "" : ", " + reason) + ")" + kLineEnd);
    return kExitNotRun;
}

} // namespace

std::string scheduledArguments(const CommandLine& line) {
    std::vector<std::string> words = {"clean"};
    for (const std::string& key : keysOf(line.tasks)) words.push_back(key);
    if (line.closeBrowsers) words.emplace_back("--close-browsers");
    if (line.logFile) {
        words.emplace_back("--log");
        words.push_back(*line.logFile);
    }
    return commandLineText(words);
}

ExitStatus runSchedule(PlatformServices& platform, const CommandLine& line) {
    auto say = [&](const std::string& text) { platform.writeStandard(StandardStream::Output, text); };
    if (line.command == Command::ScheduleRemove) {
        bool existed = false;
        const SchedulerAnswer answer = platform.removeScheduledRun(kScheduledTaskName, existed);
        if (!answer.ok) return refusedBy(platform, answer);
        say(existed ? taskTitle() + " supprimée" + kLineEnd
                    : std::string("Aucune tâche ") + quotedFrench(kScheduledTaskName) + " n'était planifiée" + kLineEnd);
        return kExitDone;
    }
    const ScheduledRunRead current = platform.readScheduledRun(kScheduledTaskName);
    if (!current.answer.ok) return refusedBy(platform, current.answer);
    if (line.command == Command::ScheduleShow) {
        say(current.run ? describe(*current.run)
                        : std::string("Aucune tâche ") + quotedFrench(kScheduledTaskName) + " n'est planifiée" + kLineEnd);
        return kExitDone;
    }

    ScheduledRun run;
    run.trigger = line.command == Command::ScheduleDaily ? ScheduleTrigger::Daily : ScheduleTrigger::Logon;
    run.hour = line.hour;
    run.minute = line.minute;
    run.program = platform.programFile();
    if (run.program.empty()) {
        platform.writeStandard(StandardStream::Error, std::string("Le chemin de ce programme est inconnu") + kColon +
                                                          "rien n'a été planifié" + kLineEnd);
        return kExitNotRun;
    }
    run.arguments = scheduledArguments(line);
    const SchedulerAnswer answer = platform.scheduleRun(kScheduledTaskName, run);
    if (!answer.ok) return refusedBy(platform, answer);
    // What the Task Scheduler kept is what will run: a task it kept without its trigger or
    // its command would never clean anything, and is taken away again.
    const ScheduledRunRead kept = platform.readScheduledRun(kScheduledTaskName);
    if (!kept.answer.ok) return refusedBy(platform, kept.answer);
    if (!kept.run || !sameRun(*kept.run, run)) {
        bool existed = false;
        platform.removeScheduledRun(kScheduledTaskName, existed);
        platform.writeStandard(StandardStream::Error,
                               std::string("Le Planificateur de tâches a accepté la tâche mais ne l'a pas gardée telle "
                                           "quelle") +
                                   kSemicolon + " il a gardé" + kColon + kLineEnd +
                                   (kept.run ? describe(*kept.run) : std::string("rien") + kLineEnd) +
                                   "Rien n'est planifié." + kLineEnd);
        return kExitNotRun;
    }
    say(describe(run) + (current.run ? std::string("Elle remplace la précédente.") + kLineEnd : std::string()));
    return kExitDone;
}

} // namespace tv::console
