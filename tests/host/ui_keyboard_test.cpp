// The program used with the keyboard alone: Tab, Space, Enter and Escape.

#include <string>
#include <vector>

#include "tests/host/ui_program_fixture.h"

using namespace tv;
using namespace tv::ui;
using tv::toolkit::CheckState;
using tv::toolkit::Control;
using tv::toolkit::Key;

namespace {

class Keyboard : public uitest::StartedProgram {
protected:
    Control* focused() const { return app.activeForm() ? app.activeForm()->focusedControl() : nullptr; }
    void press(Key key, int times = 1) {
        for (int i = 0; i < times; ++i) app.pressKey(key);
    }
};

} // namespace

TEST_F(Keyboard, AWholeRunByKeysFollowsTheReadingOrderAndKeepsTheFocusOnStart) {
    platform.files.addFile(platform.tempPath + "trace.tmp");
    platform.recycleBinItems = 2;
    start();
    ASSERT_EQ(app.activeForm(), Form1);
    ASSERT_EQ(focused(), &Form1->Image1);
    std::vector<Control*> order;
    for (int i = 0; i < 8; ++i) {
        press(Key::Tab);
        order.push_back(focused());
    }
    // Top to bottom, left to right, the start picture last; then round again.
    EXPECT_EQ(order, (std::vector<Control*>{&Form1->CheckBox25, &Form1->Panel5, &Form1->CheckBox27, &Form1->Panel8,
                                            &Form1->Image9, &Form1->Label4, &Form1->Image6, &Form1->Image1}));

    press(Key::Tab, 3);
    ASSERT_EQ(focused(), &Form1->CheckBox27);
    press(Key::Space);
    EXPECT_EQ(Form1->CheckBox27.state(), CheckState::Checked);
    press(Key::Tab, 4);
    ASSERT_EQ(focused(), &Form1->Image6);
    press(Key::Enter);

    EXPECT_EQ(platform.files.fileCountBelow(platform.tempPath.substr(0, platform.tempPath.size() - 1)), 0);
    EXPECT_EQ(platform.recycleBinItems, 0);
    EXPECT_TRUE(backend.boxes.empty());
    EXPECT_TRUE(platform.shellOpens.empty()); // no other button was pressed on the way
    EXPECT_EQ(app.activeForm(), Form1);
    EXPECT_EQ(focused(), &Form1->Image6);
    // Escape never closes the main window.
    press(Key::Escape);
    EXPECT_TRUE(Form1->visible());
    EXPECT_FALSE(app.terminated());
}

TEST_F(Keyboard, AnOptionsDialogIsCompletedAndClosedByKeysAndTheFocusGoesBackToItsButton) {
    start();
    press(Key::Tab, 2);
    ASSERT_EQ(focused(), &Form1->Panel5);
    press(Key::Enter);
    ASSERT_TRUE(Form3->visible());
    ASSERT_EQ(app.activeForm(), Form3);
    EXPECT_EQ(focused(), &Form3->CheckBox3);
    press(Key::Space);
    press(Key::Tab);
    press(Key::Space);
    EXPECT_EQ(focused(), &Form3->CheckBox2);
    press(Key::Enter); // on a box: the dialog's "Ok"
    EXPECT_FALSE(Form3->visible());
    EXPECT_TRUE(Form1->TaskFlags.selected(engine::tkInternetFiles));
    EXPECT_TRUE(Form1->TaskFlags.selected(engine::tkCookies));
    EXPECT_EQ(Form1->CheckBox25.state(), CheckState::Grayed);
    EXPECT_EQ(app.activeForm(), Form1);
    EXPECT_EQ(focused(), &Form1->Panel5);

    // Escape closes it as its close button does, and the ticks stay.
    press(Key::Enter);
    ASSERT_TRUE(Form3->visible());
    EXPECT_EQ(focused(), &Form3->CheckBox2);
    press(Key::Escape);
    EXPECT_FALSE(Form3->visible());
    EXPECT_TRUE(Form3->CheckBox2.checked());
    EXPECT_EQ(focused(), &Form1->Panel5);
}

TEST_F(Keyboard, EnterInAFieldSendsButInTheMessageItStartsANewLine) {
    start();
    press(Key::Tab, 5);
    ASSERT_EQ(focused(), &Form1->Image9);
    press(Key::Enter);
    ASSERT_EQ(app.activeForm(), Form6);
    EXPECT_EQ(focused(), &Form6->Edit1);
    press(Key::Tab, 2);
    ASSERT_EQ(focused(), &Form6->memo1);
    press(Key::Enter);
    EXPECT_TRUE(Form6->visible());
    EXPECT_TRUE(backend.boxes.empty());
    press(Key::Tab, 2); // past "Envoyer", round to the first field
    ASSERT_EQ(focused(), &Form6->Edit1);
    press(Key::Tab);
    Form6->Edit2.setText("ami@a.example");
    press(Key::Enter);
    ASSERT_EQ(platform.shellOpens.size(), 1u);
    EXPECT_NE(platform.shellOpens[0].file.find("sendto=ami%40a.example"), std::string::npos);
    EXPECT_FALSE(Form6->visible());
    EXPECT_EQ(focused(), &Form1->Image9);
}
