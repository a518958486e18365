#pragma once
// Window layouts are data: one line per control, `Name Kind key=value ...`, the form first.
// Values with blanks are quoted; \r, \n, \" and \\ are the escapes. Lines starting with #
// are comments. Unknown kinds, keys, parents and handlers fail loudly.

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tv::toolkit {

class Form;

struct LayoutItem {
    std::string name;
    std::string kind;
    int line = 0;
    std::vector<std::pair<std::string, std::string>> properties;
    const std::string* find(const std::string& key) const;
};

struct Layout {
    LayoutItem form;
    std::vector<LayoutItem> controls;
    const LayoutItem* control(const std::string& name) const;
};

class LayoutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Layout parseLayout(std::string_view text, const std::string& source);
// The embedded layout of that name, parsed; raises when there is none.
Layout loadLayout(const std::string& name);

using Handlers = std::map<std::string, std::function<void()>>;

// Every handler the layout names, bound to nothing: lays a window out without its
// behaviour (layout checks, the window gallery).
Handlers inertHandlers(const Layout& layout);

class Control;

// A handler the layout names for one of a window's events, found but not yet bound.
struct HandlerBinding {
    enum class Event { Click, Enter, Close };
    Control* control;
    Event event;
    std::function<void()> handler;
};
using HandlerBindings = std::vector<HandlerBinding>;

// Creates every control of the layout on the form and applies the form's own properties.
// Every handler the layout names must be in `handlers`; they are handed back unbound, for
// the window to bind once it is whole (a handler may reach members not built yet).
HandlerBindings layOutForm(Form& form, const Layout& layout, const Handlers& handlers);
void bindHandlers(const HandlerBindings& bindings);

// Both at once, for a plain form that is whole as soon as its layout is applied.
void buildForm(Form& form, const Layout& layout, const Handlers& handlers);

} // namespace tv::toolkit
