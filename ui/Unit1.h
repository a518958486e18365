#pragma once
// The main window: the two task groups with their file counts and master check boxes,
// the status panel, the start and tell-a-friend pictures, the maker's links. It holds the
// task selection for the whole program.

#include <cstdint>
#include <set>
#include <string>

#include "engine/TaskSelection.h"
#include "platform/PlatformServices.h"
#include "platform/toolkit/Controls.h"
#include "ui/LayoutWindow.h"

namespace tv::ui {

class OptionsDialog;

inline constexpr const char* kGreeting =
    "Bonjour,\r\rChoisissez les tâches à effectuer par Tarmel Veilo\ret cliquez sur Start.";
inline constexpr std::uint32_t kCreationPauseMs = 1000;
// Counts below this are shown as 0: a handful of files is not worth a clean.
inline constexpr int kCountThreshold = 5;

// "<n> fichier(s) nettoyable(s)" for a raw count, small counts shown as 0.
std::string cleanableFilesText(int count);

class TForm1 : public LayoutWindow {
public:
    TForm1(toolkit::Application& app, PlatformServices& platform);

    toolkit::Image& Image1;
    toolkit::Panel& Panel10;
    toolkit::Label& Label10;
    toolkit::ProgressBar& ProgressBar1;
    toolkit::Label& Label11;
    toolkit::Panel& Panel1;
    toolkit::Image& Image3;
    toolkit::Label& Label1;
    toolkit::Image& Image10;
    toolkit::CheckBox& CheckBox25;
    toolkit::Panel& Panel2;
    toolkit::Label& Label2;
    toolkit::Image& Image2;
    toolkit::Image& Image11;
    toolkit::CheckBox& CheckBox27;
    toolkit::Image& Image7;
    toolkit::Image& Image8;
    toolkit::Label& Label3;
    toolkit::Label& Label4;
    toolkit::GroupBox& GroupBox2;
    toolkit::Panel& Panel5;
    toolkit::GroupBox& GroupBox4;
    toolkit::Panel& Panel8;
    toolkit::Image& Image6;
    toolkit::Image& Image9;

    engine::TaskSelection TaskFlags;
    // While 1 the master check boxes act; the program lowers it around its own changes.
    std::uint8_t SyncEnabled = 0;

    void FormCreate();
    void refresh_valeur();
    void Image1Click();
    void Label4Click();
    void CheckBox25Click();
    void CheckBox27Click();
    void Image16Click();
    void Panel8Click();
    void Button2Click();
    // The cleaning run, fired by the start picture.
    void Anonymisation();
    // The same run, leaving out the items of these report keys (the user's choice).
    void startRun(const std::set<std::string>& kept);

    // The run's window-bound operations, handed on to the engine.
    std::string RenvoiDossier(int csidl);
    void WriteRegString(const std::string& path, const std::string& valueName, const std::string& text);
    void clear_history();

    PlatformServices& platform() const { return platform_; }

private:
    static toolkit::Handlers handlers(TForm1* self);
    void masterClicked(toolkit::CheckBox& master, engine::TaskGroup group, OptionsDialog* dialog);
    void openStatisticsPage();

    PlatformServices& platform_;
    int runDepth_ = 0; // runs under way, a run inside a run counting twice
};

} // namespace tv::ui
