#include "platform/toolkit/Layout.h"

#include <charconv>
#include <memory>
#include <set>

#include "platform/toolkit/EmbeddedLayouts.h"
#include "platform/toolkit/Form.h"

namespace tv::toolkit {

namespace {

[[noreturn]] void fail(const std::string& source, int line, const std::string& what) {
    throw LayoutError(source + ":" + std::to_string(line) + ": " + what);
}

std::vector<std::string> tokenize(std::string_view line, const std::string& source, int number) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string token;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            if (line[i] != '"') {
                token += line[i++];
                continue;
            }
            ++i; // opening quote: read up to the closing one, with escapes
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    char e = line[i++];
                    token += e == 'r' ? '\r' : e == 'n' ? '\n' : e;
                } else {
                    token += c;
                }
            }
            if (!closed) fail(source, number, "unterminated quote");
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

int toInt(const std::string& text, const LayoutItem& item, const std::string& source) {
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size())
        fail(source, item.line, "not a number: " + text);
    return value;
}

std::vector<int> toInts(const std::string& text, const LayoutItem& item, const std::string& source) {
    std::vector<int> values;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        values.push_back(toInt(text.substr(start, comma - start), item, source));
        start = comma + 1;
    }
    return values;
}

bool toBool(const std::string& text, const LayoutItem& item, const std::string& source) {
    if (text == "1" || text == "true") return true;
    if (text == "0" || text == "false") return false;
    fail(source, item.line, "not a yes/no value: " + text);
}

Color toColor(const std::string& text, const LayoutItem& item, const std::string& source) {
    if (text == "windowtext") return kWindowText;
    if (text == "white") return kWhite;
    if (text == "blue") return kBlue;
    if (text == "magenta") return kMagenta;
    if (text == "background") return kBackground;
    if (text == "buttonface") return kButtonFace;
    return static_cast<Color>(toInt(text, item, source));
}

std::unique_ptr<Control> makeControl(const LayoutItem& item, const std::string& source) {
    const std::string& k = item.kind;
    if (k == "TLabel") return std::make_unique<Label>(item.name);
    if (k == "TCheckBox") return std::make_unique<CheckBox>(item.name);
    if (k == "TRadioButton") return std::make_unique<RadioButton>(item.name);
    if (k == "TEdit") return std::make_unique<Edit>(item.name);
    if (k == "TMemo") return std::make_unique<Memo>(item.name);
    if (k == "TPanel") return std::make_unique<Panel>(item.name);
    if (k == "TImage") return std::make_unique<Image>(item.name);
    if (k == "TProgressBar") return std::make_unique<ProgressBar>(item.name);
    if (k == "TGroupBox") return std::make_unique<GroupBox>(item.name);
    fail(source, item.line, "unknown kind " + k);
}

std::function<void()> handlerFor(const std::string& name, const Handlers& handlers,
                                 const LayoutItem& item, const std::string& source) {
    auto it = handlers.find(name);
    if (it == handlers.end()) fail(source, item.line, "no handler " + name + " for " + item.name);
    return it->second;
}

// Applies what every control (the form included) may carry; false for a key it does not know.
bool applyCommon(Control& c, const std::string& key, const std::string& value, Font& font,
                 const LayoutItem& item, const Handlers& handlers, const std::string& source,
                 HandlerBindings& bindings) {
    if (key == "bounds") {
        auto v = toInts(value, item, source);
        if (v.size() != 4) fail(source, item.line, "bounds needs four numbers");
        c.setBounds({v[0], v[1], v[2], v[3]});
    } else if (key == "caption") {
        c.setCaption(value);
    } else if (key == "color") {
        c.setColor(toColor(value, item, source));
    } else if (key == "cursor") {
        if (value != "hand" && value != "default") fail(source, item.line, "unknown cursor " + value);
        c.setCursor(value == "hand" ? Cursor::HandPoint : Cursor::Default);
    } else if (key == "visible") {
        c.setVisible(toBool(value, item, source));
    } else if (key == "taborder") {
        c.setTabOrder(toInt(value, item, source));
    } else if (key == "accname") {
        c.setAccessibleName(value);
    } else if (key == "font") {
        font.name = value;
    } else if (key == "fontheight") {
        font.height = toInt(value, item, source);
    } else if (key == "bold") {
        font.bold = toBool(value, item, source);
    } else if (key == "italic") {
        font.italic = toBool(value, item, source);
    } else if (key == "fontcolor") {
        font.color = toColor(value, item, source);
    } else if (key == "onclick") {
        bindings.push_back({&c, HandlerBinding::Event::Click, handlerFor(value, handlers, item, source)});
    } else if (key == "onenter") {
        bindings.push_back({&c, HandlerBinding::Event::Enter, handlerFor(value, handlers, item, source)});
    } else if (key.rfind("style.", 0) == 0) {
        c.setStyle(key.substr(6), value);
    } else {
        return false;
    }
    return true;
}

