#pragma once
// "Envoyez ce logiciel à vos amis": has the default browser open the maker's recommendation
// page with the friends' addresses, the user's own address and a message.

#include <string>

#include "platform/PlatformServices.h"
#include "platform/toolkit/Controls.h"
#include "ui/LayoutWindow.h"

namespace tv::ui {

inline constexpr const char* kNoRecipient = "Merci d'indiquer une adresse destinataire";

class TForm6 : public LayoutWindow {
public:
    TForm6(toolkit::Application& app, PlatformServices& platform);

    toolkit::Panel& Panel1;
    toolkit::Label& Label1;
    toolkit::Edit& Edit1;
    toolkit::Label& Label2;
    toolkit::Label& Label3;
    toolkit::Edit& Edit2;
    toolkit::Panel& Panel2;
    toolkit::Label& Label4;
    toolkit::Memo& memo1;
    toolkit::Label& Label5;
    toolkit::Panel& Panel3;

    void Button1Click();

private:
    static toolkit::Handlers handlers(TForm6* self);
    // The recommendation request for the texts the fields hold now.
    std::string recommendationAddress() const;

    PlatformServices& platform_;
};

} // namespace tv::ui
