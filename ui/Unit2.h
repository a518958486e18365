#pragma once
// "Page de démarrage": makes one of three portals, through the portal redirect server, or
// an address of the user's own, the browser's start page.

#include <string>

#include "platform/PlatformServices.h"
#include "platform/toolkit/Controls.h"
#include "ui/LayoutWindow.h"

namespace tv::ui {

inline constexpr const char* kBrowserMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr const char* kStartPageValue = "Start Page";

class TForm2 : public LayoutWindow {
public:
    TForm2(toolkit::Application& app, PlatformServices& platform);

    toolkit::Image& Image4;
    toolkit::Panel& Panel1;
    toolkit::Label& Label1;
    toolkit::Label& Label2;
    toolkit::RadioButton& RadioButton4;
    toolkit::Image& Image1;
    toolkit::RadioButton& RadioButton1;
    toolkit::Image& Image3;
    toolkit::RadioButton& RadioButton2;
    toolkit::Image& Image2;
    toolkit::Panel& Panel2;
    toolkit::Label& Label3;
    toolkit::RadioButton& RadioButton3;
    toolkit::Edit& Edit1;
    toolkit::Panel& Panel3;

    void FormCreate() {}
    void FormClose();
    void Panel3Click();
    void Edit1Enter();
    void Image1Click();
    void Image3Click();
    void Image2Click();

private:
    static toolkit::Handlers handlers(TForm2* self);
    // The address the current choice makes the start page.
    std::string startPageAddress() const;
    void openHomePage(const std::string& address);
    void backToMainWindow();

    PlatformServices& platform_;
};

} // namespace tv::ui
