#include "ui/Unit4.h"

#include "ui/Program.h"
#include "ui/Unit1.h"

namespace tv::ui {

using namespace toolkit;

Handlers TForm4::handlers(TForm4* self) {
    return {
        {"CheckBox1Click", [self] { self->CheckBox1Click(); }},
        {"CheckBox8Click", [self] { self->CheckBox8Click(); }},
        {"CheckBox9Click", [self] { self->CheckBox9Click(); }},
        {"CheckBox5Click", [self] { self->CheckBox5Click(); }},
        {"CheckBox12Click", [self] { self->CheckBox12Click(); }},
        {"CheckBox28Click", [self] { self->CheckBox28Click(); }},
        {"Panel3Click", [self] { self->Panel3Click(); }},
    };
}

TForm4::TForm4(Application& app)
    : OptionsDialog(app, "TForm4", handlers(this), engine::WindowsGroup),
      Panel7(control<Panel>("Panel7")),
      Image7(control<Image>("Image7")),
      CheckBox1(control<CheckBox>("CheckBox1")),
      CheckBox8(control<CheckBox>("CheckBox8")),
      CheckBox9(control<CheckBox>("CheckBox9")),
      CheckBox5(control<CheckBox>("CheckBox5")),
      CheckBox12(control<CheckBox>("CheckBox12")),
      CheckBox28(control<CheckBox>("CheckBox28")),
      Panel3(control<Panel>("Panel3")) {
    bindTaskBoxes({{"CheckBox1", engine::tkRecentDocs},
                   {"CheckBox5", engine::tkTempFolder},
                   {"CheckBox8", engine::tkRunMru},
                   {"CheckBox9", engine::tkMediaPlayer},
                   {"CheckBox12", engine::tkOffice},
                   {"CheckBox28", engine::tkRecycleBin}});
}

CheckBox& TForm4::master() const { return Form1->CheckBox27; }

} // namespace tv::ui
