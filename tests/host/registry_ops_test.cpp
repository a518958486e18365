#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/CleanerError.h"
#include "engine/RegistryOps.h"
#include "engine/StatusWords.h"
#include "platform/memory/MemoryPlatform.h"

using namespace tv;

namespace {

const std::string kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const std::string kSibling = "Software\\Microsoft\\Internet Explorer\\Main";

struct RegistryFixture : ::testing::Test {
    memory::MemoryPlatform platform;
    memory::MemoryRegistry& reg = platform.registry;
    void TearDown() override { EXPECT_EQ(reg.openHandles(), 0u) << "a key handle was left open"; }
};

} // namespace

TEST_F(RegistryFixture, ResetEmptiesADeepKeyAndLeavesItsNeighbours) {
    reg.setValue(Hive::CurrentUser, kTyped, "url1", {memory::kRegSz, "http://a"});
    reg.setValue(Hive::CurrentUser, kTyped + "\\x\\y\\z", "deep", {memory::kRegSz, "1"});
    reg.setValue(Hive::CurrentUser, kTyped + "\\x\\w", "", {memory::kRegDword, "\x01\0\0\0"});
    reg.setValue(Hive::CurrentUser, kSibling, "Start Page", {memory::kRegSz, "keep"});
    reg.setValue(Hive::CurrentUser, kTyped + "Extra", "v", {memory::kRegSz, "keep"}); // shares a prefix

    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kCleaned);
    EXPECT_TRUE(reg.exists(Hive::CurrentUser, kTyped));
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, kTyped), 0u);
    EXPECT_TRUE(reg.subkeyNames(Hive::CurrentUser, kTyped).empty());
    EXPECT_EQ(reg.value(Hive::CurrentUser, kSibling, "Start Page")->data, "keep");
    EXPECT_EQ(reg.value(Hive::CurrentUser, kTyped + "Extra", "v")->data, "keep");
}

TEST_F(RegistryFixture, ResetOfAMissingKeyCreatesNothing) {
    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kNotPresent);
    EXPECT_FALSE(reg.exists(Hive::CurrentUser, kTyped));
    EXPECT_FALSE(reg.exists(Hive::CurrentUser, "Software\\Microsoft\\Internet Explorer"));
}

TEST_F(RegistryFixture, ResetOfAnEmptyKeyKeepsIt) {
    reg.ensure(Hive::CurrentUser, kTyped);
    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kCleaned);
    EXPECT_TRUE(reg.exists(Hive::CurrentUser, kTyped));
}

TEST_F(RegistryFixture, ResetGoesOnPastASubkeyThatRefusesDeletionAndSaysItCouldNot) {
    reg.ensure(Hive::CurrentUser, kTyped + "\\a");
    reg.ensure(Hive::CurrentUser, kTyped + "\\guarded\\inner");
    reg.ensure(Hive::CurrentUser, kTyped + "\\z");
    reg.denyDelete.insert(kTyped + "\\guarded");
    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kImpossible);
    EXPECT_EQ(reg.subkeyNames(Hive::CurrentUser, kTyped), std::vector<std::string>{"guarded"});
    EXPECT_TRUE(reg.subkeyNames(Hive::CurrentUser, kTyped + "\\guarded").empty());
}

TEST_F(RegistryFixture, ResetRaisesWhenTheKeyCannotBeCreatedAgain) {
    reg.ensure(Hive::CurrentUser, kTyped + "\\sub");
    reg.denyCreate.insert(kTyped);
    try {
        engine::ResetRegKey(platform, kTyped);
        FAIL() << "no error";
    } catch (const engine::CleanerError& e) {
        EXPECT_STREQ(e.what(), ("Failed to create key " + kTyped).c_str());
    }
    // A key that refuses full access cannot be deleted nor opened again: same error.
    reg.denyCreate.clear();
    reg.ensure(Hive::CurrentUser, kTyped);
    reg.denyFullAccess.insert(kTyped);
    EXPECT_THROW(engine::ResetRegKey(platform, kTyped), engine::CleanerError);
}

