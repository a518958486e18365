#pragma once
// The native backend of the toolkit: real windows for every control, the hidden
// application window that carries the taskbar button, the message loop and the pump,
// message boxes, the screen-wide wait cursor, COM for the interface thread.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Backend.h"

namespace tv::toolkit::win32 {

class GifPicture;
class ProgressPeer;
class FormPeer;

class Win32Backend : public ToolkitBackend {
public:
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    void initialize() override;
    void finalize() override;
    void setTitle(const std::string& title) override;
    void realize(Form& form) override;
    MessageResult messageBox(const std::string& text, const std::string& caption, MessageButtons buttons,
                             MessageIcon icon) override;
    void processMessages() override;
    void setScreenCursor(Cursor cursor) override;
    void runMessageLoop(Form& mainForm) override;
    void quit() override;
    WindowHandle applicationWindow() const override { return reinterpret_cast<WindowHandle>(appWindow_); }
    void queueRelease(Form& form) override;

    bool waitCursor() const { return waitCursor_; }
    // Focus cues are shown once the keyboard has been used, as Windows does.
    bool keyboardCues() const { return keyboardCues_; }
    bool quitting() const { return quitting_; }
    // The decoded picture of that resource name, shared by every image showing it.
    const GifPicture* picture(const std::string& name);
    // The show command the process was started with (3 maximised, 7 minimised, ...).
    static int startupShowState();

    // Minimising any window takes the program down to its taskbar button: its windows are
    // hidden and the application window minimised. Restoring brings them back where they
    // were and activates the one last active.
    void minimizeApplication();
    void restoreApplication();
    bool minimized() const { return minimized_; }
    // A form shown while the program is down on its button appears when it is restored.
    void showOnRestore(HWND form);
    void forgetOnRestore(HWND form);
    void noteActive(HWND form) { lastActive_ = form; }

    // Progress bars whose changes wait for the next pump (see ProgressPeer).
    void deferUntilPump(ProgressPeer& peer);
    void forget(ProgressPeer& peer);

private:
    static LRESULT CALLBACK appWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void releasePending();
    bool translate(MSG& message);
    bool translateKey(const MSG& message, FormPeer& form);
    void keyboardUsed();
    void flushDeferred();

    void activateLastActive();

    HWND appWindow_ = nullptr;
    HWND mainWindow_ = nullptr;
    HWND lastActive_ = nullptr;
    bool minimized_ = false;
    std::vector<HWND> hiddenWhileMinimized_;
    bool comInitialized_ = false;
    bool waitCursor_ = false;
    bool keyboardCues_ = false;
    bool quitting_ = false;
    std::wstring title_;
    std::vector<Form*> pendingRelease_;
    std::vector<ProgressPeer*> deferred_;
    std::map<std::string, std::unique_ptr<GifPicture>> pictures_;
};

} // namespace tv::toolkit::win32
