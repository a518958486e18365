#include <random>
#include <string>
#include <vector>

#include "tests/host/ui_program_fixture.h"

using namespace tv;
using namespace tv::ui;
using tv::toolkit::CheckBox;
using tv::toolkit::CheckState;

namespace {

class Options : public uitest::StartedProgram {
protected:
    void SetUp() override {
        StartedProgram::SetUp();
        start();
        watch(Form1->CheckBox25, internetEntries);
        watch(Form1->CheckBox27, windowsEntries);
    }

    // Wraps a master's click handling to count the times it acts, and to catch it acting
    // inside itself.
    void watch(CheckBox& master, int& entries) {
        auto original = master.OnClick;
        master.OnClick = [this, original, &entries] {
            if (Form1->SyncEnabled == 1) {
                ++entries;
                if (depth > 0) ++reentries;
            }
            ++depth;
            original();
            --depth;
        };
    }

    // Every invariant that must hold whenever no handler runs.
    void expectConsistent(OptionsDialog& dialog, CheckBox& master, const std::string& step) {
        std::size_t ticked = 0;
        for (const auto& b : dialog.taskBoxes()) {
            EXPECT_EQ(Form1->TaskFlags[b.task], b.box->checked() ? 1 : 0) << step << " " << b.box->name();
            EXPECT_NE(b.box->state(), CheckState::Grayed) << step;
            if (b.box->checked()) ++ticked;
        }
        const std::size_t all = dialog.taskBoxes().size();
        const CheckState expected = ticked == all ? CheckState::Checked
                                    : ticked == 0 ? CheckState::Unchecked
                                                  : CheckState::Grayed;
        EXPECT_EQ(master.state(), expected) << step;
        EXPECT_EQ(master.caption(), expected == CheckState::Grayed ? "Nettoyage partiel" : "Nettoyage complet")
            << step;
    }
    void expectConsistent(const std::string& step) {
        expectConsistent(*Form3, Form1->CheckBox25, step);
        expectConsistent(*Form4, Form1->CheckBox27, step);
        EXPECT_EQ(Form1->SyncEnabled, 1) << step;
        EXPECT_EQ(reentries, 0) << step;
    }

    std::vector<std::int32_t> flags(engine::TaskGroup group) {
        std::vector<std::int32_t> v;
        for (std::size_t i = group.first; i <= group.last; ++i) v.push_back(Form1->TaskFlags[i]);
        return v;
    }
    std::vector<std::int32_t> ones(std::size_t n) { return std::vector<std::int32_t>(n, 1); }
    std::vector<std::int32_t> zeros(std::size_t n) { return std::vector<std::int32_t>(n, 0); }

    int internetEntries = 0;
    int windowsEntries = 0;
    int depth = 0;
    int reentries = 0;
};

} // namespace

TEST_F(Options, ThousandsOfRandomClicksKeepEveryBoxFlagAndMasterInStep) {
    std::vector<CheckBox*> targets{&Form1->CheckBox25, &Form1->CheckBox27};
    for (const auto& b : Form3->taskBoxes()) targets.push_back(b.box);
    for (const auto& b : Form4->taskBoxes()) targets.push_back(b.box);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, targets.size() - 1);
    int grayedMasterClicks = 0;
    for (int i = 0; i < 5000; ++i) {
        CheckBox* target = targets[pick(random)];
        const bool internet = target == &Form1->CheckBox25 || target->form() == Form3;
        const bool isMaster = target == &Form1->CheckBox25 || target == &Form1->CheckBox27;
        if (isMaster && target->state() == CheckState::Grayed) ++grayedMasterClicks;
        const auto otherBefore = flags(internet ? engine::WindowsGroup : engine::InternetGroup);
        const std::string otherCaption = (internet ? Form1->CheckBox27 : Form1->CheckBox25).caption();
        const CheckState otherState = (internet ? Form1->CheckBox27 : Form1->CheckBox25).state();
        const int internetBefore = internetEntries, windowsBefore = windowsEntries;

        target->userClick();

        const std::string step = "click " + std::to_string(i) + " on " + target->name();
        expectConsistent(step);
        EXPECT_EQ(flags(internet ? engine::WindowsGroup : engine::InternetGroup), otherBefore) << step;
        EXPECT_EQ((internet ? Form1->CheckBox27 : Form1->CheckBox25).caption(), otherCaption) << step;
        EXPECT_EQ((internet ? Form1->CheckBox27 : Form1->CheckBox25).state(), otherState) << step;
        // A master acts exactly once for its own click, never for a dialog box's.
        EXPECT_EQ(internetEntries - internetBefore, target == &Form1->CheckBox25 ? 1 : 0) << step;
        EXPECT_EQ(windowsEntries - windowsBefore, target == &Form1->CheckBox27 ? 1 : 0) << step;
        if (isMaster) {
            EXPECT_EQ(target->state() == CheckState::Checked ? 1 : 0,
                      Form1->TaskFlags[internet ? engine::tkInternetFiles : engine::tkRecentDocs])
                << step;
        }
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(grayedMasterClicks, 50);
}

