#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/RecycleBin.h"
#include "engine/browsers/FormData.h"
#include "engine/browsers/HistoryStore.h"
#include "engine/browsers/InternetExplorerFamily.h"
#include "engine/browsers/InternetExplorerWindows.h"
#include "engine/browsers/UrlCache.h"
#include "engine/CleanerError.h"
#include "ui/RunSummary.h"
#include "ui/RunTexts.h"
#include "ui/WindowRun.h"
#include "engine/RegistryOps.h"
#include "engine/TaskTargets.h"
#include "engine/browsers/InternetExplorerFamily.h"
#include "tests/host/ui_program_fixture.h"

using namespace tv;
using namespace tv::ui;
using namespace tv::engine;
using namespace tv::engine::browsers;
using toolkit::Cursor;
using toolkit::MessageButtons;
using toolkit::MessageIcon;
using toolkit::MessageResult;

namespace {

// Every text the status label takes, with where the bar stood at that moment.
struct StatusRecorder : toolkit::ControlPeer {
    struct Entry {
        std::string text;
        int position;
    };
    explicit StatusRecorder(toolkit::ProgressBar& bar) : bar(bar) {}
    void propertyChanged(toolkit::Property property) override {
        if (property == toolkit::Property::Caption && Form1) entries.push_back({Form1->Label10.caption(), bar.position()});
    }
    WindowHandle handle() const override { return 0; }
    // The entry that follows the first one with this text.
    const Entry* after(const std::string& text) const {
        for (size_t i = 0; i + 1 < entries.size(); ++i)
            if (entries[i].text == text) return &entries[i + 1];
        return nullptr;
    }
    size_t countOf(const std::string& text) const {
        return std::count_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.text == text; });
    }
    toolkit::ProgressBar& bar;
    std::vector<Entry> entries;
};

class CleaningRun : public uitest::StartedProgram {
protected:
    StatusRecorder* status = nullptr;

    void startAndWatch() {
        start();
        auto recorder = std::make_unique<StatusRecorder>(Form1->ProgressBar1);
        status = recorder.get();
        Form1->Label10.attachPeer(std::move(recorder));
    }
    // A click on the start picture, as the program delivers it.
    void clickStart() { app.dispatch([] { Form1->Image6.userClick(); }); }

    std::string folder(int csidl) { return platform.specialFolders[csidl]; }
    std::string temp() { return platform.tempPath.substr(0, platform.tempPath.size() - 1); }
    void plant(const std::string& in, int files) {
        for (int i = 0; i < files; ++i) platform.files.addFile(in + "\\trace" + std::to_string(i) + ".tmp");
    }
    void plantEverywhere() {
        for (int csidl : {kCsidlInternetCache, kCsidlCookies, kCsidlHistory, kCsidlRecent}) plant(folder(csidl), 3);
        plant(temp(), 3);
        platform.files.addFile("C:\\Users\\user\\AppData\\Local\\canary.txt");
        platform.registry.setValue(Hive::CurrentUser, kRunMruKey, "a", {memory::kRegSz, "cmd"});
        platform.registry.setValue(Hive::CurrentUser, kTypedUrlsKey, "url1", {memory::kRegSz, "http://a.example/"});
        platform.urlCache = {{"http://a.example/"}};
        platform.windows = {{0x10, "IEFrame"}};
    }
    bool congratulated() const { return Form1->Label10.caption() == kCongratulation; }
    size_t closeRequests() const { return platform.posted.size(); }
};

