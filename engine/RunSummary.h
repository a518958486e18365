#pragma once
// What a cleaning run ends up saying: the written congratulation when the targets hold
// nothing the run was meant to remove, otherwise a short account of what stayed and why,
// sized for the status panel.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/TaskSelection.h"

namespace tv::engine {

class RunSummary {
public:
    // A task's operation ended with this status word; a task of several operations is as
    // good as its worst one.
    void taskEnded(std::size_t task, const std::string& status);
    // Files (or links) still below a cleaned folder.
    void filesStayed(int count) { filesStayed_ += count; }
    // Folders whose contents could not even be counted; the first one met is named.
    void foldersUnreached(int count, const std::string& first);
    void browserStayedOpen() { browserOpen_ = true; }
    // A line of its own, for what has no task of its own (see notCleaned).
    void addLine(std::string line) { lines_.push_back(std::move(line)); }
    // A browser that ran and was left alone, and a browser's store that could not be cleaned
    // ("Google Chrome (History)"); each named once, in lists of their own.
    void browserLeftOpen(const std::string& name) { addOnce(leftOpen_, name); }
    void storeNotCleaned(const std::string& what) { addOnce(notCleaned_, what); }

    std::string text() const;

private:
    static void addOnce(std::vector<std::string>& list, const std::string& item);

    std::array<bool, kTaskCount> impossible_{};
    int filesStayed_ = 0;
    int foldersUnreached_ = 0;
    std::string firstUnreached_;
    bool browserOpen_ = false;
    std::vector<std::string> lines_;
    std::vector<std::string> leftOpen_;
    std::vector<std::string> notCleaned_;
};

// "<what> n'a pas pu être nettoyé", for RunSummary::addLine.
std::string notCleaned(const std::string& what);

inline constexpr const char* kCongratulation =
    "Félicitation, \r\rToutes les tâches sélectionnées se sont bien déroulées";
// Texts of our own: French typography, with a no-break space (U+00A0) before a colon.
inline constexpr const char* kIncompleteHeading = "Le nettoyage n'est pas complet\u00A0:";
inline constexpr const char* kBrowserStayedOpen = "Internet Explorer n'a pas pu être fermé";
inline constexpr const char* kLeftOpenLead = "Resté ouvert, non nettoyé";
inline constexpr const char* kNotCleanedLead = "Non nettoyé";

// Each task as the status panel names it, from the words of its stage text.
inline constexpr const char* kTaskNames[kTaskCount] = {
    "Fichiers internet",          "Cookies",
    "Historique de navigation",   "Adresses saisies",
    "Saisie semi-automatique",    "Documents récents",
    "Derniers fichiers exécutés", "Derniers documents MediaPlayer",
    "Dossier temporaire",         "Derniers documents MSOffice",
    "Corbeille",
};

} // namespace tv::engine
