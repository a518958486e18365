#pragma once
// What the status panel says at the end of a run, made from the run's report: the written
// congratulation when the targets hold nothing the run was meant to remove, otherwise a short
// account of what stayed and why, sized for the status panel.

#include <string>

#include "engine/RunReport.h"

namespace tv::ui {

std::string closingText(const engine::RunReport& report);

// A browser's store that stayed, as the closing text names it: "Google Chrome (History)", or
// the browser alone when none of it could be reached.
std::string storeName(const engine::StoreLeft& store);

inline constexpr const char* kCongratulation =
    "Félicitation, \r\rToutes les tâches sélectionnées se sont bien déroulées";
// Texts of our own: French typography, with a no-break space (U+00A0) before a colon.
inline constexpr const char* kIncompleteHeading = "Le nettoyage n'est pas complet\u00A0:";
inline constexpr const char* kBrowserStayedOpen = "Internet Explorer n'a pas pu être fermé";
inline constexpr const char* kLeftOpenLead = "Resté ouvert, non nettoyé";
inline constexpr const char* kNotCleanedLead = "Non nettoyé";

// Each task as the status panel names it, from the words of its stage text.
inline constexpr const char* kTaskNames[engine::kTaskCount] = {
    "Fichiers internet",          "Cookies",
    "Historique de navigation",   "Adresses saisies",
    "Saisie semi-automatique",    "Documents récents",
    "Derniers fichiers exécutés", "Derniers documents MediaPlayer",
    "Dossier temporaire",         "Derniers documents MSOffice",
    "Corbeille",
};

} // namespace tv::ui