TEST_F(CleaningRun, MasterBoxAnsweredNoShowsTheHintAndCleansNothingNotEvenTheWindowsTasks) {
    plantEverywhere();
    startAndWatch();
    Form1->CheckBox25.userClick();
    Form1->CheckBox27.userClick();
    backend.answers = {MessageResult::No};
    clickStart();

    ASSERT_EQ(backend.boxes.size(), 2u);
    EXPECT_EQ(backend.boxes[0].text, kFullWipeQuestion);
    EXPECT_EQ(backend.boxes[0].caption, "Confirm");
    EXPECT_EQ(backend.boxes[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(backend.boxes[0].icon, MessageIcon::Question);
    EXPECT_EQ(backend.boxes[1].text, "Pour effectuer une anonymisation sélective, cliquez sur le bouton 'Options'.");
    EXPECT_EQ(backend.boxes[1].caption, "Information");
    EXPECT_EQ(backend.boxes[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(backend.boxes[1].icon, MessageIcon::Information);
    EXPECT_EQ(closeRequests(), 0u);
    EXPECT_TRUE(platform.files.deleted.empty());
    EXPECT_EQ(platform.registry.valueCount(Hive::CurrentUser, kRunMruKey), 1u);
    EXPECT_TRUE(status->entries.empty());
    EXPECT_FALSE(Form1->ProgressBar1.visible());
}

TEST_F(CleaningRun, OnlyNoEndsTheFullWipeWhileOnlyYesLetsAPartialOneGoOn) {
    plantEverywhere();
    startAndWatch();
    // A partial Internet selection, the box closed by its title bar: nothing happens.
    Form1->TaskFlags[tkCookies] = 1;
    backend.answers = {MessageResult::Closed};
    clickStart();
    EXPECT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, kCloseBrowserQuestion);
    EXPECT_EQ(closeRequests(), 0u);
    EXPECT_TRUE(platform.files.deleted.empty());

    // The full wipe, the same answer: the browser is closed and the run goes its whole way;
    // the start-page question closed the same way shows no dialog.
    Form1->CheckBox25.userClick();
    backend.answers = {MessageResult::Closed, MessageResult::Closed};
    clickStart();
    ASSERT_EQ(backend.boxes.size(), 3u);
    EXPECT_EQ(backend.boxes[1].text, kFullWipeQuestion);
    EXPECT_EQ(backend.boxes[2].text, kStartPageQuestion);
    EXPECT_FALSE(Form2->visible());
    EXPECT_EQ(closeRequests(), 1u);
    EXPECT_EQ(platform.files.fileCountBelow(folder(kCsidlCookies)), 0);
    EXPECT_EQ(platform.urlCache.size(), 0u);
    EXPECT_EQ(platform.historyClearCount, 1);
    EXPECT_TRUE(congratulated());
}

TEST_F(CleaningRun, WindowsTasksAloneAskNothingLeaveTheBrowserAloneAndTouchOnlyTheirTargets) {
    plantEverywhere();
    platform.registry.setValue(Hive::CurrentUser, "Software\\Microsoft\\Office\\9.0\\Word\\Data", "Settings", {});
    platform.registry.setValue(Hive::CurrentUser, "Software\\Microsoft\\Office\\9.0\\Word\\Data", "Keep", {});
    platform.recycleBinItems = 2;
    startAndWatch();
    Form1->CheckBox27.userClick();
    clickStart();

    EXPECT_TRUE(backend.boxes.empty());
    EXPECT_EQ(closeRequests(), 0u);
    EXPECT_FALSE(Form2->visible());
    EXPECT_EQ(platform.files.fileCountBelow(folder(kCsidlRecent)), 0);
    EXPECT_EQ(platform.files.fileCountBelow(temp()), 0);
    EXPECT_TRUE(platform.files.exists(temp()));
    EXPECT_EQ(platform.files.fileCountBelow(folder(kCsidlCookies)), 3);
    EXPECT_TRUE(platform.files.exists("C:\\Users\\user\\AppData\\Local\\canary.txt"));
    EXPECT_TRUE(platform.registry.exists(Hive::CurrentUser, kRunMruKey));
    EXPECT_EQ(platform.registry.valueCount(Hive::CurrentUser, kRunMruKey), 0u);
    EXPECT_EQ(platform.registry.valueCount(Hive::CurrentUser, kTypedUrlsKey), 1u);
    EXPECT_EQ(platform.registry.valueCount(Hive::CurrentUser, "Software\\Microsoft\\Office\\9.0\\Word\\Data"), 1u);
    EXPECT_EQ(platform.recycleBinItems, 0);
    // Each stage in index order, the temporary folder's one included.
    std::vector<std::string> stages;
    for (const auto& e : status->entries)
        if (std::find(std::begin(kStageTexts), std::end(kStageTexts), e.text) != std::end(kStageTexts))
            stages.push_back(e.text);
    EXPECT_EQ(stages, std::vector<std::string>(kStageTexts + tkRecentDocs, kStageTexts + kTaskCount));
    EXPECT_EQ(status->after(kStageTexts[tkTempFolder])->text, kCleanedWord);
    EXPECT_TRUE(congratulated());
    EXPECT_EQ(app.screenCursor(), Cursor::Default);
    EXPECT_FALSE(Form1->Label11.visible());
    EXPECT_FALSE(Form1->ProgressBar1.visible());
    // Six stage pauses and the closing one.
    EXPECT_EQ(std::count(platform.sleeps.begin(), platform.sleeps.end(), kStagePauseMs), 6);
    EXPECT_EQ(platform.sleeps.back(), kFinalPauseMs);
}

TEST_F(CleaningRun, BudgetIsTheFilesFoundPlusAHundredATaskAndTheBarEndsAtItsMaximum) {
    startAndWatch();
    // One registry task, neither media-player key: each absence is shown, the budget is 100.
    Form1->TaskFlags[tkMediaPlayer] = 1;
    clickStart();
    EXPECT_EQ(Form1->ProgressBar1.max(), 100);
    EXPECT_EQ(Form1->ProgressBar1.position(), 100);
    const auto* first = status->after(kStageTexts[tkMediaPlayer]);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text, kNotPresentWord);

    // The bar moved by 100 all the same: it stands there when the next stage shows.
    Form1->TaskFlags[tkOffice] = 1;
    status->entries.clear();
    clickStart();
    EXPECT_EQ(Form1->ProgressBar1.max(), 200);
    const auto stage = std::find_if(status->entries.begin(), status->entries.end(),
                                    [](const auto& e) { return e.text == kStageTexts[tkOffice]; });
    ASSERT_NE(stage, status->entries.end());
    EXPECT_EQ(stage->position, 100);

    plant(folder(kCsidlCookies), 7);
    plant(temp() + "\\deep", 5);
    plant(folder(kCsidlHistory), 4); // not counted: the history folder is no part of the budget
    Form1->TaskFlags.clear();
    for (auto task : {tkCookies, tkHistory, tkTempFolder}) Form1->TaskFlags[task] = 1;
    backend.answers = {MessageResult::Yes, MessageResult::No};
    clickStart();
    EXPECT_EQ(Form1->ProgressBar1.max(), 7 + 5 + 300);
    EXPECT_EQ(Form1->ProgressBar1.position(), Form1->ProgressBar1.max());
}

TEST_F(CleaningRun, NothingSelectedSaysSoAndPutsTheProgressAway) {
    startAndWatch();
    clickStart();
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, "Aucun élément n'a été coché");
    EXPECT_EQ(backend.boxes[0].caption, "Tarmel Veilo");
    EXPECT_EQ(backend.boxes[0].icon, MessageIcon::None);
    EXPECT_EQ(app.screenCursor(), Cursor::Default);
    EXPECT_FALSE(Form1->ProgressBar1.visible());
    EXPECT_FALSE(Form1->Label11.visible());
}

TEST_F(CleaningRun, TemporaryFolderThatIsNotOnlyATemporaryFolderLosesNothing) {
    startAndWatch();
    Form1->TaskFlags[tkTempFolder] = 1;
    // Something to lose in every folder the task must leave alone.
    for (const char* keep : {"C:\\keep.txt", "D:\\keep.txt", "C:\\Users\\user\\keep.txt", "C:\\Windows\\keep.txt",
                             "C:\\Windows\\system32\\keep.txt", "C:\\Users\\user\\Desktop\\keep.txt",
                             "C:\\Users\\user\\Documents\\keep.txt", "C:\\Program Files (x86)\\keep.txt",
                             "C:\\Program Files\\Tarmel Veilo\\keep.txt"})
        platform.files.addFile(keep);
    platform.files.addLink("C:\\Temp\\ToProfile", "C:\\Users\\user");
    platform.shortNames["C:\\PROGRA~1"] = "C:\\Program Files";
    const std::vector<std::string> refused = {
        "",
        "C:\\",
        "D:\\",
        "\\\\server\\share\\",
        "c:\\users\\",           // holds the profile, whatever the case
        "C:\\Users\\user",       // the profile, without its separator
        "C:\\Windows\\",
        "C:\\Windows\\System32\\",
        "C:\\Users\\user\\Desktop\\",
        "C:\\Users\\user\\Documents\\",
        "C:\\Program Files (x86)\\",
        "C:\\PROGRA~1\\",        // the short form of the program's own Program Files
        platform.programPath,
        "C:\\Temp\\ToProfile\\", // a link to the profile
        "Temp\\",                // relative: nobody knows where it leads
    };
    for (const std::string& path : refused) {
        platform.tempPath = path;
        status->entries.clear();
        clickStart();
        const auto* result = status->after(kStageTexts[tkTempFolder]);
        ASSERT_NE(result, nullptr) << path;
        EXPECT_EQ(result->text, kImpossibleWord) << path;
        EXPECT_TRUE(platform.files.deleted.empty()) << path;
        EXPECT_EQ(Form1->Label10.caption(), "Le nettoyage n'est pas complet\u00A0:\r"
                                            "Nettoyage impossible\u00A0: Dossier temporaire")
            << path;
    }
    // The only boxes are the "erreur" of the counts of an empty path, never one of the purge.
    for (const auto& box : backend.boxes) EXPECT_EQ(box.text, kPathError);
    EXPECT_EQ(backend.boxes.size(), 2u); // the run's budget and its closing recount
}

TEST_F(CleaningRun, MasterCheckedAndCompleteForcesTheBrowserCountToZeroWhateverWasCounted) {
    for (int i = 0; i < 6; ++i)
        platform.files.addFile(folder(kCsidlInternetCache) + "\\locked" + std::to_string(i), attr::kReadOnly);
    startAndWatch();
    Form1->CheckBox25.userClick();
    // Yes to the start page: the dialog is up and the run goes on to its end without it.
    backend.answers = {MessageResult::Yes, MessageResult::Yes};
    clickStart();
    EXPECT_TRUE(Form2->visible());
    // The files still there are in use or protected, not cleanable: the summary counts them.
    EXPECT_EQ(Form1->Label10.caption(), "Le nettoyage n'est pas complet\u00A0:\r"
                                        "6 fichiers n'ont pas été supprimés");
    EXPECT_EQ(Form1->Label1.caption(), "0 Fichier nettoyable");

    // A partial selection (one box of the options) shows the count as counted.
    Form1->CheckBox25.userClick();
    Form3->CheckBox2.userClick();
    ASSERT_EQ(Form1->CheckBox25.caption(), "Nettoyage partiel");
    backend.answers = {MessageResult::Yes, MessageResult::No};
    clickStart();
    EXPECT_EQ(backend.boxes.back().text, kStartPageQuestion);
    EXPECT_EQ(Form1->Label1.caption(), "6 fichiers nettoyables");
}

TEST_F(CleaningRun, EachTaskIsReadWhenReachedSoAnOptionTickedDuringTheRunDecides) {
    platform.recycleBinItems = 4;
    platform.registry.setValue(Hive::CurrentUser, kRunMruKey, "a", {memory::kRegSz, "cmd"});
    startAndWatch();
    Form4->CheckBox1.userClick();
    Form4->CheckBox8.userClick();
    // While the first stage shows, the user ticks the recycle bin and unticks the Run history.
    backend.queued.push_back([] {
        Form4->CheckBox28.userClick();
        Form4->CheckBox8.userClick();
    });
    clickStart();
    EXPECT_EQ(platform.recycleBinItems, 0);
    EXPECT_EQ(platform.registry.valueCount(Hive::CurrentUser, kRunMruKey), 1u);
    EXPECT_EQ(Form1->ProgressBar1.max(), 200); // the budget was fixed before
}

TEST_F(CleaningRun, AClickOnStartDuringARunRunsASecondRunThatEndsFirst) {
    startAndWatch();
    Form1->TaskFlags[tkRecentDocs] = 1;
    Form1->TaskFlags[tkRunMru] = 1;
    backend.queued.push_back([] { Form1->Image6.userClick(); });
    clickStart();
    // The outer run showed its first stage, the inner one ran whole (its first stage has the
    // same text), then the outer went on.
    std::vector<std::string> texts;
    for (const auto& e : status->entries) texts.push_back(e.text);
    // The folder's word, the absent lists' word, then the folder's again, as the task ends on it.
    const std::vector<std::string> expected = {
        kStageTexts[tkRecentDocs], kCleanedWord,        kNotPresentWord, kCleanedWord,    kStageTexts[tkRunMru],
        kNotPresentWord,               kCongratulation, kCleanedWord,    kNotPresentWord, kCleanedWord,
        kStageTexts[tkRunMru],     kNotPresentWord,     kCongratulation};
    EXPECT_EQ(texts, expected);
}

TEST_F(CleaningRun, AnErrorInTheHistoryStoreEndsTheRunWhereItStands) {
    platform.historyCreateResult = static_cast<std::int32_t>(0x80040154);
    platform.errorDescriptions[platform.historyCreateResult] = "Classe non enregistrée";
    platform.registry.setValue(Hive::CurrentUser, kTypedUrlsKey, "url1", {memory::kRegSz, "http://a.example/"});
    startAndWatch();
    Form1->CheckBox25.userClick();
    backend.answers = {MessageResult::Yes};
    clickStart();
    ASSERT_EQ(backend.boxes.size(), 2u);
    EXPECT_EQ(backend.boxes[1].text, "Classe non enregistrée.");
    EXPECT_EQ(backend.boxes[1].icon, MessageIcon::Error);
    EXPECT_EQ(platform.registry.valueCount(Hive::CurrentUser, kTypedUrlsKey), 1u);
    EXPECT_EQ(app.screenCursor(), Cursor::Hourglass);
    EXPECT_TRUE(Form1->Label11.visible());
    EXPECT_TRUE(Form1->ProgressBar1.visible());
    EXPECT_FALSE(congratulated());
}

TEST_F(CleaningRun, ClosingTheMainWindowDuringARunEndsItWithoutAnotherDeletionOrBox) {
    plantEverywhere();
    startAndWatch();
    Form1->CheckBox25.userClick();
    Form1->CheckBox27.userClick();
    backend.answers = {MessageResult::Yes}; // a second answer would be a box asked after the close
    // Closed at the run's first pump, while it counts the cache for its budget.
    backend.queued.push_back([] { Form1->requestClose(); });
    clickStart();
    EXPECT_TRUE(app.terminated());
    EXPECT_EQ(backend.boxes.size(), 1u);
    EXPECT_TRUE(platform.files.deleted.empty());
    EXPECT_EQ(platform.urlCache.size(), 1u);
    EXPECT_EQ(platform.registry.valueCount(Hive::CurrentUser, kTypedUrlsKey), 1u);
    EXPECT_EQ(std::count(platform.sleeps.begin(), platform.sleeps.end(), kStagePauseMs), 0);
    EXPECT_EQ(app.screenCursor(), Cursor::Default);
}

TEST_F(CleaningRun, ClosedDuringAFolderWalkNothingAfterTheWalkIsCleaned) {
    plantEverywhere();
    startAndWatch();
    Form1->CheckBox25.userClick();
    backend.answers = {MessageResult::Yes};
    // The first pump under the cache's stage is the stage's own; the next one is the walk's.
    int pumpsUnderTheStage = 0;
    backend.onPump = [&] {
        if (Form1->Label10.caption() == kStageTexts[tkInternetFiles] && ++pumpsUnderTheStage == 2)
            Form1->requestClose();
    };
    clickStart();
    EXPECT_TRUE(app.terminated());
    EXPECT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(platform.urlCache.size(), 1u);
    EXPECT_EQ(platform.files.fileCountBelow(folder(kCsidlCookies)), 3);
    EXPECT_EQ(platform.historyClearCount, 0);
}

} // namespace

