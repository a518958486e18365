#include "ui/Unit1.h"

#include "engine/FolderOps.h"
#include "engine/RegistryOps.h"
#include "engine/Run.h"
#include "engine/browsers/ChromiumCleaner.h"
#include "engine/browsers/FirefoxCleaner.h"
#include "engine/browsers/HistoryStore.h"
#include "platform/toolkit/Application.h"
#include "ui/MakerAddresses.h"
#include "ui/Program.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/Unit6.h"
#include "ui/WindowRun.h"

namespace tv::ui {

using namespace toolkit;

namespace {
constexpr int kShowNormal = 1;
} // namespace

std::string cleanableFilesText(int count) {
    const int shown = count < kCountThreshold ? 0 : count;
    const char* plural = shown > 1 ? "s" : "";
    return std::to_string(shown) + " fichier" + plural + " nettoyable" + plural;
}

Handlers TForm1::handlers(TForm1* self) {
    return {
        {"FormCreate", [self] { self->FormCreate(); }},
        {"Image1Click", [self] { self->Image1Click(); }},
        {"Label4Click", [self] { self->Label4Click(); }},
        {"CheckBox25Click", [self] { self->CheckBox25Click(); }},
        {"CheckBox27Click", [self] { self->CheckBox27Click(); }},
        {"Image16Click", [self] { self->Image16Click(); }},
        {"Panel8Click", [self] { self->Panel8Click(); }},
        {"Button2Click", [self] { self->Button2Click(); }},
        {"Anonymisation", [self] { self->Anonymisation(); }},
    };
}

TForm1::TForm1(Application& app, PlatformServices& platform)
    : LayoutWindow(app, "TForm1", handlers(this)),
      Image1(control<Image>("Image1")),
      Panel10(control<Panel>("Panel10")),
      Label10(control<Label>("Label10")),
      ProgressBar1(control<ProgressBar>("ProgressBar1")),
      Label11(control<Label>("Label11")),
      Panel1(control<Panel>("Panel1")),
      Image3(control<Image>("Image3")),
      Label1(control<Label>("Label1")),
      Image10(control<Image>("Image10")),
      CheckBox25(control<CheckBox>("CheckBox25")),
      Panel2(control<Panel>("Panel2")),
      Label2(control<Label>("Label2")),
      Image2(control<Image>("Image2")),
      Image11(control<Image>("Image11")),
      CheckBox27(control<CheckBox>("CheckBox27")),
      Image7(control<Image>("Image7")),
      Image8(control<Image>("Image8")),
      Label3(control<Label>("Label3")),
      Label4(control<Label>("Label4")),
      GroupBox2(control<GroupBox>("GroupBox2")),
      Panel5(control<Panel>("Panel5")),
      GroupBox4(control<GroupBox>("GroupBox4")),
      Panel8(control<Panel>("Panel8")),
      Image6(control<Image>("Image6")),
      Image9(control<Image>("Image9")),
      platform_(platform) {
    Label4.setCaption(spacedLowerCase(makerHost()));
    // Read out as the host it spells, not letter by letter.
    Label4.setAccessibleName(lowerCase(makerHost()));
}

void TForm1::FormCreate() {
    platform_.sleep(kCreationPauseMs);
    Label10.setCaption(kGreeting);
    application().processMessages();
    refresh_valeur();
    SyncEnabled = 1;
    TaskFlags.clear();
}

void TForm1::refresh_valeur() {
    WindowCallback counting(application());
    const std::string temp = engine::TempFolderPath(platform_);
    const int browser = engine::CountFiles(platform_, counting, RenvoiDossier(kCsidlInternetCache)) +
                        engine::CountFiles(platform_, counting, RenvoiDossier(kCsidlCookies)) +
                        engine::browsers::countChromiumCacheFiles(
                            platform_, counting, engine::browsers::findChromiumInstallations(platform_)) +
                        engine::browsers::countFirefoxCacheFiles(
                            platform_, counting, engine::browsers::findFirefoxInstallations(platform_));
    const int desktop = engine::CountFiles(platform_, counting, temp);
    Label1.setCaption(cleanableFilesText(browser));
    Label2.setCaption(cleanableFilesText(desktop));
}

void TForm1::openStatisticsPage() {
    platform_.shellOpen(handle(), "Open", statisticsRedirectAddress(), "", "", kShowNormal);
}

void TForm1::Image1Click() { openStatisticsPage(); }
void TForm1::Label4Click() { openStatisticsPage(); }

void TForm1::masterClicked(CheckBox& master, engine::TaskGroup group, OptionsDialog* dialog) {
    if (SyncEnabled != 1) return;
    master.setCaption(kMasterComplete);
    const bool on = master.checked();
    TaskFlags.selectGroup(group, on);
    SyncEnabled = 0;
    // Each box that changes runs its own handling, which recomputes this master through
    // the dialog's clean; SyncEnabled keeps that from coming back in here.
    if (dialog)
        for (const auto& taskBox : dialog->taskBoxes()) taskBox.box->setChecked(on);
    SyncEnabled = 1;
}

void TForm1::CheckBox25Click() { masterClicked(CheckBox25, engine::InternetGroup, Form3); }
void TForm1::CheckBox27Click() { masterClicked(CheckBox27, engine::WindowsGroup, Form4); }

void TForm1::Image16Click() {
    if (Form3) Form3->showForm();
}
void TForm1::Panel8Click() {
    if (Form4) Form4->showForm();
}

void TForm1::Button2Click() {
    if (Form6) Form6->showForm();
}

void TForm1::Anonymisation() { startRun({}); }

void TForm1::startRun(const std::set<std::string>& kept) {
    WindowRun callback(application(), [this](std::uint32_t ms) { platform_.sleep(ms); },
                       {Label10, Label11, ProgressBar1, CheckBox25, Label1},
                       [this] { refresh_valeur(); },
                       [] {
                           if (Form2) Form2->showForm();
                       });
    // A click on Start during a run starts a run inside it: the outer one holds the lock.
    const engine::RunRequest request{
        .tasks = TaskFlags, .fullWipe = CheckBox25.state() == CheckState::Checked, .kept = kept, .nested = runDepth_ > 0};
    engine::RunReport report;
    ++runDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{runDepth_};
    engine::RunCleaning(platform_, callback, request, report);
}

std::string TForm1::RenvoiDossier(int csidl) { return engine::RenvoiDossier(platform_, csidl); }

void TForm1::WriteRegString(const std::string& path, const std::string& valueName, const std::string& text) {
    engine::WriteRegString(platform_, path, valueName, text);
}

void TForm1::clear_history() { engine::browsers::clear_history(platform_); }

} // namespace tv::ui
