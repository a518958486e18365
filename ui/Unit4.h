#pragma once
// "Options Windows": the desktop group's tasks one by one.

#include "ui/OptionsDialog.h"

namespace tv::ui {

class TForm4 : public OptionsDialog {
public:
    explicit TForm4(toolkit::Application& app);

    toolkit::Panel& Panel7;
    toolkit::Image& Image7;
    toolkit::CheckBox& CheckBox1;
    toolkit::CheckBox& CheckBox8;
    toolkit::CheckBox& CheckBox9;
    toolkit::CheckBox& CheckBox5;
    toolkit::CheckBox& CheckBox12;
    toolkit::CheckBox& CheckBox28;
    toolkit::Panel& Panel3;

    void CheckBox1Click() { boxClicked(CheckBox1, engine::tkRecentDocs); }
    void CheckBox8Click() { boxClicked(CheckBox8, engine::tkRunMru); }
    void CheckBox9Click() { boxClicked(CheckBox9, engine::tkMediaPlayer); }
    void CheckBox5Click() { boxClicked(CheckBox5, engine::tkTempFolder); }
    void CheckBox12Click() { boxClicked(CheckBox12, engine::tkOffice); }
    void CheckBox28Click() { boxClicked(CheckBox28, engine::tkRecycleBin); }

protected:
    toolkit::CheckBox& master() const override;

private:
    static toolkit::Handlers handlers(TForm4* self);
};

} // namespace tv::ui