TEST_F(CleaningRun, TheClosingTextSaysWhatStayedAndWhyAndCongratulatesOnlyAWholeSuccess) {
    // Whatever went through ends exactly as written.
    plantEverywhere();
    startAndWatch();
    Form1->CheckBox25.userClick();
    Form1->CheckBox27.userClick();
    backend.answers = {MessageResult::Yes, MessageResult::No};
    clickStart();
    EXPECT_EQ(Form1->Label10.caption(), "Félicitation, \r\rToutes les tâches sélectionnées se sont bien déroulées");

    // A file another program holds, a temporary folder the guard refuses, a bin that keeps
    // an item and a key that will not empty. A file gone before the purge reached it did
    // not stay.
    const std::string cookies = folder(kCsidlCookies);
    memory::MemoryFileSystem::Node& held = platform.files.addFile(cookies + "\\held.txt");
    held.inUse = true;
    platform.files.addFile(cookies + "\\vanishes.txt");
    platform.files.addFolder("C:\\Elsewhere");
    platform.files.beforeOpen = [&](const std::string& path) {
        if (path == cookies + "\\vanishes.txt") platform.files.moveInto(path, "C:\\Elsewhere");
    };
    const std::string temp = platform.tempPath;
    platform.tempPath = platform.programPath;
    platform.recycleBinItems = 3;
    platform.recycleBinKeeps = 1;
    const std::string guarded = std::string(kTypedUrlsKey) + "\\guarded";
    platform.registry.ensure(Hive::CurrentUser, guarded);
    platform.registry.denyDelete.insert(guarded);
    backend.answers = {MessageResult::Yes, MessageResult::No};
    clickStart();
    EXPECT_EQ(Form1->Label10.caption(), "Le nettoyage n'est pas complet\u00A0:\r"
                                        "1 fichier n'a pas été supprimé\r"
                                        "Nettoyage impossible\u00A0: Adresses saisies,\r"
                                        "Dossier temporaire, Corbeille");
    EXPECT_TRUE(platform.files.exists(cookies + "\\held.txt"));

    // Only a browser that would not close: its files may be in use.
    held.inUse = false;
    platform.tempPath = temp;
    platform.recycleBinKeeps = 0;
    platform.registry.denyDelete.clear();
    platform.windows = {{0x10, "IEFrame", 0, -1}};
    backend.answers = {MessageResult::Yes, MessageResult::No};
    clickStart();
    EXPECT_EQ(Form1->Label10.caption(),
              "Le nettoyage n'est pas complet\u00A0:\rInternet Explorer n'a pas pu être fermé");
}

