#include "ui/Unit6.h"

#include "platform/toolkit/Application.h"
#include "ui/MakerAddresses.h"
#include "ui/QueryText.h"

namespace tv::ui {

using namespace toolkit;

namespace {
constexpr int kShowNormal = 1;
} // namespace

Handlers TForm6::handlers(TForm6* self) {
    return {
        {"Button1Click", [self] { self->Button1Click(); }},
    };
}

TForm6::TForm6(Application& app, PlatformServices& platform)
    : LayoutWindow(app, "TForm6", handlers(this)),
      Panel1(control<Panel>("Panel1")),
      Label1(control<Label>("Label1")),
      Edit1(control<Edit>("Edit1")),
      Label2(control<Label>("Label2")),
      Label3(control<Label>("Label3")),
      Edit2(control<Edit>("Edit2")),
      Panel2(control<Panel>("Panel2")),
      Label4(control<Label>("Label4")),
      memo1(control<Memo>("memo1")),
      Label5(control<Label>("Label5")),
      Panel3(control<Panel>("Panel3")),
      platform_(platform) {}

std::string TForm6::recommendationAddress() const {
    return recommendationServer() + "/soft/sendsoft.php?name=tarmelveilo&sendto=" +
           queryText(platform_, Edit2.text()) + "&replyto=" + queryText(platform_, Edit1.text()) +
           "&msg=" + queryText(platform_, memo1.text());
}

void TForm6::Button1Click() {
    // Blanks count as an address: the recommendation page judges the addresses itself.
    if (Edit2.text().empty()) {
        application().showMessage(kNoRecipient);
        return;
    }
    platform_.shellOpen(handle(), "Open", recommendationAddress(), "", "", kShowNormal);
    hide();
}

} // namespace tv::ui
