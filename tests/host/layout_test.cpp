#include <gtest/gtest.h>

#include <set>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/Layout.h"
#include "platform/toolkit/headless/HeadlessBackend.h"

using namespace tv::toolkit;

namespace {

struct Built {
    HeadlessBackend backend;
    Application app{backend};
    Form* form = nullptr;
    explicit Built(const std::string& name) {
        Layout layout = loadLayout(name);
        auto f = std::make_unique<Form>(app, layout.form.name);
        buildForm(*f, layout, inertHandlers(layout));
        form = &app.adopt(std::move(f));
    }
};

} // namespace

TEST(Layouts, EveryWindowBuildsWithItsControls) {
    const std::pair<const char*, std::set<std::string>> windows[] = {
        {"TForm1", {"Image1", "Panel10", "Label10", "ProgressBar1", "Label11", "Panel1", "Image3", "Label1",
                    "Image10", "CheckBox25", "Panel2", "Label2", "Image2", "Image11", "CheckBox27", "Image7",
                    "Image8", "Label3", "Label4", "GroupBox2", "Panel5", "GroupBox4", "Panel8", "Image6", "Image9"}},
        {"TForm2", {"Image4", "Panel1", "Label1", "Label2", "RadioButton4", "Image1", "RadioButton1", "Image3",
                    "RadioButton2", "Image2", "Panel2", "Label3", "RadioButton3", "Edit1", "Panel3"}},
        {"TForm3", {"Panel6", "Image6", "CheckBox3", "CheckBox2", "CheckBox4", "CheckBox6", "CheckBox10", "Label1",
                    "Panel3"}},
        {"TForm4", {"Panel7", "Image7", "CheckBox1", "CheckBox8", "CheckBox9", "CheckBox5", "CheckBox12",
                    "CheckBox28", "Panel3"}},
        {"TForm6", {"Panel1", "Label1", "Edit1", "Label2", "Label3", "Edit2", "Panel2", "Label4", "memo1",
                    "Label5", "Panel3"}},
        {"TSplashForm", {"Image1", "Label3", "Label1", "Label4"}},
    };
    for (const auto& [name, expected] : windows) {
        Built built(name);
        std::set<std::string> present;
        for (const auto& c : built.form->controls()) present.insert(c->name());
        EXPECT_EQ(present, expected) << name;
    }
}

TEST(Layouts, MainWindowMatchesItsTable) {
    Built built("TForm1");
    Form& f = *built.form;
    EXPECT_EQ(f.caption(), "Tarmel veilo 2   - Surfez sur le web en toute discrétion -");
    EXPECT_EQ(f.clientWidth(), 586);
    EXPECT_EQ(f.clientHeight(), 422);
    EXPECT_EQ(f.alpha(), 250);
    EXPECT_EQ(f.color(), 14653050u);
    EXPECT_FALSE(f.maximizeBox());
    EXPECT_TRUE(f.minimizeBox());
    EXPECT_EQ(f.control<Image>("Image1").bounds(), (Bounds{56, 6, 479, 60}));
    EXPECT_EQ(f.control<ProgressBar>("ProgressBar1").step(), 10);
    EXPECT_EQ(f.control<ProgressBar>("ProgressBar1").max(), 100);
    EXPECT_FALSE(f.control<ProgressBar>("ProgressBar1").visible());
    EXPECT_FALSE(f.control<Label>("Label11").visible());
    auto& box = f.control<CheckBox>("CheckBox25");
    EXPECT_EQ(box.parent()->name(), "Panel1");
    EXPECT_EQ(box.font(), (Font{"Verdana", -11, true, false, kMagenta}));
    EXPECT_EQ(f.control<Panel>("Panel8").parent()->name(), "GroupBox4");
    EXPECT_EQ(f.control<Panel>("Panel8").cursor(), Cursor::HandPoint);
    // Without a font of its own a control takes its parent's.
    EXPECT_EQ(f.control<Label>("Label1").font(), (Font{"MS Sans Serif", -11, false, false, kWindowText}));
}

TEST(Layouts, DialogBoxesInheritTheirPanelFontAndKeepTheirCaptions) {
    Built internet("TForm3");
    auto& autoComplete = internet.form->control<CheckBox>("CheckBox10");
    EXPECT_EQ(autoComplete.caption(), "Saisie semi-automatique ");
    EXPECT_EQ(autoComplete.font(), (Font{"Verdana", -11, true, false, kMagenta}));
    EXPECT_EQ(autoComplete.state(), CheckState::Unchecked);
    Built windows("TForm4");
    EXPECT_EQ(windows.form->control<CheckBox>("CheckBox8").caption(), "Derniers éléments exécutés");
    Built start("TForm2");
    EXPECT_TRUE(start.form->control<RadioButton>("RadioButton4").checked());
    EXPECT_EQ(start.form->control<Edit>("Edit1").text(), "http://");
}

TEST(Layouts, MistakesFailLoudly) {
    HeadlessBackend backend;
    Application app(backend);
    Form form(app, "F");
    EXPECT_THROW(parseLayout("Label1 TLabel\n", "t"), LayoutError);                        // no form first
    EXPECT_THROW(parseLayout("F TForm\nA TLabel\nA TLabel\n", "t"), LayoutError);          // duplicate
    EXPECT_THROW(parseLayout("F TForm caption=\"open\n", "t"), LayoutError);               // quote
    EXPECT_THROW(buildForm(form, parseLayout("F TForm\nA TWidget\n", "t"), {}), LayoutError);
    EXPECT_THROW(buildForm(form, parseLayout("F TForm\nB TLabel colour=1\n", "t"), {}), LayoutError);
    EXPECT_THROW(buildForm(form, parseLayout("F TForm\nC TPanel onclick=Missing\n", "t"), {}), LayoutError);
    EXPECT_THROW(buildForm(form, parseLayout("F TForm\nD TLabel parent=Nowhere\n", "t"), {}), LayoutError);
    EXPECT_THROW(form.control<Label>("Absent"), std::logic_error);
    EXPECT_THROW(loadLayout("NoSuchWindow"), LayoutError);
}

TEST(Layouts, QuotedValuesKeepBlanksAndLineBreaks) {
    Layout layout = parseLayout("F TForm\nL TLabel caption=\"a \\\"b\\\"\\rc \" bounds=1,2,3,4\n", "t");
    ASSERT_EQ(layout.controls.size(), 1u);
    EXPECT_EQ(*layout.controls[0].find("caption"), "a \"b\"\rc ");
}

TEST(LayoutHandlers, NoHandlerRunsWhileTheWindowIsBeingBuilt) {
    // The layout names the handlers before it ticks the boxes: bound at once, they would run
    // on a window whose members are not all there yet.
    HeadlessBackend backend;
    Application app(backend);
    Layout layout = parseLayout("F TForm onclose=Closed\n"
                                "B TCheckBox onclick=Changed state=checked\n"
                                "R TRadioButton onclick=Changed checked=1\n",
                                "test");
    int changes = 0, closes = 0;
    Form form(app, "F");
    buildForm(form, layout, {{"Changed", [&] { ++changes; }}, {"Closed", [&] { ++closes; }}});
    EXPECT_EQ(changes, 0);
    // Bound once the window is whole.
    form.control<CheckBox>("B").userClick();
    form.requestClose();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(closes, 1);
}
