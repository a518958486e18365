#pragma once
// A top-level window. It owns its controls; the application owns the forms.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/toolkit/Controls.h"

namespace tv::toolkit {

class Application;

enum class BorderStyle { None, Single, Dialog, Sizeable };

class Form : public Control {
public:
    Form(Application& app, std::string name);
    ~Form() override;

    Application& application() const { return app_; }

    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    void setClientSize(int width, int height);

    BorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(BorderStyle style) { borderStyle_ = style; }
    bool minimizeBox() const { return minimizeBox_; }
    bool maximizeBox() const { return maximizeBox_; }
    void setBorderIcons(bool minimize, bool maximize) { minimizeBox_ = minimize; maximizeBox_ = maximize; }
    bool centered() const { return centered_; }
    void setCentered(bool centered) { centered_ = centered; }
    // 255 is opaque; anything less makes the window translucent.
    int alpha() const { return alpha_; }
    void setAlpha(int alpha) { alpha_ = alpha; }

    // Shown non-modally; showing a shown form only brings it to the front.
    void showForm();
    // The title-bar close button; runs OnClose (whose default is to hide the form).
    void requestClose();
    void bringToFront();
    void repaint();

    std::function<void()> OnClose;

    // The window is fully constructed and owned by the application (see Application::adopt).
    virtual void completeCreation() {}

    // The controls in the order Tab visits them: each container's children by tab order
    // (ties in creation order), a container's own children right after it.
    std::vector<Control*> tabSequence() const;
    // Where Tab stops: the controls of the sequence that take the focus and can have it now.
    std::vector<Control*> focusStops() const;
    // Tab and Shift+Tab; false when no control can have the focus.
    bool focusNext(bool backwards);

    // The control that last had the keyboard focus in this window (null when none did).
    Control* focusedControl() const { return focused_; }
    // The backends report every focus change here; the form's own window is not a control.
    void noteFocus(Control* control) { focused_ = control; }
    // Where the focus goes when the window is activated: back to the control that had it,
    // else, when `firstWhenNone`, to the first stop.
    Control* focusTarget(bool firstWhenNone) const;

    // The button that Enter presses when the focus is on a field or a box ("Ok", "Envoyer").
    void setDefaultControl(const std::string& name) { defaultControl_ = name; }
    Control* defaultControl() const;

    // What a key does with the focus on `focused` (null: on the window itself); an empty
    // action when the key means nothing here and goes on to the focused control.
    std::function<void()> keyAction(Key key, bool shift, Control* focused);

    // The window that was active when this one was shown, to which the activation goes back
    // when it is hidden.
    Form* returnTo() const { return returnTo_; }
    void setReturnTo(Form* form) { returnTo_ = form; }

    // Controls are created by the layout or by the window's own code; the form keeps them.
    template <class T>
    T& add(std::unique_ptr<T> control, Control* parent) {
        T& ref = *control;
        ref.setParent(parent ? parent : this);
        owned_.push_back(std::move(control));
        return ref;
    }

    Control* find(const std::string& name) const;
    const std::vector<std::unique_ptr<Control>>& controls() const { return owned_; }

    // Binding by name: a missing control, or one of another kind, fails loudly.
    template <class T>
    T& control(const std::string& name) const {
        Control* c = find(name);
        if (!c) throw std::logic_error("control " + name + " missing from " + this->name());
        T* typed = dynamic_cast<T*>(c);
        if (!typed) throw std::logic_error("control " + name + " of " + this->name() + " has the wrong kind");
        return *typed;
    }

protected:
    void visibilityChanged() override;

private:
    bool canHaveFocus(const Control& control) const;

    Application& app_;
    Control* focused_ = nullptr;
    Form* returnTo_ = nullptr;
    std::string defaultControl_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    BorderStyle borderStyle_ = BorderStyle::Single;
    bool minimizeBox_ = true;
    bool maximizeBox_ = true;
    bool centered_ = true;
    int alpha_ = 255;
    std::vector<std::unique_ptr<Control>> owned_;
};

} // namespace tv::toolkit