bool applySpecific(Control& c, const std::string& key, const std::string& value,
                   const LayoutItem& item, const std::string& source) {
    switch (c.kind()) {
    case ControlKind::CheckBox:
        if (key == "state") {
            auto& box = static_cast<CheckBox&>(c);
            if (value == "checked") box.setState(CheckState::Checked);
            else if (value == "grayed") box.setState(CheckState::Grayed);
            else if (value != "unchecked") fail(source, item.line, "unknown state " + value);
            return true;
        }
        break;
    case ControlKind::RadioButton:
        if (key == "checked") {
            static_cast<RadioButton&>(c).setChecked(toBool(value, item, source));
            return true;
        }
        break;
    case ControlKind::Image:
        if (key == "picture") {
            static_cast<Image&>(c).setPicture(value);
            return true;
        }
        break;
    case ControlKind::Label:
        if (key == "autosize") {
            static_cast<Label&>(c).setAutoSize(toBool(value, item, source));
            return true;
        }
        break;
    case ControlKind::ProgressBar: {
        auto& bar = static_cast<ProgressBar&>(c);
        if (key == "range") {
            auto v = toInts(value, item, source);
            if (v.size() != 2) fail(source, item.line, "range needs two numbers");
            bar.setRange(v[0], v[1]);
            return true;
        }
        if (key == "step") {
            bar.setStep(toInt(value, item, source));
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

bool applyForm(Form& f, const std::string& key, const std::string& value, const LayoutItem& item,
               const Handlers& handlers, const std::string& source, HandlerBindings& bindings) {
    if (key == "client") {
        auto v = toInts(value, item, source);
        if (v.size() != 2) fail(source, item.line, "client needs two numbers");
        f.setClientSize(v[0], v[1]);
    } else if (key == "border") {
        if (value == "none") f.setBorderStyle(BorderStyle::None);
        else if (value == "single") f.setBorderStyle(BorderStyle::Single);
        else if (value == "dialog") f.setBorderStyle(BorderStyle::Dialog);
        else if (value == "sizeable") f.setBorderStyle(BorderStyle::Sizeable);
        else fail(source, item.line, "unknown border " + value);
    } else if (key == "icons") {
        // "system", "system,minimize" or "system,minimize,maximize"
        f.setBorderIcons(value.find("minimize") != std::string::npos,
                         value.find("maximize") != std::string::npos);
    } else if (key == "centered") {
        f.setCentered(toBool(value, item, source));
    } else if (key == "alpha") {
        f.setAlpha(toInt(value, item, source));
    } else if (key == "oncreate") {
        // Run by the window's own constructor once its members are bound.
        handlerFor(value, handlers, item, source);
    } else if (key == "default") {
        f.setDefaultControl(value);
    } else if (key == "onclose") {
        bindings.push_back({&f, HandlerBinding::Event::Close, handlerFor(value, handlers, item, source)});
    } else {
        return false;
    }
    return true;
}

} // namespace

const std::string* LayoutItem::find(const std::string& key) const {
    for (const auto& [k, v] : properties)
        if (k == key) return &v;
    return nullptr;
}

const LayoutItem* Layout::control(const std::string& name) const {
    for (const auto& c : controls)
        if (c.name == name) return &c;
    return nullptr;
}

Layout parseLayout(std::string_view text, const std::string& source) {
    Layout layout;
    bool haveForm = false;
    std::set<std::string> names;
    int number = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        auto tokens = tokenize(line, source, number);
        if (tokens.size() < 2) fail(source, number, "a line needs a name and a kind");
        LayoutItem item;
        item.name = tokens[0];
        item.kind = tokens[1];
        item.line = number;
        for (size_t i = 2; i < tokens.size(); ++i) {
            size_t eq = tokens[i].find('=');
            if (eq == std::string::npos || eq == 0) fail(source, number, "expected key=value: " + tokens[i]);
            item.properties.emplace_back(tokens[i].substr(0, eq), tokens[i].substr(eq + 1));
        }
        if (!names.insert(item.name).second) fail(source, number, "duplicate name " + item.name);
        if (item.kind == "TForm") {
            if (haveForm) fail(source, number, "a second form");
            layout.form = std::move(item);
            haveForm = true;
        } else {
            if (!haveForm) fail(source, number, "the form comes first");
            layout.controls.push_back(std::move(item));
        }
        if (end == text.size()) break;
    }
    if (!haveForm) fail(source, number, "no form");
    return layout;
}

Handlers inertHandlers(const Layout& layout) {
    Handlers handlers;
    auto collect = [&](const LayoutItem& item) {
        for (const auto& [key, value] : item.properties)
            if (key.rfind("on", 0) == 0) handlers[value] = [] {};
    };
    collect(layout.form);
    for (const auto& c : layout.controls) collect(c);
    return handlers;
}

Layout loadLayout(const std::string& name) {
    std::string_view text = embeddedLayout(name);
    if (text.empty()) throw LayoutError("no layout named " + name);
    return parseLayout(text, name + ".layout");
}

HandlerBindings layOutForm(Form& form, const Layout& layout, const Handlers& handlers) {
    const std::string source = layout.form.name + ".layout";
    HandlerBindings bindings;
    Font formFont = form.font();
    for (const auto& [key, value] : layout.form.properties) {
        if (!applyCommon(form, key, value, formFont, layout.form, handlers, source, bindings) &&
            !applyForm(form, key, value, layout.form, handlers, source, bindings))
            fail(source, layout.form.line, "unknown form property " + key);
    }
    form.setFont(formFont);
    for (const LayoutItem& item : layout.controls) {
        Control* parent = &form;
        if (const std::string* p = item.find("parent"); p && *p != layout.form.name) {
            parent = form.find(*p);
            if (!parent) fail(source, item.line, "unknown parent " + *p);
        }
        auto created = makeControl(item, source);
        Control& c = form.add(std::move(created), parent);
        // A control without a font of its own takes its parent's, as the designer does.
        Font font = parent->font();
        for (const auto& [key, value] : item.properties) {
            if (key == "parent") continue;
            if (!applyCommon(c, key, value, font, item, handlers, source, bindings) &&
                !applySpecific(c, key, value, item, source))
                fail(source, item.line, "unknown property " + key + " for " + item.kind);
        }
        c.setFont(font);
    }
    if (const std::string* name = layout.form.find("default"); name && !form.find(*name))
        fail(source, layout.form.line, "unknown default control " + *name);
    return bindings;
}

void bindHandlers(const HandlerBindings& bindings) {
    for (const HandlerBinding& b : bindings) {
        switch (b.event) {
        case HandlerBinding::Event::Click: b.control->OnClick = b.handler; break;
        case HandlerBinding::Event::Enter: b.control->OnEnter = b.handler; break;
        case HandlerBinding::Event::Close: static_cast<Form*>(b.control)->OnClose = b.handler; break;
        }
    }
}

void buildForm(Form& form, const Layout& layout, const Handlers& handlers) {
    bindHandlers(layOutForm(form, layout, handlers));
}

} // namespace tv::toolkit
