#include "ui/Unit3.h"

#include "ui/Program.h"
#include "ui/Unit1.h"

namespace tv::ui {

using namespace toolkit;

Handlers TForm3::handlers(TForm3* self) {
    return {
        {"CheckBox3Click", [self] { self->CheckBox3Click(); }},
        {"CheckBox2Click", [self] { self->CheckBox2Click(); }},
        {"CheckBox4Click", [self] { self->CheckBox4Click(); }},
        {"CheckBox6Click", [self] { self->CheckBox6Click(); }},
        {"CheckBox10Click", [self] { self->CheckBox10Click(); }},
        {"Panel3Click", [self] { self->Panel3Click(); }},
    };
}

TForm3::TForm3(Application& app)
    : OptionsDialog(app, "TForm3", handlers(this), engine::InternetGroup),
      Panel6(control<Panel>("Panel6")),
      Image6(control<Image>("Image6")),
      CheckBox3(control<CheckBox>("CheckBox3")),
      CheckBox2(control<CheckBox>("CheckBox2")),
      CheckBox4(control<CheckBox>("CheckBox4")),
      CheckBox6(control<CheckBox>("CheckBox6")),
      CheckBox10(control<CheckBox>("CheckBox10")),
      Label1(control<Label>("Label1")),
      Panel3(control<Panel>("Panel3")) {
    bindTaskBoxes({{"CheckBox2", engine::tkCookies},
                   {"CheckBox3", engine::tkInternetFiles},
                   {"CheckBox4", engine::tkHistory},
                   {"CheckBox6", engine::tkTypedUrls},
                   {"CheckBox10", engine::tkAutoComplete}});
}

CheckBox& TForm3::master() const { return Form1->CheckBox25; }

} // namespace tv::ui
