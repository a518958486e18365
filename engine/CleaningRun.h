#pragma once
// The cleaning run behind the start picture: the browser gate, the progress budget, every
// selected task in index order with its stage in the status panel, the start-page offer and
// the closing summary. It runs on the interface thread and pumps at fixed points, so the
// window stays alive and other handlers (a second run included) may run in between.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/RunDisplay.h"
#include "engine/RunSummary.h"
#include "engine/TaskSelection.h"
#include "platform/PlatformServices.h"
#include "platform/toolkit/Controls.h"

namespace tv::engine {

// The main window as the run sees it.
struct RunWindow {
    RunDisplay display;                // status label, "Progression", the bar, the application
    toolkit::CheckBox& internetMaster; // its state and caption decide the first question
    toolkit::Label& internetCount;     // the browser group's file count
    const TaskSelection& tasks;        // read task by task, as the run reaches each one
    std::function<void()> refreshCounts;
    std::function<void()> showStartPage; // shows the dialog without waiting for it
};

// The whole run. An error a task raises is not caught here: it ends the run where it stands.
// Once the main window has closed, the run stops at its next pump point: no further
// deletion, no further box.
void Anonymisation(PlatformServices& platform, const RunWindow& window);

// The status text, a pump, then a pause so that the user can read it.
void ShowStage(PlatformServices& platform, const RunDisplay& display, const std::string& text);
// The status text, then the bar moved by a registry or system task's share.
void StepStatus(const RunDisplay& display, const std::string& text);

inline constexpr std::uint32_t kStagePauseMs = 500;
inline constexpr std::uint32_t kFinalPauseMs = 1000;
inline constexpr int kTaskShare = 100;

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
inline constexpr const char* kAutoCompleteCleaned = "Saisie semi-automatique nettoyée";

// The stage text of each task, by index.
inline constexpr const char* kStageTexts[kTaskCount] = {
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

inline constexpr const char* kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
inline constexpr const char* kRunMruKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
inline constexpr const char* kMediaFilesKey = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
inline constexpr const char* kMediaUrlsKey = "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList";

// The office suite's recent lists: a value to delete when `value` is set, else a key to reset.
struct OfficeTrace {
    const char* key;
    const char* value;
};
inline constexpr OfficeTrace kOfficeTraces[] = {
    {"Software\\Microsoft\\Office\\10.0\\Word\\Data", "Settings"},
    {"Software\\Microsoft\\Office\\9.0\\Word\\Data", "Settings"},
    {"Software\\Microsoft\\Office\\8.0\\Word\\Data", "Settings"},
    {"Software\\Microsoft\\Office\\8.0\\Excel\\Recent Files", nullptr},
    {"Software\\Microsoft\\Office\\8.0\\Excel\\Recent File List", nullptr},
    {"Software\\Microsoft\\Office\\10.0\\Excel\\Recent Files", nullptr},
    {"Software\\Microsoft\\Office\\9.0\\Excel\\Recent Files", nullptr},
    {"Software\\Microsoft\\Office\\8.0\\Powerpoint\\Recent File List", nullptr},
    {"Software\\Microsoft\\Office\\9.0\\Powerpoint\\Recent File List", nullptr},
};

} // namespace tv::engine
