#include "console/CommandLine.h"

#include "console/TaskKeys.h"
#include "console/Words.h"

namespace tv::console {

namespace {

enum class Option { CloseBrowsers, Json, Log };

bool isHelp(const std::string& lower) {
    return lower == "--help" || lower == "-h" || lower == "/?" || lower == "/help" || lower == "-?";
}

// "--json" and "/json" alike; the option's name, or nothing for a word that is not one.
std::optional<std::string> optionName(const std::string& lower) {
    if (lower.rfind("--", 0) == 0) return lower.substr(2);
    if (lower.size() > 1 && lower[0] == '/') return lower.substr(1);
    return std::nullopt;
}

// Which options each command takes: a run's own, and a schedule's, which go into the task.
bool takes(Command command, Option option) {
    switch (command) {
    case Command::Clean: return true;
    case Command::Preview: return option != Option::CloseBrowsers;
    case Command::ScheduleDaily:
    case Command::ScheduleLogon: return option != Option::Json;
    default: return false;
    }
}

bool isAbsolute(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    return drive || path.rfind("\\\\", 0) == 0;
}

// HH:MM or H:MM, a time of the day.
bool readTime(const std::string& word, int& hour, int& minute) {
    const std::size_t colon = word.find(':');
    if (colon == std::string::npos || colon < 1 || colon > 2 || word.size() != colon + 3) return false;
    for (std::size_t at = 0; at < word.size(); ++at)
        if (at != colon && (word[at] < '0' || word[at] > '9')) return false;
    hour = std::stoi(word.substr(0, colon));
    minute = std::stoi(word.substr(colon + 1));
    return hour < 24 && minute < 60;
}

CommandLine refused(CommandLine line, std::string error, std::string word) {
    line.error = std::move(error);
    line.offendingWord = std::move(word);
    return line;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& words) {
    CommandLine line;
    for (const std::string& word : words)
        if (isHelp(asciiLower(word))) {
            line.command = Command::Help;
            return line;
        }

    // Options apart from the other words, wherever they stand.
    std::vector<std::pair<Option, std::string>> options;
    std::vector<std::string> plain;
    for (std::size_t at = 0; at < words.size(); ++at) {
        const std::string lower = asciiLower(words[at]);
        const std::optional<std::string> name = optionName(lower);
        if (!name) {
            plain.push_back(words[at]);
        } else if (*name == "close-browsers") {
            options.emplace_back(Option::CloseBrowsers, words[at]);
        } else if (*name == "json") {
            options.emplace_back(Option::Json, words[at]);
        } else if (*name == "log") {
            if (at + 1 == words.size() || words[at + 1].empty())
                return refused(line, "l'option " + words[at] + " attend un nom de fichier", words[at]);
            if (line.logFile) return refused(line, "un seul journal à la fois", words[at]);
            line.logFile = words[++at];
            options.emplace_back(Option::Log, words[at - 1]);
        } else {
            return refused(line, "option inconnue", words[at]);
        }
    }

    if (plain.empty()) return refused(line, "aucune commande n'est indiquée", "");
    const std::string command = asciiLower(plain[0]);
    std::size_t keysFrom = 1;
    if (command == "list") {
        line.command = Command::List;
    } else if (command == "preview") {
        line.command = Command::Preview;
    } else if (command == "clean") {
        line.command = Command::Clean;
    } else if (command == "schedule") {
        const std::string how = plain.size() > 1 ? asciiLower(plain[1]) : "";
        keysFrom = 2;
        if (how == "daily") {
            line.command = Command::ScheduleDaily;
            if (plain.size() < 3 || !readTime(plain[2], line.hour, line.minute))
                return refused(line, "heure attendue après " + quotedFrench("daily") + ", de 00:00 à 23:59",
                               plain.size() < 3 ? plain[1] : plain[2]);
            keysFrom = 3;
        } else if (how == "logon") {
            line.command = Command::ScheduleLogon;
        } else if (how == "show") {
            line.command = Command::ScheduleShow;
        } else if (how == "remove") {
            line.command = Command::ScheduleRemove;
        } else {
            return refused(line, "daily, logon, show ou remove attendu après " + quotedFrench("schedule"),
                           plain.size() > 1 ? plain[1] : plain[0]);
        }
    } else {
        return refused(line, "commande inconnue", plain[0]);
    }

    for (const auto& [option, word] : options) {
        if (!takes(line.command, option)) return refused(line, "option sans objet pour cette commande", word);
        line.closeBrowsers |= option == Option::CloseBrowsers;
        line.json |= option == Option::Json;
    }

    const bool wantsKeys = line.command == Command::Preview || line.command == Command::Clean ||
                           line.command == Command::ScheduleDaily || line.command == Command::ScheduleLogon;
    if (!wantsKeys && plain.size() > keysFrom) return refused(line, "mot de trop", plain[keysFrom]);
    for (std::size_t at = keysFrom; at < plain.size(); ++at)
        if (!selectByKey(plain[at], line.tasks)) return refused(line, "tâche inconnue", plain[at]);
    if (wantsKeys && plain.size() == keysFrom) return refused(line, "aucune tâche n'est indiquée", plain.back());
    // The scheduled run starts in a folder of the system's: its journal needs a full path.
    if ((line.command == Command::ScheduleDaily || line.command == Command::ScheduleLogon) && line.logFile &&
        !isAbsolute(*line.logFile))
        return refused(line, "le journal d'une tâche planifiée se donne par son chemin complet", *line.logFile);
    return line;
}

} // namespace tv::console
