// The desktop tasks on today's lists: Explorer's and current Office's, planted with their
// settings and neighbours, through a run of the whole program.

#include <string>
#include <vector>

#include "ui/RunSummary.h"
#include "ui/RunTexts.h"
#include "engine/TaskTargets.h"
#include "engine/browsers/InternetExplorerFamily.h"
#include "tests/host/ui_program_fixture.h"

using namespace tv;
using namespace tv::engine;
using namespace tv::engine::browsers;
using namespace tv::ui;
using tv::ui::Form1;

namespace {

const std::string kOfficeRefused =
    std::string(kIncompleteHeading) + "\rNettoyage impossible\u00A0: Derniers documents MSOffice";

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kWord = "Software\\Microsoft\\Office\\16.0\\Word";
const std::string kExcel = "Software\\Microsoft\\Office\\12.0\\Excel";
const std::string kIdentity = kWord + "\\User MRU\\ADAL_8D2F";

class DesktopLists : public uitest::StartedProgram {
protected:
    memory::MemoryRegistry& reg = platform.registry;

    void set(const std::string& key, const std::string& name) { reg.setValue(Hive::CurrentUser, key, name, {}); }
    bool has(const std::string& key, const std::string& name) { return reg.value(Hive::CurrentUser, key, name).has_value(); }
    bool exists(const std::string& key) { return reg.exists(Hive::CurrentUser, key); }
    size_t entries(const std::string& key) {
        return reg.valueCount(Hive::CurrentUser, key) + reg.subkeyNames(Hive::CurrentUser, key).size();
    }
    // A numbered list beside its setting.
    void plantItems(const std::string& key) {
        for (const char* name : {"Item 1", "Item 12", "Item Metadata 1", "Max Display"}) set(key, name);
    }
    bool onlySettingLeft(const std::string& key) {
        return exists(key) && reg.valueCount(Hive::CurrentUser, key) == 1 && has(key, "Max Display");
    }
    void runDesktopLists() {
        start();
        for (auto task : {tkRecentDocs, tkRunMru, tkOffice}) Form1->TaskFlags[task] = 1;
        app.dispatch([] { Form1->Image6.userClick(); });
    }
};

TEST_F(DesktopLists, EachListIsEmptiedItsKeyKeptAndNothingBesideItTouched) {
    for (const char* list : {"RecentDocs", "RecentDocs\\.docx", "ComDlg32\\OpenSavePidlMRU\\*", "ComDlg32\\CIDSizeMRU",
                             "ComDlg32\\LastVisitedPidlMRU", "TypedPaths", "WordWheelQuery"})
        set(kExplorer + "\\" + list, "0");
    set(kExplorer + "\\ComDlg32", "canary");
    set(kExplorer + "\\Advanced", "canary");
    for (const std::string& list : {kWord + "\\File MRU", kWord + "\\Place MRU", kIdentity + "\\File MRU",
                                    kIdentity + "\\Place MRU", kExcel + "\\File MRU"})
        plantItems(list);
    set(kWord + "\\File MRU", "Item 1 old"); // a name that only begins like an item
    set(kWord + "\\Reading Locations\\Document 0", "File Path");
    set(kWord + "\\Options", "canary");
    set(kIdentity, "canary");
    plantItems("Software\\Microsoft\\Office\\17.0\\Word\\File MRU"); // a version not named
    runDesktopLists();

    for (const char* list : {"RecentDocs", "ComDlg32\\OpenSavePidlMRU", "ComDlg32\\CIDSizeMRU",
                             "ComDlg32\\LastVisitedPidlMRU", "TypedPaths", "WordWheelQuery"}) {
        EXPECT_TRUE(exists(kExplorer + "\\" + list)) << list;
        EXPECT_EQ(entries(kExplorer + "\\" + list), 0u) << list;
    }
    for (const std::string& list : {kWord + "\\Place MRU", kIdentity + "\\File MRU", kIdentity + "\\Place MRU",
                                    kExcel + "\\File MRU"})
        EXPECT_TRUE(onlySettingLeft(list)) << list;
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, kWord + "\\File MRU"), 2u);
    EXPECT_TRUE(has(kWord + "\\File MRU", "Item 1 old"));
    EXPECT_TRUE(exists(kWord + "\\Reading Locations"));
    EXPECT_EQ(entries(kWord + "\\Reading Locations"), 0u);
    EXPECT_TRUE(has(kExplorer + "\\ComDlg32", "canary"));
    EXPECT_TRUE(has(kExplorer + "\\Advanced", "canary"));
    EXPECT_TRUE(has(kWord + "\\Options", "canary"));
    EXPECT_TRUE(has(kIdentity, "canary"));
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, "Software\\Microsoft\\Office\\17.0\\Word\\File MRU"), 4u);
    // Absent lists stay absent.
    for (const std::string& absent : {kExplorer + "\\ComDlg32\\OpenSaveMRU", kExplorer + "\\ComDlg32\\LastVisitedMRU",
                                      kExcel + "\\Place MRU", kExcel + "\\Reading Locations",
                                      std::string("Software\\Microsoft\\Office\\15.0")})
        EXPECT_FALSE(exists(absent)) << absent;
    EXPECT_EQ(Form1->Label10.caption(), kCongratulation);
}

