#pragma once
// The native window of a form: a window class of its own, owned by the application
// window, with the frame and title-bar buttons the layout gives, the exact client size,
// centred when shown, translucent when asked.

#include <windows.h>

#include "platform/toolkit/Form.h"
#include "platform/toolkit/win32/NativeControl.h"

namespace tv::toolkit::win32 {

class FormPeer : public NativeControl {
public:
    FormPeer(Form& form, Win32Backend& backend);
    Form& form() const { return static_cast<Form&>(control()); }
    // The show command of the next showing (the process's show state, for the main form).
    void setNextShowCommand(int command) { nextShowCommand_ = command; }
    // Back on screen after the program was restored from its taskbar button.
    void showAgain();
    void rescale() override;

protected:
    void applyBounds() override;
    void applyCaption() override;
    void applyVisible() override;
    bool paints() const override { return true; }
    void paint(HDC dc) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void centre();
    int nextShowCommand_ = SW_SHOW;
    bool shownBefore_ = false;
};

} // namespace tv::toolkit::win32
