#include <optional>
#include <string>

#include "tests/host/ui_program_fixture.h"
#include "tests/host/web_query.h"
#include "ui/MakerAddresses.h"

using namespace tv;
using namespace tv::ui;
using tv::memory::kRegSz;
using tv::toolkit::MessageIcon;

namespace {

class StartPage : public uitest::StartedProgram {
protected:
    void SetUp() override {
        StartedProgram::SetUp();
        platform.registry.ensure(Hive::CurrentUser, kBrowserMainKey);
        platform.registry.setValue(Hive::CurrentUser, kBrowserMainKey, "Search Page", {kRegSz, "kept"});
        start();
        showDialog();
    }
    // As the run shows it: the main window stays behind, Form2 in front.
    void showDialog() {
        Form2->showForm();
        Form1->hide(); // so that the dialog's leaving can be seen to bring it back
    }
    std::optional<std::string> startPage() const {
        auto value = platform.registry.value(Hive::CurrentUser, kBrowserMainKey, kStartPageValue);
        if (!value) return std::nullopt;
        EXPECT_EQ(value->type, kRegSz);
        return value->data;
    }
    std::string toolAddress(const std::string& query) const { return portalServer() + "/tool/?" + query; }
    void expectBackToTheMainWindow() {
        EXPECT_FALSE(Form2->visible());
        EXPECT_TRUE(Form1->visible());
        EXPECT_TRUE(backend.boxes.empty());
        EXPECT_EQ(platform.registry.value(Hive::CurrentUser, kBrowserMainKey, "Search Page")->data, "kept");
        EXPECT_EQ(platform.registry.openHandles(), 0u);
    }
};

} // namespace

TEST_F(StartPage, OkWithoutTouchingAnythingWritesTheFirstPortalAndGoesBackToTheMainWindow) {
    Form2->Panel3.userClick();
    EXPECT_EQ(startPage(), toolAddress("id=3"));
    expectBackToTheMainWindow();
}

TEST_F(StartPage, EachPortalButtonWritesItsNumber) {
    for (auto [button, query] : {std::pair{&Form2->RadioButton2, "id=1"}, std::pair{&Form2->RadioButton1, "id=2"},
                                 std::pair{&Form2->RadioButton4, "id=3"}}) {
        showDialog();
        button->userClick();
        Form2->Panel3.userClick();
        EXPECT_EQ(startPage(), toolAddress(query)) << button->name();
        expectBackToTheMainWindow();
    }
}

TEST_F(StartPage, FocusInTheFieldChoosesTheTypedAddressWhateverItHolds) {
    Form2->Edit1.focusEntered();
    EXPECT_TRUE(Form2->RadioButton3.checked());
    EXPECT_FALSE(Form2->RadioButton4.checked());
    Form2->Panel3.userClick();
    EXPECT_EQ(startPage(), toolAddress("url=http%3A%2F%2F")); // the field as created
    expectBackToTheMainWindow();

    showDialog();
    Form2->Edit1.setText("");
    Form2->Panel3.userClick();
    EXPECT_EQ(startPage(), toolAddress("url="));

    // Reserved characters and blanks arrive as typed, in the code page's bytes.
    showDialog();
    const std::string typed = " http://ex.example/a b?q=1&r=\"é\"#top ";
    Form2->Edit1.setText(typed);
    Form2->Panel3.userClick();
    const std::string written = startPage().value_or("");
    EXPECT_EQ(written, toolAddress("url=%20http%3A%2F%2Fex.example%2Fa%20b%3Fq%3D1%26r%3D%22%E9%22%23top%20"));
    const auto parameters = uitest::queryParameters(written);
    EXPECT_EQ(parameters.size(), 1u);
    EXPECT_EQ(parameters.at("url"), platform.toAnsiCodePage(typed));
}

TEST_F(StartPage, APortalChosenAfterTypingWinsAndTheTextStaysForTheNextShowing) {
    Form2->Edit1.focusEntered();
    Form2->Edit1.setText("http://mon.example");
    Form2->RadioButton1.userClick();
    Form2->Panel3.userClick();
    EXPECT_EQ(startPage(), toolAddress("id=2"));
    showDialog();
    EXPECT_EQ(Form2->Edit1.text(), "http://mon.example");
    EXPECT_TRUE(Form2->RadioButton1.checked());
    EXPECT_FALSE(Form2->RadioButton3.checked());
}

TEST_F(StartPage, TheCloseButtonWritesNothingAndBringsTheMainWindowBack) {
    Form2->RadioButton2.userClick();
    Form2->requestClose();
    EXPECT_EQ(startPage(), std::nullopt);
    EXPECT_FALSE(app.terminated());
    expectBackToTheMainWindow();
}

TEST_F(StartPage, WithoutTheBrowserKeyOkWritesNothingSaysNothingAndCreatesNoKey) {
    platform.registry.remove(Hive::CurrentUser, kBrowserMainKey);
    Form2->Panel3.userClick();
    EXPECT_FALSE(platform.registry.exists(Hive::CurrentUser, kBrowserMainKey));
    EXPECT_FALSE(Form2->visible());
    EXPECT_TRUE(Form1->visible());
    EXPECT_TRUE(backend.boxes.empty());
}

TEST_F(StartPage, ARefusedWriteShowsTheErrorBoxAndTheDialogStaysOpen) {
    platform.registry.denyWrite.insert(kBrowserMainKey);
    app.dispatch([&] { Form2->Panel3.userClick(); });
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, "Failed to set data for 'Start Page'.");
    EXPECT_EQ(backend.boxes[0].caption, "Tarmel Veilo");
    EXPECT_EQ(backend.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(startPage(), std::nullopt);
    EXPECT_TRUE(Form2->visible());
    EXPECT_FALSE(Form1->visible());
    EXPECT_EQ(platform.registry.openHandles(), 0u);
}

TEST_F(StartPage, PortalPicturesOpenTheirHomePagesAndChangeNothing) {
    Form2->Edit1.setText("http://mien.example");
    Form2->RadioButton2.userClick();
    Form2->Image1.userClick();
    Form2->Image3.userClick();
    Form2->Image2.userClick();
    ASSERT_EQ(platform.shellOpens.size(), 3u);
    const std::string homes[] = {portalHomeOmbrelune(), portalHomeYahoo(), portalHomeVoila()};
    for (int i = 0; i < 3; ++i) {
        const auto& call = platform.shellOpens[static_cast<std::size_t>(i)];
        EXPECT_EQ(call.file, homes[i]);
        EXPECT_EQ(call.verb, "Open");
        EXPECT_EQ(call.parameters, "");
        EXPECT_EQ(call.directory, "");
        EXPECT_EQ(call.showCommand, 1);
    }
    EXPECT_TRUE(Form2->RadioButton2.checked());
    EXPECT_EQ(Form2->Edit1.text(), "http://mien.example");
    EXPECT_EQ(startPage(), std::nullopt);
    EXPECT_TRUE(Form2->visible());
}
