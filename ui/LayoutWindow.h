#pragma once
// A window built from its layout. The window's own class binds its members to the
// controls by name afterwards; a control the layout lacks fails loudly there. The layout's
// handlers are bound only when the application adopts the window, once it is whole: until
// then a change of state (a box ticked by the layout) runs nothing on a half-built window.

#include <string>

#include "platform/toolkit/Form.h"
#include "platform/toolkit/Layout.h"

namespace tv::ui {

class LayoutWindow : public toolkit::Form {
public:
    void completeCreation() override {
        toolkit::bindHandlers(pending_);
        pending_.clear();
    }

protected:
    LayoutWindow(toolkit::Application& app, const std::string& layoutName, const toolkit::Handlers& handlers)
        : LayoutWindow(app, toolkit::loadLayout(layoutName), handlers) {}

private:
    LayoutWindow(toolkit::Application& app, const toolkit::Layout& layout, const toolkit::Handlers& handlers)
        : Form(app, layout.form.name), pending_(toolkit::layOutForm(*this, layout, handlers)) {}

    toolkit::HandlerBindings pending_;
};

} // namespace tv::ui
