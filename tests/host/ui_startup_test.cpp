#include <stdexcept>

#include "tests/host/ui_program_fixture.h"
#include "ui/Unit7.h"

using namespace tv;
using namespace tv::ui;
using tv::toolkit::MessageIcon;

namespace {

using StartUp = uitest::StartedProgram;

// A platform whose every pause fails: the main window's creation raises.
class PauseFails : public memory::MemoryPlatform {
public:
    void sleep(std::uint32_t) override { throw std::runtime_error("Pause refused"); }
};

} // namespace

TEST_F(StartUp, SplashCoversTheMainWindowsCreationAndOnlyTheMainWindowRemains) {
    bool splashUpDuringPause = false;
    std::string splashLabel;
    backend.onPump = [&] {
        if (SplashForm && Form1 && !Form1->visible()) {
            splashUpDuringPause = SplashForm->visible();
            splashLabel = SplashForm->Label4.caption();
        }
    };
    ASSERT_TRUE(ui::startUp(app, platform));
    EXPECT_EQ(backend.initializeCount, 1);
    EXPECT_EQ(backend.title, "Tarmel Veilo");
    EXPECT_TRUE(splashUpDuringPause);
    EXPECT_EQ(splashLabel, Form1->Label4.caption());
    EXPECT_EQ(SplashForm, nullptr);
    EXPECT_EQ(app.mainForm(), Form1);

    // Created in order, the splash first and never the main window.
    std::vector<std::string> names;
    for (const auto& f : app.forms()) names.push_back(f->name());
    EXPECT_EQ(names, (std::vector<std::string>{"SplashForm", "TForm1", "TForm2", "TForm3", "TForm4", "TForm6"}));
    for (const auto& f : app.forms()) EXPECT_FALSE(f->visible()) << f->name();

    backend.showState = 7;
    app.run();
    EXPECT_EQ(backend.released, std::vector<std::string>{"SplashForm"});
    ASSERT_EQ(app.forms().size(), 5u);
    EXPECT_TRUE(Form1->visible());
    EXPECT_EQ(Form1->style("showstate"), "7");
    EXPECT_FALSE(Form3->visible());
    EXPECT_FALSE(Form4->visible());
    EXPECT_FALSE(Form2->visible());
    EXPECT_FALSE(Form6->visible());
}

TEST(StartUpFailure, AnErrorWhileCreatingShowsTheErrorBoxReleasesTheSplashAndSkipsTheLoop) {
    PauseFails platform;
    toolkit::HeadlessBackend backend;
    {
        toolkit::Application app{backend};
        EXPECT_EQ(runProgram(app, platform), 1);
        EXPECT_FALSE(backend.loopRan);
        ASSERT_EQ(backend.boxes.size(), 1u);
        EXPECT_EQ(backend.boxes[0].text, "Pause refused.");
        EXPECT_EQ(backend.boxes[0].caption, "Tarmel Veilo");
        EXPECT_EQ(backend.boxes[0].icon, MessageIcon::Error);
        EXPECT_EQ(SplashForm, nullptr);
        EXPECT_EQ(Form1, nullptr);
        for (const auto& f : app.forms()) EXPECT_FALSE(f->visible()) << f->name();
        backend.processMessages(); // the splash's queued release
        EXPECT_EQ(backend.released, std::vector<std::string>{"SplashForm"});
    }
    // Every window went with the application, and COM with them.
    EXPECT_EQ(backend.finalizeCount, 1);
}

TEST_F(StartUp, ClosingTheMainWindowEndsTheProgramWhileADialogIsOpen) {
    start();
    Form1->Panel5.userClick();
    ASSERT_TRUE(Form3->visible());
    Form1->requestClose();
    EXPECT_TRUE(app.terminated());
    EXPECT_TRUE(backend.quitRequested);
}
