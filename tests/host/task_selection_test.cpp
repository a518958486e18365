#include <gtest/gtest.h>

#include "engine/TaskSelection.h"

using namespace tv::engine;

TEST(TaskSelection, OnlyAnEntryOfOneCountsAndAutoCompleteAloneIsAnInternetSelection) {
    TaskSelection flags;
    EXPECT_FALSE(internetGroupSelected(flags));
    flags.selectGroup(WindowsGroup, true);
    EXPECT_FALSE(internetGroupSelected(flags));
    flags[tkAutoComplete] = 2; // not a selection: readers test for 1
    EXPECT_FALSE(internetGroupSelected(flags));
    flags.select(tkAutoComplete, true);
    EXPECT_TRUE(internetGroupSelected(flags));
    flags.clear();
    for (auto entry : flags.entries()) EXPECT_EQ(entry, 0);
}