TEST_F(RegistryFixture, ResetSurvivesFailingQueriesAndReads) {
    reg.ensure(Hive::CurrentUser, kTyped + "\\a");
    reg.failEnum.insert(kTyped);
    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kImpossible);
    EXPECT_TRUE(reg.exists(Hive::CurrentUser, kTyped + "\\a")); // could not be named, so it stays
    reg.failEnum.clear();
    reg.failQueryInfo.insert(kTyped);
    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kImpossible);
    reg.failQueryInfo.clear();
    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kCleaned);
}

TEST_F(RegistryFixture, APathThatNamesNoKeyLeavesTheHivesAlone) {
    reg.setValue(Hive::CurrentUser, kTyped, "url1", {memory::kRegSz, "http://a"});
    reg.setValue(Hive::CurrentUser, "Environment", "TEMP", {memory::kRegSz, "keep"});
    reg.ensure(Hive::LocalMachine, "Software\\Keep");
    // The system would open the hive itself for an empty path.
    EXPECT_EQ(engine::ResetRegKey(platform, ""), engine::kNotPresent);
    EXPECT_EQ(engine::ResetRegKey(platform, "\\"), engine::kNotPresent);
    EXPECT_EQ(engine::DeleteRegValue(platform, "", "url1"), engine::kNotPresent);
    engine::WriteRegString(platform, "", "Start Page", "x");
    engine::DeleteKeyWithSubkeys(platform, Hive::CurrentUser, "");
    engine::DeleteKeyWithSubkeys(platform, Hive::LocalMachine, "");
    EXPECT_EQ(reg.value(Hive::CurrentUser, kTyped, "url1")->data, "http://a");
    EXPECT_EQ(reg.value(Hive::CurrentUser, "Environment", "TEMP")->data, "keep");
    EXPECT_TRUE(reg.exists(Hive::LocalMachine, "Software\\Keep"));
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, ""), 0u);
}

TEST_F(RegistryFixture, TheMemoryRegistryRefusesThePathsTheSystemRefuses) {
    reg.setValue(Hive::CurrentUser, kTyped, "url1", {memory::kRegSz, "http://a"});
    const std::vector<std::string> refused = {"\\" + kTyped, "Software\\\\Microsoft\\Internet Explorer\\TypedURLs",
                                              "\\Software", "\\"};
    for (const std::string& bad : refused) {
        EXPECT_FALSE(platform.openKey(Hive::CurrentUser, bad, kKeyAllAccess)) << bad;
        EXPECT_FALSE(platform.createKey(Hive::CurrentUser, bad)) << bad;
        EXPECT_FALSE(engine::DeleteKeyWithSubkeys(platform, Hive::CurrentUser, bad)) << bad;
        EXPECT_EQ(engine::ResetRegKey(platform, bad), engine::kNotPresent) << bad;
        EXPECT_THROW(reg.ensure(Hive::CurrentUser, bad), std::invalid_argument) << bad;
    }
    EXPECT_EQ(reg.value(Hive::CurrentUser, kTyped, "url1")->data, "http://a");
    // Trailing separators are taken, as the system takes them.
    EXPECT_TRUE(platform.openKey(Hive::CurrentUser, kTyped + "\\", kKeyAllAccess));
    EXPECT_EQ(engine::ResetRegKey(platform, kTyped + "\\"), engine::kCleaned);
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, kTyped), 0u);
}

