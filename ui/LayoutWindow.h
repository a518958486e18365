#pragma once
// A window built from its layout. The window's own class binds its members to the
// controls by name afterwards; a control the layout lacks fails loudly there.

#include <string>

#include "platform/toolkit/Form.h"
#include "platform/toolkit/Layout.h"

namespace tv::ui {

class LayoutWindow : public toolkit::Form {
protected:
    LayoutWindow(toolkit::Application& app, const std::string& layoutName, const toolkit::Handlers& handlers)
        : LayoutWindow(app, toolkit::loadLayout(layoutName), handlers) {}

private:
    LayoutWindow(toolkit::Application& app, const toolkit::Layout& layout, const toolkit::Handlers& handlers)
        : Form(app, layout.form.name) {
        toolkit::buildForm(*this, layout, handlers);
    }
};

} // namespace tv::ui
