#pragma once
// What the toolkit needs from a windowing system: the native one (platform/toolkit/win32)
// or the headless one that tests drive.

#include <string>

#include "platform/PlatformServices.h"
#include "platform/toolkit/Types.h"

namespace tv::toolkit {

class Application;
class Form;

class ToolkitBackend {
public:
    virtual ~ToolkitBackend() = default;
    // The application that runs on this backend; its dispatch takes every user action.
    virtual void attach(Application&) {}
    virtual void initialize() = 0;  // COM for the interface thread, common controls
    virtual void finalize() = 0;
    virtual void setTitle(const std::string& title) = 0;
    // Gives the form and all its controls their native windows (nothing when headless).
    virtual void realize(Form& form) = 0;
    virtual MessageResult messageBox(const std::string& text, const std::string& caption,
                                     MessageButtons buttons, MessageIcon icon) = 0;
    virtual void processMessages() = 0;
    virtual void setScreenCursor(Cursor cursor) = 0;
    // Shows the main form with the process's show state and runs until it closes.
    virtual void runMessageLoop(Form& mainForm) = 0;
    // The main form was closed: the loop ends, whatever is running.
    virtual void quit() = 0;
    virtual WindowHandle applicationWindow() const = 0;
    // The model made the form the active one (shown, or the one a hidden dialog goes back
    // to). A native backend leaves the focus to the system's activation.
    virtual void activated(Form&) {}
    // Destruction queued as a message to the form itself; done by the loop.
    virtual void queueRelease(Form& form) = 0;
};

} // namespace tv::toolkit
