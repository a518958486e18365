#pragma once
// What a cleaning run ends up saying: the written congratulation when every selected task
// went through, otherwise a short account of what stayed and why, sized for the status panel.

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
    // Files a purge met that are still there.
    void filesStayed(int count) { filesStayed_ += count; }
    void browserStayedOpen() { browserOpen_ = true; }
    // A browser that ran and was left alone, and a browser's store that could not be cleaned
    // ("Google Chrome (History)"); each named once.
    void browserLeftOpen(const std::string& name) { addOnce(leftOpen_, name); }
    void storeNotCleaned(const std::string& what) { addOnce(notCleaned_, what); }

    std::string text() const;

private:
    static void addOnce(std::vector<std::string>& list, const std::string& item);

    std::array<bool, kTaskCount> impossible_{};
    std::vector<std::string> leftOpen_;
    std::vector<std::string> notCleaned_;
    int filesStayed_ = 0;
    bool browserOpen_ = false;
};

inline constexpr const char* kCongratulation =
    "Félicitation, \r\rToutes les tâches sélectionnées se sont bien déroulées";
inline constexpr const char* kExceptionsHeading = "Nettoyage terminé, avec des exceptions :";
inline constexpr const char* kBrowserStayedOpen = "Internet Explorer n'a pas pu être fermé";
inline constexpr const char* kLeftOpenHeading = "Resté ouvert, non nettoyé\u00A0:";
inline constexpr const char* kNotCleanedHeading = "Non nettoyé\u00A0:";

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
