#pragma once
// The application object: title, forms in creation order, message boxes, the pump, the
// screen cursor, and the default error box for an exception that escapes a handler.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Backend.h"
#include "platform/toolkit/Form.h"

namespace tv::toolkit {

class Application {
public:
    explicit Application(ToolkitBackend& backend);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    ToolkitBackend& backend() const { return backend_; }

    void initialize();

    const std::string& title() const { return title_; }
    void setTitle(const std::string& title);

    // Takes ownership of a fully constructed form, which completes its creation here. The
    // first form adopted as a candidate becomes the main form; a passing window (the
    // splash) is adopted without being one.
    Form& adopt(std::unique_ptr<Form> form, bool mainCandidate = true);
    Form* mainForm() const { return main_; }
    const std::vector<std::unique_ptr<Form>>& forms() const { return forms_; }
    // Queues the form's destruction for the loop (the splash window uses it).
    void release(Form& form);
    // Called by the backend when it destroys a released form.
    void destroyForm(Form& form);

    // The window the user works in: the last one shown or brought forward, or the one the
    // activation went back to when that one was hidden.
    Form* activeForm() const { return active_; }
    void formShown(Form& form);
    void formHidden(Form& form);
    // The native backend reports an activation that came from the system (a click, Alt+Tab).
    void noteActivated(Form& form) { active_ = &form; }
    // A key pressed in the active window, as the keyboard gives it; false when it did nothing.
    bool pressKey(Key key, bool shift = false);

    void run();
    void terminate();
    bool terminated() const { return terminated_; }

    MessageResult messageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon);
    // The plain box: application title as caption, no icon, a single OK.
    void showMessage(const std::string& text);
    void processMessages();
    Cursor screenCursor() const { return screenCursor_; }
    void setScreenCursor(Cursor cursor);
    WindowHandle handle() const { return backend_.applicationWindow(); }

    // Runs an event handler; an exception it lets out ends that handler only and is
    // shown in the default error box, whatever its kind.
    void dispatch(const std::function<void()>& handler);
    void showException(const std::exception& error);
    // The error box for an error that carries no text of its own.
    void showUnknownException();

private:
    ToolkitBackend& backend_;
    std::string title_;
    std::vector<std::unique_ptr<Form>> forms_;
    Form* main_ = nullptr;
    Form* active_ = nullptr;
    Cursor screenCursor_ = Cursor::Default;
    bool initialized_ = false;
    bool terminated_ = false;
};

// The error box's text: the message with a full stop added when it has none.
std::string errorBoxText(const std::string& message);
inline constexpr const char* kUnknownErrorText = "Erreur inattendue";

} // namespace tv::toolkit