TEST_F(Options, CookiesAloneGraysTheMasterAndTheFifthBoxCompletesIt) {
    Form1->Panel5.userClick();
    Form3->CheckBox2.userClick();
    EXPECT_EQ(flags(engine::InternetGroup), (std::vector<std::int32_t>{0, 1, 0, 0, 0}));
    EXPECT_EQ(Form1->CheckBox25.state(), CheckState::Grayed);
    EXPECT_EQ(Form1->CheckBox25.caption(), "Nettoyage partiel");

    for (CheckBox* box : {&Form3->CheckBox3, &Form3->CheckBox4, &Form3->CheckBox6}) box->userClick();
    EXPECT_EQ(Form1->CheckBox25.state(), CheckState::Grayed);
    Form3->CheckBox10.userClick();
    EXPECT_EQ(Form1->CheckBox25.state(), CheckState::Checked);
    EXPECT_EQ(Form1->CheckBox25.caption(), "Nettoyage complet");
    EXPECT_EQ(flags(engine::InternetGroup), ones(5));

    for (CheckBox* box : {&Form3->CheckBox2, &Form3->CheckBox3, &Form3->CheckBox4, &Form3->CheckBox6,
                          &Form3->CheckBox10})
        box->userClick();
    EXPECT_EQ(Form1->CheckBox25.state(), CheckState::Unchecked);
    EXPECT_EQ(Form1->CheckBox25.caption(), "Nettoyage complet");
    EXPECT_EQ(flags(engine::InternetGroup), zeros(5));
    EXPECT_EQ(internetEntries, 0);
    expectConsistent("end");
}

TEST_F(Options, RecycleBinAloneAndBackLeavesEveryOtherFlagAlone) {
    Form4->CheckBox28.userClick();
    for (std::size_t i = 0; i < engine::kTaskCount; ++i)
        EXPECT_EQ(Form1->TaskFlags[i], i == engine::tkRecycleBin ? 1 : 0) << i;
    EXPECT_EQ(Form1->CheckBox27.state(), CheckState::Grayed);
    EXPECT_EQ(Form1->CheckBox27.caption(), "Nettoyage partiel");
    EXPECT_FALSE(engine::internetGroupSelected(Form1->TaskFlags));

    Form4->CheckBox28.userClick();
    EXPECT_EQ(Form1->TaskFlags[engine::tkRecycleBin], 0);
    EXPECT_EQ(Form1->CheckBox27.state(), CheckState::Unchecked);
    EXPECT_EQ(Form1->CheckBox27.caption(), "Nettoyage complet");
}

TEST_F(Options, MasterClickWhileTheDialogIsHiddenTicksItsBoxesForLater) {
    ASSERT_FALSE(Form4->visible());
    Form1->CheckBox27.userClick();
    EXPECT_EQ(flags(engine::WindowsGroup), ones(6));
    EXPECT_EQ(flags(engine::InternetGroup), zeros(5));
    EXPECT_EQ(Form1->CheckBox27.state(), CheckState::Checked);
    EXPECT_EQ(Form1->CheckBox27.caption(), "Nettoyage complet");
    EXPECT_EQ(Form1->CheckBox25.state(), CheckState::Unchecked);
    EXPECT_FALSE(Form4->visible());
    Form1->Panel8.userClick();
    EXPECT_TRUE(Form4->visible());
    for (const auto& b : Form4->taskBoxes()) EXPECT_TRUE(b.box->checked()) << b.box->name();

    Form1->CheckBox27.userClick();
    EXPECT_EQ(flags(engine::WindowsGroup), zeros(6));
    EXPECT_EQ(Form1->CheckBox27.state(), CheckState::Unchecked);
    EXPECT_EQ(windowsEntries, 2);
    expectConsistent("end");
}

TEST_F(Options, GrayedMasterClickSelectsTheWholeGroup) {
    Form3->CheckBox6.userClick();
    Form3->CheckBox10.userClick();
    ASSERT_EQ(Form1->CheckBox25.state(), CheckState::Grayed);
    Form1->CheckBox25.userClick();
    EXPECT_EQ(Form1->CheckBox25.state(), CheckState::Checked);
    EXPECT_EQ(Form1->CheckBox25.caption(), "Nettoyage complet");
    EXPECT_EQ(flags(engine::InternetGroup), ones(5));
    EXPECT_TRUE(engine::internetGroupSelected(Form1->TaskFlags));
    EXPECT_EQ(internetEntries, 1);
    expectConsistent("end");
}

TEST_F(Options, OkCloseAndASecondOptionsClickKeepOneDialogWithItsTicks) {
    Form1->Panel5.userClick();
    Form3->CheckBox4.userClick();
    Form1->Panel5.userClick(); // already shown: only brought forward
    EXPECT_TRUE(Form3->visible());
    EXPECT_EQ(app.forms().size(), 5u);
    Form3->Panel3.userClick();
    EXPECT_FALSE(Form3->visible());
    Form1->Panel5.userClick();
    Form3->requestClose();
    EXPECT_FALSE(Form3->visible());
    EXPECT_FALSE(app.terminated());
    EXPECT_TRUE(Form3->CheckBox4.checked());
    EXPECT_EQ(Form1->TaskFlags[engine::tkHistory], 1);
}