TEST_F(CleaningRun, WhatStaysInATargetIsCountedOrNamedAndOnlyAnEmptiedOneIsCongratulated) {
    struct Case {
        const char* folder;                          // a temporary folder of its own, below C:\Tmp
        std::function<void(const std::string&)> plant; // given the folder, with its separator
        const char* summary;
        int stays; // files below the folder afterwards
    };
    auto& files = platform.files;
    const std::vector<Case> cases = {
        {"clean",
         [&](const std::string& t) {
             files.addFile(t + "a.tmp");
             files.addFile(t + "sub\\b.tmp");
         },
         "Félicitation, \r\rToutes les tâches sélectionnées se sont bien déroulées", 0},
        {"held",
         [&](const std::string& t) {
             files.addFile(t + "gone.tmp");
             files.addFile(t + "held.log").inUse = true;
         },
         "Le nettoyage n'est pas complet\u00A0:\r1 fichier n'a pas été supprimé", 1},
        {"unreadable",
         [&](const std::string& t) {
             files.addFile(t + "{3F2504E0-4F89-11D3-9A0C-0305E82C3301}\\setup.log");
             files.find(t + "{3F2504E0-4F89-11D3-9A0C-0305E82C3301}")->unreadable = true;
         },
         "Le nettoyage n'est pas complet\u00A0:\rDossier illisible\u00A0: {3F2504E0-4F89-…0C-0305E82C3301}", 1},
        {"breaks",
         [&](const std::string& t) {
             // ".", "..", two files, then an error: the second listing, after the purge, shows
             // the two files left whole.
             for (int i = 0; i < 4; ++i) files.addFile(t + "lot\\f" + std::to_string(i));
             files.find(t + "lot")->failEnumerationAfter = 4;
         },
         "Le nettoyage n'est pas complet\u00A0:\r2 fichiers n'ont pas été supprimés", 2},
        {"breaksagain",
         [&](const std::string& t) {
             // Every listing breaks before its end.
             for (int i = 0; i < 4; ++i) files.addFile(t + "lot\\f" + std::to_string(i));
             files.find(t + "lot")->failEnumerationAfter = 3;
         },
         "Le nettoyage n'est pas complet\u00A0:\rDossier illisible\u00A0: C:\\Tmp\\breaksagain\\lot", 3},
        {"dotted",
         [&](const std::string& t) {
             files.addFile(t + ".cache\\a");
             files.addFile(t + ".cache\\.deeper\\b");
             files.addFile(t + ".profile");
         },
         "Le nettoyage n'est pas complet\u00A0:\r2 fichiers n'ont pas été supprimés", 2},
        // The program run from a zip opened in place: its own folder stays, the rest goes.
        {"zip",
         [&](const std::string& t) {
             platform.programPath = t + "Temp1_TarmelVeilo.zip\\TarmelVeilo\\";
             files.addFile(platform.programPath + "TarmVeilon.exe");
             files.addFile(platform.programPath + "LISEZMOI.txt");
             files.addFile(t + "Temp1_TarmelVeilo.zip\\other.tmp");
             files.addFile(t + "trace.tmp");
         },
         "Le nettoyage n'est pas complet\u00A0:\r2 fichiers n'ont pas été supprimés", 2},
    };
    startAndWatch();
    Form1->TaskFlags[tkTempFolder] = 1;
    for (const Case& c : cases) {
        const std::string temp = std::string("C:\\Tmp\\") + c.folder + "\\";
        files.addFolder(temp);
        c.plant(temp);
        platform.tempPath = temp;
        status->entries.clear();
        clickStart();
        EXPECT_EQ(Form1->Label10.caption(), c.summary) << c.folder;
        EXPECT_EQ(status->after(kStageTexts[tkTempFolder])->text, kCleanedWord) << c.folder;
        EXPECT_EQ(files.fileCountBelow(temp), c.stays) << c.folder;
        EXPECT_TRUE(files.exists(temp)) << c.folder;
    }
    EXPECT_TRUE(files.exists(platform.programPath + "TarmVeilon.exe"));
    EXPECT_FALSE(files.exists("C:\\Tmp\\zip\\Temp1_TarmelVeilo.zip\\other.tmp"));
}

