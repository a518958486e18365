#include <string>

#include "tests/host/ui_program_fixture.h"
#include "ui/MakerAddresses.h"

using namespace tv;
using namespace tv::ui;
using tv::toolkit::MessageButtons;

namespace {

class MainWindow : public uitest::StartedProgram {
protected:
    void plant(const std::string& folder, int files, const std::string& prefix = "f") {
        for (int i = 0; i < files; ++i) platform.files.addFile(folder + "\\" + prefix + std::to_string(i) + ".tmp");
    }
    std::string cache() { return platform.specialFolders[kCsidlInternetCache]; }
    std::string cookies() { return platform.specialFolders[kCsidlCookies]; }
    std::string temp() { return platform.tempPath.substr(0, platform.tempPath.size() - 1); }
};

} // namespace

TEST(CleanableFilesText, SmallCountsShowAsZeroAndPluralStartsAtTheThreshold) {
    EXPECT_EQ(cleanableFilesText(0), "0 fichier nettoyable");
    EXPECT_EQ(cleanableFilesText(1), "0 fichier nettoyable");
    EXPECT_EQ(cleanableFilesText(4), "0 fichier nettoyable");
    EXPECT_EQ(cleanableFilesText(5), "5 fichiers nettoyables");
    EXPECT_EQ(cleanableFilesText(1234567), "1234567 fichiers nettoyables");
}

TEST_F(MainWindow, EmptyFoldersShowZeroInTheSingular) {
    start();
    EXPECT_EQ(Form1->Label1.caption(), "0 fichier nettoyable");
    EXPECT_EQ(Form1->Label2.caption(), "0 fichier nettoyable");
}

TEST_F(MainWindow, BrowserCountIsCachePlusCookiesAndDesktopCountIsTheTemporaryFolder) {
    plant(cache(), 2);
    plant(cookies() + "\\deep\\er", 3);
    plant(temp(), 4);
    // Neither history nor recent documents are counted.
    plant(platform.specialFolders[kCsidlHistory], 20);
    plant(platform.specialFolders[kCsidlRecent], 20);
    start();
    EXPECT_EQ(Form1->Label1.caption(), "5 fichiers nettoyables");
    EXPECT_EQ(Form1->Label2.caption(), "0 fichier nettoyable");

    plant(temp(), 1, "more");
    Form1->refresh_valeur();
    EXPECT_EQ(Form1->Label2.caption(), "5 fichiers nettoyables");
}

TEST_F(MainWindow, UnresolvableFolderSaysErreurBeforeTheWindowShowsAndCountsTheOthers) {
    platform.specialFolders.erase(kCsidlCookies);
    plant(cache(), 6);
    plant(temp(), 7);
    ASSERT_TRUE(ui::startUp(app, platform));
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, "erreur");
    EXPECT_EQ(backend.boxes[0].caption, "Tarmel Veilo");
    EXPECT_EQ(backend.boxes[0].buttons, MessageButtons::Ok);
    EXPECT_FALSE(Form1->visible());
    EXPECT_EQ(Form1->Label1.caption(), "6 fichiers nettoyables");
    EXPECT_EQ(Form1->Label2.caption(), "7 fichiers nettoyables");
}

TEST_F(MainWindow, CreationPausesBeforeTheGreetingPumpsOnceThenCountsAndEnablesTheMasters) {
    plant(cache(), 5);
    std::vector<std::string> seen;
    backend.onPump = [&] {
        // Form1 is reachable during its own creation, as its handlers expect.
        if (!Form1 || seen.size() > 0) return;
        seen.push_back(Form1->Label10.caption());
        seen.push_back(std::to_string(platform.clockMs));
        seen.push_back(Form1->Label1.caption());
        seen.push_back(std::to_string(Form1->SyncEnabled));
        Form1->TaskFlags[engine::tkCookies] = 1; // a stale selection must not survive creation
    };
    start();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], kGreeting);
    EXPECT_EQ(seen[1], "1000");
    EXPECT_EQ(seen[2], "Fichiers"); // not counted yet
    EXPECT_EQ(seen[3], "0");
    EXPECT_EQ(platform.sleeps, std::vector<std::uint32_t>{1000});
    EXPECT_EQ(Form1->Label10.caption(),
              "Bonjour,\r\rChoisissez les tâches à effectuer par Tarmel Veilo\ret cliquez sur Start.");
    EXPECT_EQ(Form1->Label1.caption(), "5 fichiers nettoyables");
    EXPECT_EQ(Form1->SyncEnabled, 1);
    for (std::size_t i = 0; i < engine::kTaskCount; ++i) EXPECT_EQ(Form1->TaskFlags[i], 0) << i;
    EXPECT_FALSE(Form1->Label11.visible());
    EXPECT_FALSE(Form1->ProgressBar1.visible());
}

namespace {
class FakeWindow : public toolkit::ControlPeer {
public:
    void propertyChanged(toolkit::Property) override {}
    WindowHandle handle() const override { return 0x5150; }
};
} // namespace

TEST_F(MainWindow, BannerAndLinkLineOpenTheStatisticsPageOwnedByTheMainWindow) {
    start();
    Form1->attachPeer(std::make_unique<FakeWindow>());
    Form1->Image1.userClick();
    Form1->Label4.userClick();
    ASSERT_EQ(platform.shellOpens.size(), 2u);
    for (const auto& call : platform.shellOpens) {
        EXPECT_EQ(call.owner, 0x5150u);
        EXPECT_EQ(call.verb, "Open");
        EXPECT_EQ(call.file, statisticsServer() + "/redirect.php?what=Tarmel_Veilo");
        EXPECT_EQ(call.parameters, "");
        EXPECT_EQ(call.directory, "");
        EXPECT_EQ(call.showCommand, 1);
    }
}

TEST_F(MainWindow, LinkLineShowsTheMakersHostSpaced) {
    start();
    EXPECT_EQ(Form1->Label4.caption(), spacedLowerCase(makerHost()));
    EXPECT_EQ(spacedLowerCase("WWW.A.Example"), "w w w . a . e x a m p l e ");
}
