#pragma once
// The words of a cleaning run as the main window shows them: the questions and boxes, each
// task's stage, the status words, and the texts of the closing summary.

#include <string>
#include <vector>

#include "engine/RunCallback.h"
#include "engine/TaskSelection.h"
#include "words/RunWords.h"

namespace tv::ui {

inline constexpr const char* kConfirmCaption = "Confirm";
inline constexpr const char* kInformationCaption = "Information";
inline constexpr const char* kFullWipeQuestion =
    "Toutes les informations relatives à votre surf vont être supprimées et Internet Explorer va être "
    "fermé.\rEtes vous sur de vouloir continuer?";
inline constexpr const char* kSelectiveHint =
    "Pour effectuer une anonymisation sélective, cliquez sur le bouton 'Options'.";
inline constexpr const char* kCloseBrowserQuestion =
    "Toutes les fenêtres Internet Explorer vont être fermées.\rEtes vous sur de vouloir continuer?";
inline constexpr const char* kNothingSelected = "Aucun élément n'a été coché";
inline constexpr const char* kStartPageQuestion = "Voulez vous modifier votre page de démarrage?";
inline constexpr const char* kMasterCompleteCaption = "Nettoyage complet";
inline constexpr const char* kNoCleanableFile = "0 Fichier nettoyable";
inline constexpr const char* kClosingBrowserText = "Fermeture de votre navigateur en cours";
inline constexpr const char* kPathError = "erreur";
// A text of our own: another program of the session (the console twin) is cleaning.
inline constexpr const char* kAnotherRunInProgress =
    "Un nettoyage est déjà en cours\u00A0: attendez qu'il se termine, puis cliquez de nouveau sur Start.";

// The status words, the console's too.
using words::kAutoCompleteCleaned;
using words::kCleanedWord;
using words::kImpossibleWord;
using words::kNotPresentWord;
using words::statusText;

// The stage text of each task, by index.
inline constexpr const char* kStageTexts[engine::kTaskCount] = {
    "Nettoyage en cours des fichiers internet",
    "Nettoyage en cours des cookies",
    "Nettoyage en cours de l'historique  de navigation",
    "Nettoyage en cours des adresses saisies",
    "Nettoyage de la saisie semi-automatique",
    "Nettoyage en cours des documents récents",
    "Nettoyage en cours des derniers fichiers exécutés",
    "Nettoyage en cours des derniers documents MediaPlayer",
    "Nettoyage en cours du dossier temporaire",
    "Nettoyage en cours des derniers documents MSOffice",
    "Nettoyage en cours de la corbeille",
};

// The question that names today's browsers that run.
std::string closeBrowsersQuestion(const std::vector<std::string>& names);

} // namespace tv::ui
