#include <algorithm>
#include <string>
#include <vector>

#include "engine/CleaningRun.h"
#include "engine/StatusWords.h"
#include "tests/host/ui_program_fixture.h"

using namespace tv;
using namespace tv::ui;
using namespace tv::engine;
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
    EXPECT_EQ(status->after(kStageTexts[tkTempFolder])->text, kCleaned);
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
    EXPECT_EQ(first->text, kNotPresent);

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
        EXPECT_EQ(result->text, kImpossible) << path;
        EXPECT_TRUE(platform.files.deleted.empty()) << path;
        EXPECT_EQ(Form1->Label10.caption(), "Nettoyage terminé, avec des exceptions :\r"
                                            "Dossier temporaire : Nettoyage impossible")
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
    EXPECT_EQ(Form1->Label10.caption(), "Nettoyage terminé, avec des exceptions :\r"
                                        "6 fichiers utilisés ou protégés conservés");
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
        kStageTexts[tkRecentDocs], kCleaned,        kNotPresent, kCleaned,    kStageTexts[tkRunMru],
        kNotPresent,               kCongratulation, kCleaned,    kNotPresent, kCleaned,
        kStageTexts[tkRunMru],     kNotPresent,     kCongratulation};
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
    EXPECT_EQ(Form1->Label10.caption(), "Nettoyage terminé, avec des exceptions :\r"
                                        "1 fichier utilisé ou protégé conservé\r"
                                        "Nettoyage impossible : Adresses saisies,\r"
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
              "Nettoyage terminé, avec des exceptions :\rInternet Explorer n'a pas pu être fermé");
}
