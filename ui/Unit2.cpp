#include "ui/Unit2.h"

#include "engine/RegistryOps.h"
#include "ui/MakerAddresses.h"
#include "ui/Program.h"
#include "ui/QueryText.h"
#include "ui/Unit1.h"

namespace tv::ui {

using namespace toolkit;

namespace {
constexpr int kShowNormal = 1;
} // namespace

Handlers TForm2::handlers(TForm2* self) {
    return {
        {"FormCreate", [self] { self->FormCreate(); }},
        {"FormClose", [self] { self->FormClose(); }},
        {"Panel3Click", [self] { self->Panel3Click(); }},
        {"Edit1Enter", [self] { self->Edit1Enter(); }},
        {"Image1Click", [self] { self->Image1Click(); }},
        {"Image3Click", [self] { self->Image3Click(); }},
        {"Image2Click", [self] { self->Image2Click(); }},
    };
}

TForm2::TForm2(Application& app, PlatformServices& platform)
    : LayoutWindow(app, "TForm2", handlers(this)),
      Image4(control<Image>("Image4")),
      Panel1(control<Panel>("Panel1")),
      Label1(control<Label>("Label1")),
      Label2(control<Label>("Label2")),
      RadioButton4(control<RadioButton>("RadioButton4")),
      Image1(control<Image>("Image1")),
      RadioButton1(control<RadioButton>("RadioButton1")),
      Image3(control<Image>("Image3")),
      RadioButton2(control<RadioButton>("RadioButton2")),
      Image2(control<Image>("Image2")),
      Panel2(control<Panel>("Panel2")),
      Label3(control<Label>("Label3")),
      RadioButton3(control<RadioButton>("RadioButton3")),
      Edit1(control<Edit>("Edit1")),
      Panel3(control<Panel>("Panel3")),
      platform_(platform) {}

std::string TForm2::startPageAddress() const {
    std::string query;
    if (RadioButton2.checked()) query = "id=1";
    else if (RadioButton1.checked()) query = "id=2";
    else if (RadioButton4.checked()) query = "id=3";
    else query = "url=" + queryText(platform_, Edit1.text());
    return portalServer() + "/tool/?" + query;
}

void TForm2::Panel3Click() {
    // A refused write raises and ends the handler here: the dialog stays open.
    engine::WriteRegString(platform_, kBrowserMainKey, kStartPageValue, startPageAddress());
    backToMainWindow();
}

void TForm2::FormClose() { backToMainWindow(); }

void TForm2::backToMainWindow() {
    hide();
    if (Form1) Form1->showForm();
}

void TForm2::Edit1Enter() { RadioButton3.setChecked(true); }

void TForm2::openHomePage(const std::string& address) {
    platform_.shellOpen(handle(), "Open", address, "", "", kShowNormal);
}

void TForm2::Image1Click() { openHomePage(portalHomeOmbrelune()); }
void TForm2::Image3Click() { openHomePage(portalHomeYahoo()); }
void TForm2::Image2Click() { openHomePage(portalHomeVoila()); }

} // namespace tv::ui
