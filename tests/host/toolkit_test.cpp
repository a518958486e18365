#include <gtest/gtest.h>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/Layout.h"
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
    box.userClick(); // grayed -> checked
    EXPECT_EQ(box.state(), CheckState::Checked);
    box.userClick(); // checked -> unchecked
    EXPECT_EQ(box.state(), CheckState::Unchecked);
    EXPECT_EQ(clicks, 3);
}
