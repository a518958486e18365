#pragma once
// The native half of a control: one window per control, kept in step with the model.
// Every window, standard or our own class, runs the same procedure in front of its class's,
// which hands the messages to the peer. User actions go through Application::dispatch, so that
// an exception a handler lets out shows the error box and the program goes on.

#include <windows.h>

#include <functional>

#include "platform/toolkit/Control.h"

namespace tv::toolkit::win32 {

class Win32Backend;

class NativeControl : public ControlPeer {
public:
    NativeControl(Control& control, Win32Backend& backend);
    ~NativeControl() override;
    NativeControl(const NativeControl&) = delete;
    NativeControl& operator=(const NativeControl&) = delete;

    WindowHandle handle() const override { return reinterpret_cast<WindowHandle>(hwnd_); }
    HWND hwnd() const { return hwnd_; }
    Control& control() const { return control_; }
    Win32Backend& backend() const { return backend_; }
    UINT dpi() const;

    void propertyChanged(Property property) override;
    void focus() override;
    // Geometry and font again, after the window moved to a monitor of another DPI.
    virtual void rescale();

    static NativeControl* from(HWND window);
    // The window of the control's parent (the application window for a form).
    HWND parentWindow() const;

    // A transparent child asks its parent to paint what lies under it, in the child's
    // coordinates: the parent's colour and the pictures beneath.
    void paintUnder(HDC dc, const NativeControl& child) const;

protected:
    // Creates the window and applies the whole model.
    void create(const wchar_t* windowClass, DWORD style, DWORD exStyle);
    virtual void applyBounds();
    virtual void applyCaption();
    virtual void applyFont();
    virtual void applyVisible();
    virtual void applyOther(Property) {}

    // Our own window classes paint themselves.
    virtual bool paints() const { return false; }
    virtual void paint(HDC) {}
    // Paints this control's own look into a parent-side background (pictures do).
    virtual void paintInto(HDC, POINT) const {}
    // A notification (WM_COMMAND) or a colour request (WM_CTLCOLOR...) from this window,
    // received by its parent.
    virtual void onCommand(WORD) {}
    virtual HBRUSH onControlColor(HDC dc);
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Runs a user event through the application (error box on an escaping exception).
    void dispatch(const std::function<void()>& action);
    // The class's own handling of a message, for a peer that acts after it.
    LRESULT callDefault(UINT message, WPARAM wParam, LPARAM lParam);
    // How far inside the window the focus cue of a self-drawn button is drawn.
    virtual int focusCueInset() const { return 1; }
    bool clicksOnMouseUp() const;
    RECT designRect() const;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paintFocusCue(HDC dc);
    // Gives the window back to its class's procedure; the peer has no window after it.
    void release(HWND window);

    Control& control_;
    Win32Backend& backend_;
    HWND hwnd_ = nullptr;
    WNDPROC previous_ = nullptr; // the procedure ours stands in front of
    bool pressed_ = false;
};

// Registers the window classes of the controls that draw themselves.
void registerControlClasses(HINSTANCE instance);
inline constexpr const wchar_t* kPanelClass = L"TvPanel";
inline constexpr const wchar_t* kLabelClass = L"TvLabel";
inline constexpr const wchar_t* kImageClass = L"TvImage";
inline constexpr const wchar_t* kGroupBoxClass = L"TvGroupBox";
// Posted by a screen reader's "default action": the click runs once the call has returned.
inline constexpr UINT kAccessibleClickMessage = WM_APP + 2;

} // namespace tv::toolkit::win32
