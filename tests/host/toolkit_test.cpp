#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/headless/HeadlessBackend.h"

using namespace tv::toolkit;

TEST(CheckBoxRule, EveryChangeRunsTheClickHandlingOnceAndNoChangeRunsNothing) {
    CheckBox box("CheckBox1");
    int clicks = 0;
    box.OnClick = [&] { ++clicks; };
    box.setState(CheckState::Unchecked);
    EXPECT_EQ(clicks, 0);
    box.setState(CheckState::Grayed);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(box.checked()); // grayed is not ticked
    box.userClick();             // grayed -> checked
    EXPECT_EQ(box.state(), CheckState::Checked);
    box.userClick(); // checked -> unchecked
    EXPECT_EQ(box.state(), CheckState::Unchecked);
    EXPECT_EQ(clicks, 3);
}

TEST(CheckBoxRule, AChangeMadeInsideTheHandlingRunsItAgainAtOnce) {
    CheckBox box("CheckBox1");
    std::vector<CheckState> seen;
    box.OnClick = [&] {
        seen.push_back(box.state());
        if (box.state() == CheckState::Checked) box.setState(CheckState::Grayed);
    };
    box.userClick();
    EXPECT_EQ(seen, (std::vector<CheckState>{CheckState::Checked, CheckState::Grayed}));
}

TEST(RadioButtons, TickingOneUnticksItsSiblingsOnly) {
    HeadlessBackend backend;
    Application app(backend);
    Form form(app, "F");
    Panel& other = form.add(std::make_unique<Panel>("P"), nullptr);
    auto& a = form.add(std::make_unique<RadioButton>("A"), nullptr);
    auto& b = form.add(std::make_unique<RadioButton>("B"), nullptr);
    auto& elsewhere = form.add(std::make_unique<RadioButton>("C"), &other);
    a.setChecked(true);
    elsewhere.setChecked(true);
    b.userClick();
    EXPECT_FALSE(a.checked());
    EXPECT_TRUE(b.checked());
    EXPECT_TRUE(elsewhere.checked());
}

TEST(ProgressBarModel, StepItWrapsAndStepByStopsAtTheMaximum) {
    ProgressBar bar("ProgressBar1");
    EXPECT_EQ(bar.step(), 10);
    bar.setRange(0, 25);
    bar.stepIt();
    bar.stepIt();
    EXPECT_EQ(bar.position(), 20);
    bar.stepIt(); // 30 is past 25: starts again from the beginning
    EXPECT_EQ(bar.position(), 5);
    bar.stepBy(100);
    EXPECT_EQ(bar.position(), 25);
    bar.setPosition(-4);
    EXPECT_EQ(bar.position(), 0);
    bar.setRange(0, 0); // an empty range never divides by zero
    bar.stepIt();
    EXPECT_EQ(bar.position(), 0);
}

TEST(ApplicationBoxes, ErrorBoxAddsAFullStopOnlyWhenMissingAndTheHandlerEnds) {
    HeadlessBackend backend;
    Application app(backend);
    app.setTitle("Tarmel Veilo");
    bool after = false;
    app.dispatch([&] {
        throw std::runtime_error("Failed to create key Software\\X");
        after = true;
    });
    app.dispatch([] { throw std::runtime_error("Invalid SID."); });
    EXPECT_FALSE(after);
    ASSERT_EQ(backend.boxes.size(), 2u);
    EXPECT_EQ(backend.boxes[0].text, "Failed to create key Software\\X.");
    EXPECT_EQ(backend.boxes[0].caption, "Tarmel Veilo");
    EXPECT_EQ(backend.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(backend.boxes[1].text, "Invalid SID.");
    // The application goes on: the next handler runs.
    int ran = 0;
    app.dispatch([&] { ++ran; });
    EXPECT_EQ(ran, 1);
}

TEST(ApplicationBoxes, AnErrorOfAnUnknownKindShowsTheDefaultErrorBoxAndTheProgramGoesOn) {
    HeadlessBackend backend;
    Application app(backend);
    app.setTitle("Tarmel Veilo");
    struct NotAStandardError {};
    EXPECT_NO_THROW(app.dispatch([] { throw NotAStandardError{}; }));
    EXPECT_NO_THROW(app.dispatch([] { throw 42; }));
    ASSERT_EQ(backend.boxes.size(), 2u);
    for (const auto& box : backend.boxes) {
        EXPECT_EQ(box.text, "Erreur inattendue.");
        EXPECT_EQ(box.caption, "Tarmel Veilo");
        EXPECT_EQ(box.icon, MessageIcon::Error);
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
    }
}

TEST(ApplicationBoxes, ScriptedAnswersIncludingTheClosedBox) {
    HeadlessBackend backend;
    Application app(backend);
    backend.answers = {MessageResult::Yes, MessageResult::Closed};
    EXPECT_EQ(app.messageBox("q1", "Confirm", MessageButtons::YesNo, MessageIcon::Question), MessageResult::Yes);
    EXPECT_EQ(app.messageBox("q2", "Confirm", MessageButtons::YesNo, MessageIcon::Question), MessageResult::Closed);
    EXPECT_THROW(app.messageBox("q3", "Confirm", MessageButtons::YesNo, MessageIcon::Question), std::logic_error);
}

TEST(ApplicationLoop, PumpRunsOnlyWhatWasQueuedBeforeIt) {
    HeadlessBackend backend;
    Application app(backend);
    std::vector<int> order;
    backend.queued.push_back([&] {
        order.push_back(1);
        backend.queued.push_back([&] { order.push_back(2); });
    });
    app.processMessages();
    EXPECT_EQ(order, std::vector<int>{1});
    app.processMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(ApplicationLoop, AQueuedClickGoesThroughTheSameDispatchAsANativeOne) {
    HeadlessBackend backend;
    Application app(backend);
    app.setTitle("Tarmel Veilo");
    int after = 0;
    backend.queued.push_back([] { throw std::runtime_error("Interface not supported"); });
    backend.queued.push_back([] { throw 7; });
    backend.queued.push_back([&] { ++after; });
    EXPECT_NO_THROW(app.processMessages());
    ASSERT_EQ(backend.boxes.size(), 2u);
    EXPECT_EQ(backend.boxes[0].text, "Interface not supported.");
    EXPECT_EQ(backend.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(backend.boxes[1].text, "Erreur inattendue.");
    EXPECT_EQ(after, 1); // each click ends on its own; the next one still runs
}

TEST(ApplicationLoop, ClosingTheMainFormEndsTheLoopAndReleasedFormsAreDestroyed) {
    HeadlessBackend backend;
    Application app(backend);
    app.initialize();
    auto& splash = app.adopt(std::make_unique<Form>(app, "SplashForm"), false);
    auto& main = app.adopt(std::make_unique<Form>(app, "TForm1"));
    auto& dialog = app.adopt(std::make_unique<Form>(app, "TForm3"));
    EXPECT_EQ(app.mainForm(), &main);
    splash.showForm();
    app.release(splash);
    EXPECT_FALSE(splash.visible());
    dialog.showForm();
    backend.queued.push_back([&] { main.requestClose(); });
    backend.queued.push_back([&] { ADD_FAILURE() << "ran after the main form closed"; });
    app.run();
    EXPECT_TRUE(app.terminated());
    EXPECT_EQ(backend.released, std::vector<std::string>{"SplashForm"});
    EXPECT_EQ(app.forms().size(), 2u);
    // A dialog's own close button only hides it.
    dialog.requestClose();
    EXPECT_FALSE(dialog.visible());
}
