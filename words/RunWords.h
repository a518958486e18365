#pragma once
// The words both front ends say about a run, the window in its status panel and the console in
// its report: each task's name, the status words, the phrases of what stayed. Their layout is
// each front end's own.

#include <string>

#include "engine/RunCallback.h"
#include "engine/RunReport.h"
#include "engine/TaskSelection.h"

namespace tv::words {

// Each task as the closing text names it, from the words of its stage text.
inline constexpr const char* kTaskNames[engine::kTaskCount] = {
    "Fichiers internet",          "Cookies",
    "Historique de navigation",   "Adresses saisies",
    "Saisie semi-automatique",    "Documents récents",
    "Derniers fichiers exécutés", "Derniers documents MediaPlayer",
    "Dossier temporaire",         "Derniers documents MSOffice",
    "Corbeille",
};

// The status words.
inline constexpr const char* kCleanedWord = "Nettoyé";
inline constexpr const char* kNotPresentWord = "Non présent sur le système";
inline constexpr const char* kImpossibleWord = "Nettoyage impossible";
inline constexpr const char* kAutoCompleteCleaned = "Saisie semi-automatique nettoyée";

const char* statusText(engine::StatusWord word);
const char* outcomeText(engine::Outcome outcome);

inline constexpr const char* kCongratulation =
    "Félicitation, \r\rToutes les tâches sélectionnées se sont bien déroulées";
// Texts of our own: French typography, with a no-break space (U+00A0) before a colon.
inline constexpr const char* kIncompleteHeading = "Le nettoyage n'est pas complet\u00A0:";
inline constexpr const char* kBrowserStayedOpen = "Internet Explorer n'a pas pu être fermé";
inline constexpr const char* kLeftOpenLead = "Resté ouvert, non nettoyé";
inline constexpr const char* kNotCleanedLead = "Non nettoyé";

// A browser's store that stayed: "Google Chrome (History)", its profile as a whole "Google
// Chrome (Travail)", or the browser alone when none of it could be reached.
std::string storeName(const engine::StoreLeft& store);

// "1 fichier n'a pas été supprimé", "3 fichiers n'ont pas été supprimés".
std::string filesStayedText(int count);

} // namespace tv::words
