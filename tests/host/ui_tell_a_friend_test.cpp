#include <string>

#include "tests/host/ui_program_fixture.h"
#include "tests/host/web_query.h"
#include "ui/MakerAddresses.h"

using namespace tv;
using namespace tv::ui;
using tv::toolkit::MessageButtons;
using tv::toolkit::MessageIcon;

namespace {

class TellAFriend : public uitest::StartedProgram {
protected:
    void SetUp() override {
        StartedProgram::SetUp();
        start();
        Form1->Image9.userClick();
    }
    void fill(const std::string& own, const std::string& friends, const std::string& message) {
        Form6->Edit1.setText(own);
        Form6->Edit2.setText(friends);
        Form6->memo1.setText(message);
    }
    std::string sent() const { return platform.shellOpens.empty() ? "" : platform.shellOpens.back().file; }
    const std::string prefix = recommendationServer() + "/soft/sendsoft.php?name=tarmelveilo&sendto=";
};

} // namespace

TEST_F(TellAFriend, TheEnvelopeShowsOneDialogAndASecondClickOnlyBringsItForward) {
    EXPECT_TRUE(Form6->visible());
    EXPECT_TRUE(Form6->Edit1.text().empty() && Form6->Edit2.text().empty() && Form6->memo1.text().empty());
    Form1->Image9.userClick();
    EXPECT_TRUE(Form6->visible());
    EXPECT_EQ(app.forms().size(), 5u);
}

TEST_F(TellAFriend, AnEmptyFriendsFieldIsRefusedWhateverTheOthersHold) {
    fill("moi@ici.example", "", "Bonjour");
    Form6->Panel3.userClick();
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, "Merci d'indiquer une adresse destinataire");
    EXPECT_EQ(backend.boxes[0].caption, "Tarmel Veilo");
    EXPECT_EQ(backend.boxes[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(backend.boxes[0].icon, MessageIcon::None);
    EXPECT_TRUE(platform.shellOpens.empty());
    EXPECT_TRUE(Form6->visible());
    EXPECT_EQ(Form6->Edit1.text(), "moi@ici.example");
    EXPECT_EQ(Form6->memo1.text(), "Bonjour");
}

TEST_F(TellAFriend, BlanksCountAsAnAddressAndEmptyFieldsEndTheRequest) {
    fill("", "  ", "");
    Form6->Panel3.userClick();
    EXPECT_EQ(sent(), prefix + "%20%20&replyto=&msg=");
    EXPECT_FALSE(Form6->visible());
    EXPECT_TRUE(backend.boxes.empty());
    const auto& call = platform.shellOpens.back();
    EXPECT_EQ(call.verb, "Open");
    EXPECT_EQ(call.parameters, "");
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.showCommand, 1);
}

TEST_F(TellAFriend, EveryFieldReachesThePageAsTypedAndStaysForTheNextShowing) {
    const std::string own = "moi&co=1@ici.example";
    const std::string friends = "ami@a.example, autre@b.example,x@c.example";
    const std::string message = "Salut,\r\nessaie ça & dis-moi = ?\r\n\"fin\" #1 100%";
    fill(own, friends, message);
    Form6->Panel3.userClick();
    ASSERT_EQ(platform.shellOpens.size(), 1u);
    const std::string address = sent();
    EXPECT_EQ(address.rfind(prefix, 0), 0u);
    EXPECT_EQ(address.find_first_of(" \"\r\n#"), std::string::npos) << address;
    const auto parameters = uitest::queryParameters(address);
    EXPECT_EQ(parameters.size(), 4u);
    EXPECT_EQ(parameters.at("name"), "tarmelveilo");
    EXPECT_EQ(parameters.at("sendto"), friends);
    EXPECT_EQ(parameters.at("replyto"), own);
    EXPECT_EQ(parameters.at("msg"), platform.toAnsiCodePage(message));
    EXPECT_FALSE(Form6->visible());

    Form1->Image9.userClick();
    EXPECT_EQ(Form6->Edit1.text(), own);
    EXPECT_EQ(Form6->Edit2.text(), friends);
    EXPECT_EQ(Form6->memo1.text(), message);
    Form6->requestClose();
    EXPECT_FALSE(Form6->visible());
    EXPECT_FALSE(app.terminated());
    EXPECT_EQ(platform.shellOpens.size(), 1u);
    EXPECT_EQ(Form6->Edit2.text(), friends);
}