TEST_F(CleaningRun, TheStoresSayWhatRefusedAndTheirOwnFilesAreNoTraces) {
    const std::string cache = folder(kCsidlInternetCache) + "\\Content.IE5";
    const std::string cookies = folder(kCsidlCookies);
    const std::string history = folder(kCsidlHistory) + "\\History.IE5";
    // The stores' own indexes, held open by the system while the stores are in use.
    for (const std::string& index : {cache + "\\index.dat", cookies + "\\index.dat", history + "\\index.dat"})
        platform.files.addFile(index).inUse = true;
    platform.storeFiles[BrowserStore::UrlCache] = {cache + "\\index.dat", cookies + "\\index.dat"};
    platform.storeFiles[BrowserStore::History] = {history + "\\index.dat"};
    plant(cache + "\\A1B2C3D4", 2);
    platform.urlCache = {{"http://a.example/"}, {"Cookie:user@a.example/"}};
    startAndWatch();
    for (std::size_t task : {tkInternetFiles, tkCookies, tkHistory}) Form1->TaskFlags[task] = 1;
    backend.answers = {MessageResult::Yes, MessageResult::No};
    clickStart();
    EXPECT_TRUE(congratulated()) << Form1->Label10.caption();
    EXPECT_TRUE(platform.files.exists(cache + "\\index.dat"));
    EXPECT_EQ(platform.files.fileCountBelow(cache), 1);

    // A file of that name anywhere else is a file like any other. An entry in use and a store
    // that does not clear are named, and a cache that kept an entry keeps its index's records
    // of the cookies too.
    platform.files.addFile(cache + "\\A1B2C3D4\\index.dat").inUse = true;
    platform.urlCache = {{"http://a.example/", 128, true}};
    platform.historyClearResult = static_cast<std::int32_t>(0x80004001);
    backend.answers = {MessageResult::Yes, MessageResult::No};
    clickStart();
    EXPECT_EQ(Form1->Label10.caption(), "Le nettoyage n'est pas complet\u00A0:\r"
                                        "2 fichiers n'ont pas été supprimés\r"
                                        "Nettoyage impossible\u00A0: Fichiers internet,\r"
                                        "Historique de navigation");
}