TEST_F(RegistryFixture, DeleteValueRemovesOnlyTheNamedValue) {
    const std::string word = "Software\\Microsoft\\Office\\10.0\\Word\\Data";
    reg.setValue(Hive::CurrentUser, word, "Settings", {memory::kRegSz, "mru"});
    reg.setValue(Hive::CurrentUser, word, "Other", {memory::kRegSz, "keep"});
    reg.ensure(Hive::CurrentUser, word + "\\Child");
    EXPECT_EQ(engine::DeleteRegValue(platform, word, "Settings"), engine::kCleaned);
    EXPECT_FALSE(reg.value(Hive::CurrentUser, word, "Settings"));
    EXPECT_EQ(reg.value(Hive::CurrentUser, word, "Other")->data, "keep");
    EXPECT_TRUE(reg.exists(Hive::CurrentUser, word + "\\Child"));
    // An absent value is gone all the same; one the key will not let go of is not.
    EXPECT_EQ(engine::DeleteRegValue(platform, word, "Settings"), engine::kCleaned);
    reg.denyFullAccess.insert(word);
    EXPECT_EQ(engine::DeleteRegValue(platform, word, "Other"), engine::kImpossible);
    EXPECT_TRUE(reg.value(Hive::CurrentUser, word, "Other"));
    EXPECT_EQ(engine::DeleteRegValue(platform, word + "\\Missing", "Settings"), engine::kNotPresent);
    EXPECT_FALSE(reg.exists(Hive::CurrentUser, word + "\\Missing"));
}

TEST_F(RegistryFixture, WriteStringReplacesAnyTypeAndNeverCreatesTheKey) {
    const std::string main = "Software\\Microsoft\\Internet Explorer\\Main";
    engine::WriteRegString(platform, main, "Start Page", "http://x/tool/?id=3");
    EXPECT_FALSE(reg.exists(Hive::CurrentUser, main));

    reg.setValue(Hive::CurrentUser, main, "Start Page", {memory::kRegDword, std::string("\x2a\0\0\0", 4)});
    engine::WriteRegString(platform, main, "Start Page", "http://x/tool/?url=a b&c");
    auto v = reg.value(Hive::CurrentUser, main, "Start Page");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, memory::kRegSz);
    EXPECT_EQ(v->data, "http://x/tool/?url=a b&c");
}

TEST_F(RegistryFixture, WriteStringRaisesWhenTheWriteIsRefused) {
    const std::string main = "Software\\Microsoft\\Internet Explorer\\Main";
    reg.ensure(Hive::CurrentUser, main);
    reg.denyWrite.insert(main);
    try {
        engine::WriteRegString(platform, main, "Start Page", "x");
        FAIL() << "no error";
    } catch (const engine::CleanerError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Start Page'");
    }
    reg.denyWrite.clear();
    reg.denyFullAccess.insert(main);
    EXPECT_THROW(engine::WriteRegString(platform, main, "Start Page", "x"), engine::CleanerError);
}

TEST_F(RegistryFixture, TheExistenceTestAsksForReadRightsOnly) {
    reg.ensure(Hive::CurrentUser, kTyped);
    reg.denyFullAccess.insert(kTyped);
    // Read access works, so the key is found to exist; the full-access steps then fail.
    EXPECT_EQ(engine::DeleteRegValue(platform, kTyped, "x"), engine::kCleaned);
}

namespace {

// Another program's key, with values and subkeys, that no cleaning may touch.
void plantCanary(memory::MemoryRegistry& reg, Hive hive, const std::string& path) {
    reg.setValue(hive, path, "Settings", {memory::kRegSz, "keep"});
    reg.setValue(hive, path + "\\Inner\\Deeper", "v", {memory::kRegSz, "keep"});
}

void expectCanaryWhole(const memory::MemoryRegistry& reg, Hive hive, const std::string& path) {
    const auto top = reg.value(hive, path, "Settings");
    const auto deep = reg.value(hive, path + "\\Inner\\Deeper", "v");
    EXPECT_TRUE(top && top->data == "keep") << path;
    EXPECT_TRUE(deep && deep->data == "keep") << path;
}

} // namespace