TEST_F(DesktopLists, ALinkGoesAsALinkAndAListThatStaysIsNamedAtTheEnd) {
    set("Software\\Elsewhere", "precious");
    reg.link(Hive::CurrentUser, kExplorer + "\\TypedPaths", Hive::CurrentUser, "Software\\Elsewhere");
    set(kExplorer + "\\WordWheelQuery", "0");
    // One list that refuses writing, one that refuses even reading: neither is called clean
    // nor absent.
    plantItems(kExcel + "\\File MRU");
    reg.denyFullAccess.insert(kExcel + "\\File MRU");
    plantItems(kWord + "\\Place MRU");
    reg.denyRead.insert(kWord + "\\Place MRU");
    runDesktopLists();

    EXPECT_TRUE(exists(kExplorer + "\\TypedPaths"));
    EXPECT_EQ(reg.find(Hive::CurrentUser, kExplorer + "\\TypedPaths")->link, std::nullopt);
    EXPECT_TRUE(has("Software\\Elsewhere", "precious"));
    EXPECT_EQ(entries(kExplorer + "\\WordWheelQuery"), 0u);
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, kExcel + "\\File MRU"), 4u);
    EXPECT_EQ(Form1->Label10.caption(), kOfficeRefused);

    // Each refusal alone makes the task end on it.
    reg.denyFullAccess.clear();
    app.dispatch([] { Form1->Image6.userClick(); });
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, kExcel + "\\File MRU"), 1u);
    EXPECT_EQ(Form1->Label10.caption(), kOfficeRefused);
    reg.denyRead.clear();
    app.dispatch([] { Form1->Image6.userClick(); });
    EXPECT_TRUE(onlySettingLeft(kWord + "\\Place MRU"));
    EXPECT_EQ(Form1->Label10.caption(), kCongratulation);
}

TEST_F(DesktopLists, AnOfficeKeyThatIsALinkIsNotEnteredAndTheTaskSaysSo) {
    plantItems("Software\\Elsewhere\\Word\\File MRU");
    reg.link(Hive::CurrentUser, "Software\\Microsoft\\Office\\14.0", Hive::CurrentUser, "Software\\Elsewhere");
    runDesktopLists();
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, "Software\\Elsewhere\\Word\\File MRU"), 4u);
    EXPECT_EQ(Form1->Label10.caption(), kOfficeRefused);
}

TEST_F(DesktopLists, ClosedDuringTheRecentFolderPurgeNoListIsTouched) {
    platform.files.addFile(platform.specialFolders[kCsidlRecent] + "\\a.lnk");
    set(kExplorer + "\\RecentDocs", "0");
    int pumpsUnderTheStage = 0; // the stage's own pump, then the walk's
    backend.onPump = [&] {
        if (Form1->Label10.caption() == kStageTexts[tkRecentDocs] && ++pumpsUnderTheStage == 2) Form1->requestClose();
    };
    runDesktopLists();
    EXPECT_TRUE(app.terminated());
    EXPECT_TRUE(has(kExplorer + "\\RecentDocs", "0"));
}

TEST_F(DesktopLists, OfficeItemsThatArePinnedStayWithTheirMetadataAndTheRestGoes) {
    const std::string list = kIdentity + "\\File MRU";
    auto item = [&](const std::string& name, const std::string& data) {
        reg.setValue(Hive::CurrentUser, list, name, {memory::kRegSz, data});
    };
    item("Item 1", "[F00000001][T01D9A1B2C3D4E5F6][O00000000]*C:\\Users\\user\\Budget.xlsx");
    item("Item Metadata 1", "<Metadata><Entry Key=\"Pinned\"/></Metadata>");
    item("Item 2", "[F00000000][T01D9A1B2C3D4E5F7][O00000000]*C:\\Users\\user\\Secret.docx");
    item("Item Metadata 2", "<Metadata/>");
    item("Item 3", "[F00000021][T01D9A1B2C3D4E5F8][O00000000]*C:\\Users\\user\\Plan.docx"); // the pin among other flags
    item("Item 4", "[F00000020][T01D9A1B2C3D4E5F9][O00000000]*C:\\Users\\user\\Draft.docx");
    item("Item 5", "*C:\\Users\\user\\Old.doc"); // no flags: nothing says it is pinned
    item("Item Metadata 6", "<Metadata/>");          // an item's metadata without its item
    item("Max Display", "25");
    runDesktopLists();

    for (const char* kept : {"Item 1", "Item Metadata 1", "Item 3", "Max Display"}) EXPECT_TRUE(has(list, kept)) << kept;
    EXPECT_EQ(reg.valueCount(Hive::CurrentUser, list), 4u);
    EXPECT_EQ(Form1->Label10.caption(), kCongratulation);
}

} // namespace