TEST_F(CleaningRun, AKeyThatRefusesToBeReadIsNotTakenForAnAbsentOne) {
    const std::string runMru = kRunMruKey;
    const std::string word = kOfficeTraces[0].key;
    const std::string formData = kProtectedStoragePrefix + std::string("user") + kFormDataSuffix;
    auto parentOf = [](const std::string& key) { return key.substr(0, key.rfind('\\')); };
    platform.registry.setValue(Hive::CurrentUser, runMru, "a", {memory::kRegSz, "cmd"});
    platform.registry.setValue(Hive::CurrentUser, word, "Settings", {memory::kRegSz, "x"});
    platform.registry.ensure(Hive::LocalMachine, formData + "\\item");
    startAndWatch();
    ui::WindowRun display{app, {}, {Form1->Label10, Form1->Label11, Form1->ProgressBar1, Form1->CheckBox25, Form1->Label1}};
    Form1->TaskFlags[tkRunMru] = 1;
    const std::vector<std::set<std::string>> refusals = {{runMru, word, formData},
                                                         {parentOf(runMru), parentOf(word), parentOf(formData)}};
    for (const auto& refusing : refusals) {
        const std::string where = *refusing.begin();
        platform.registry.denyRead = refusing;
        EXPECT_EQ(ResetRegKey(platform, runMru), Outcome::Impossible) << where;
        EXPECT_EQ(DeleteRegValue(platform, word, "Settings"), Outcome::Impossible) << where;
        // A write needs the key itself; a key above it that refuses to be read does not stop it.
        if (refusing.count(runMru))
            EXPECT_THROW(WriteRegString(platform, runMru, "b", "x"), CleanerError);
        else
            EXPECT_NO_THROW(WriteRegString(platform, runMru, "b", "x"));
        EXPECT_FALSE(DeleteKeyWithSubkeys(platform, Hive::LocalMachine, formData)) << where;
        EXPECT_FALSE(PurgeAutoComplete(platform, display)) << where;
        status->entries.clear();
        clickStart();
        ASSERT_NE(status->after(kStageTexts[tkRunMru]), nullptr);
        EXPECT_EQ(status->after(kStageTexts[tkRunMru])->text, kImpossibleWord) << where;
        EXPECT_EQ(Form1->Label10.caption(),
                  "Le nettoyage n'est pas complet\u00A0:\rNettoyage impossible\u00A0: Derniers fichiers exécutés")
            << where;
    }
    platform.registry.denyRead.clear();
    EXPECT_TRUE(platform.registry.value(Hive::CurrentUser, runMru, "a"));
    EXPECT_TRUE(platform.registry.value(Hive::CurrentUser, word, "Settings"));
    EXPECT_TRUE(platform.registry.exists(Hive::LocalMachine, formData + "\\item"));
    // Absent stays absent.
    platform.registry.remove(Hive::CurrentUser, runMru);
    EXPECT_EQ(ResetRegKey(platform, runMru), Outcome::NotPresent);
    clickStart();
    EXPECT_TRUE(congratulated());
}