TEST_F(RegistryFixture, LinksInsideATargetGoAsLinksAndWhatTheyLeadToStays) {
    plantCanary(reg, Hive::CurrentUser, "Software\\Other");
    plantCanary(reg, Hive::LocalMachine, "Software\\Machine");
    reg.setValue(Hive::CurrentUser, kTyped, "url1", {memory::kRegSz, "http://a"});
    reg.link(Hive::CurrentUser, kTyped + "\\x", Hive::CurrentUser, "Software\\Other");
    reg.link(Hive::CurrentUser, kTyped + "\\a\\b\\deep", Hive::LocalMachine, "Software\\Machine");
    reg.link(Hive::CurrentUser, kTyped + "\\loop", Hive::CurrentUser, kTyped);

    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kCleaned);
    EXPECT_TRUE(reg.subkeyNames(Hive::CurrentUser, kTyped).empty());
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, kTyped), 0u);
    expectCanaryWhole(reg, Hive::CurrentUser, "Software\\Other");
    expectCanaryWhole(reg, Hive::LocalMachine, "Software\\Machine");

    // The machine hive's deletion takes the same walk.
    const std::string machineTarget = "Software\\Target";
    reg.link(Hive::LocalMachine, machineTarget + "\\x", Hive::LocalMachine, "Software\\Machine");
    EXPECT_TRUE(engine::DeleteKeyWithSubkeys(platform, Hive::LocalMachine, machineTarget));
    EXPECT_FALSE(reg.exists(Hive::LocalMachine, machineTarget));
    expectCanaryWhole(reg, Hive::LocalMachine, "Software\\Machine");
}

TEST_F(RegistryFixture, ATargetThatIsALinkIsReplacedByAPlainEmptyKey) {
    const std::string recent = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
    plantCanary(reg, Hive::LocalMachine, "Software\\Machine");
    reg.link(Hive::CurrentUser, recent, Hive::LocalMachine, "Software\\Machine");

    EXPECT_EQ(engine::ResetRegKey(platform, recent), engine::kCleaned);
    const auto* key = reg.find(Hive::CurrentUser, recent);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->link);
    EXPECT_TRUE(key->subkeys.empty());
    expectCanaryWhole(reg, Hive::LocalMachine, "Software\\Machine");

    // A value is never deleted through a link: the trace stays where the link leads, and
    // the status says so.
    const std::string word = "Software\\Microsoft\\Office\\10.0\\Word\\Data";
    reg.link(Hive::CurrentUser, word, Hive::CurrentUser, "Software\\Other");
    plantCanary(reg, Hive::CurrentUser, "Software\\Other");
    EXPECT_EQ(engine::DeleteRegValue(platform, word, "Settings"), engine::kImpossible);
    expectCanaryWhole(reg, Hive::CurrentUser, "Software\\Other");
    EXPECT_TRUE(reg.find(Hive::CurrentUser, word)->link);
}

TEST_F(RegistryFixture, ALinkThatWillNotGoIsNeitherFollowedNorCalledClean) {
    plantCanary(reg, Hive::CurrentUser, "Software\\Other");
    reg.link(Hive::CurrentUser, kTyped + "\\x", Hive::CurrentUser, "Software\\Other");
    reg.denyDelete.insert(kTyped + "\\x");
    EXPECT_EQ(engine::ResetRegKey(platform, kTyped), engine::kImpossible);
    EXPECT_TRUE(reg.find(Hive::CurrentUser, kTyped + "\\x")->link);
    expectCanaryWhole(reg, Hive::CurrentUser, "Software\\Other");

    // The target itself a link that will not go: nothing is created where it leads.
    const std::string runMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
    reg.link(Hive::CurrentUser, runMru, Hive::CurrentUser, "Software\\Nowhere");
    reg.denyDelete.insert(runMru);
    EXPECT_EQ(engine::ResetRegKey(platform, runMru), engine::kImpossible);
    EXPECT_FALSE(reg.exists(Hive::CurrentUser, "Software\\Nowhere"));
}
