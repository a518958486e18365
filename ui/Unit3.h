#pragma once
// "Options Internet": the browser group's tasks one by one.

#include "ui/OptionsDialog.h"

namespace tv::ui {

class TForm3 : public OptionsDialog {
public:
    explicit TForm3(toolkit::Application& app);

    toolkit::Panel& Panel6;
    toolkit::Image& Image6;
    toolkit::CheckBox& CheckBox3;
    toolkit::CheckBox& CheckBox2;
    toolkit::CheckBox& CheckBox4;
    toolkit::CheckBox& CheckBox6;
    toolkit::CheckBox& CheckBox10;
    toolkit::Label& Label1;
    toolkit::Panel& Panel3;

    void CheckBox3Click() { boxClicked(CheckBox3, engine::tkInternetFiles); }
    void CheckBox2Click() { boxClicked(CheckBox2, engine::tkCookies); }
    void CheckBox4Click() { boxClicked(CheckBox4, engine::tkHistory); }
    void CheckBox6Click() { boxClicked(CheckBox6, engine::tkTypedUrls); }
    void CheckBox10Click() { boxClicked(CheckBox10, engine::tkAutoComplete); }

protected:
    toolkit::CheckBox& master() const override;

private:
    static toolkit::Handlers handlers(TForm3* self);
};

} // namespace tv::ui
