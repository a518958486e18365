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

private:
    Application& app_;
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
