#include "ui/Unit7.h"

#include "ui/MakerAddresses.h"

namespace tv::ui {

using namespace toolkit;

TSplashForm::TSplashForm(Application& app)
    : LayoutWindow(app, "TSplashForm", {}),
      Image1(control<Image>("Image1")),
      Label3(control<Label>("Label3")),
      Label1(control<Label>("Label1")),
      Label4(control<Label>("Label4")) {
    Label4.setCaption(spacedLowerCase(makerHost()));
    Label4.setAccessibleName(lowerCase(makerHost())); // read out as a host, not letter by letter
}

} // namespace tv::ui
