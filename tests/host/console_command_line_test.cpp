#include <gtest/gtest.h>

#include "console/CommandLine.h"
#include "console/TaskKeys.h"

using namespace tv::console;
using tv::engine::kTaskCount;

namespace {
std::vector<std::size_t> selectedOf(const CommandLine& line) {
    std::vector<std::size_t> tasks;
    for (std::size_t task = 0; task < kTaskCount; ++task)
        if (line.tasks.selected(task)) tasks.push_back(task);
    return tasks;
}
} // namespace

TEST(ConsoleCommandLine, GroupsAndRepetitionSelectEachTaskOnceAndNameThemBackByTheirGroup) {
    const CommandLine line = parseCommandLine({"clean", "windows", "COOKIES", "temp", "cookies", "/close-browsers"});
    ASSERT_TRUE(line.valid()) << line.error;
    EXPECT_EQ(line.command, Command::Clean);
    EXPECT_EQ(selectedOf(line), (std::vector<std::size_t>{1, 5, 6, 7, 8, 9, 10}));
    EXPECT_TRUE(line.closeBrowsers);
    EXPECT_FALSE(line.json);
    EXPECT_EQ(keysOf(line.tasks), (std::vector<std::string>{"cookies", "windows"}));

    const CommandLine all = parseCommandLine({"preview", "internet", "windows", "/json", "/log", "C:\\j.txt"});
    ASSERT_TRUE(all.valid()) << all.error;
    EXPECT_EQ(selectedOf(all).size(), kTaskCount);
    EXPECT_EQ(keysOf(all.tasks), (std::vector<std::string>{"all"}));
    EXPECT_TRUE(all.json);
    EXPECT_EQ(all.logFile, "C:\\j.txt");
}

TEST(ConsoleCommandLine, EveryUsageErrorNamesTheWordItIsAbout) {
    struct Case {
        std::vector<std::string> words;
        std::string offending;
    };
    const std::vector<Case> cases = {
        {{"clean", "temp", "cokies"}, "cokies"},
        {{"clean"}, "clean"},
        {{"purge", "temp"}, "purge"},
        {{"clean", "temp", "--jsn"}, "--jsn"},
        {{"clean", "temp", "--log"}, "--log"},
        {{"preview", "temp", "--close-browsers"}, "--close-browsers"}, // a plan closes nothing
        {{"list", "temp"}, "temp"},
        {{"schedule", "daily", "24:00", "temp"}, "24:00"},
        {{"schedule", "daily", "7:5", "temp"}, "7:5"},
        {{"schedule", "weekly", "temp"}, "weekly"},
        {{"schedule", "show", "--json"}, "--json"},
        {{"schedule", "logon", "temp", "--log", "journal.txt"}, "journal.txt"}, // the task's folder is the system's
        {{}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        const CommandLine line = parseCommandLine(c.words);
        EXPECT_FALSE(line.valid());
        EXPECT_EQ(line.offendingWord, c.offending);
    }
}

TEST(ConsoleCommandLine, HelpWinsAndSlashWorksForDashes) {
    for (const char* help : {"--help", "-h", "/?", "/HELP"})
        EXPECT_EQ(parseCommandLine({"clean", "cokies", help}).command, Command::Help) << help;
    const CommandLine daily = parseCommandLine({"schedule", "daily", "7:05", "temp", "/Log", "C:\\j.txt"});
    ASSERT_TRUE(daily.valid()) << daily.error;
    EXPECT_EQ(daily.command, Command::ScheduleDaily);
    EXPECT_EQ(daily.hour, 7);
    EXPECT_EQ(daily.minute, 5);
    EXPECT_EQ(daily.logFile, "C:\\j.txt");
}
