// Every control of every window at the place the window tables give, on the right parent,
// and every picture the layouts name drawn at exactly the size it is placed at.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/Layout.h"
#include "platform/toolkit/headless/HeadlessBackend.h"

using namespace tv::toolkit;

namespace {

struct Placed {
    const char* name;
    const char* parent; // nullptr: the window itself
    Bounds bounds;
};

struct Window {
    const char* layout;
    int clientWidth, clientHeight;
    BorderStyle border;
    std::vector<Placed> controls;
};

const Window kWindows[] = {
    {"TForm1", 586, 422, BorderStyle::Single,
     {{"Image1", nullptr, {56, 6, 479, 60}},       {"Panel10", nullptr, {92, 337, 406, 65}},
      {"Label10", "Panel10", {8, 4, 51, 13}},      {"ProgressBar1", "Panel10", {152, 44, 125, 14}},
      {"Label11", "Panel10", {66, 43, 78, 13}},    {"Panel1", nullptr, {20, 97, 265, 224}},
      {"Image3", "Panel1", {0, 0, 154, 70}},       {"Label1", "Panel1", {133, 4, 36, 13}},
      {"Image10", "Panel1", {4, 72, 254, 107}},    {"CheckBox25", "Panel1", {10, 192, 152, 17}},
      {"Panel2", nullptr, {304, 97, 265, 224}},    {"Label2", "Panel2", {133, 4, 36, 13}},
      {"Image2", "Panel2", {5, 8, 110, 60}},       {"Image11", "Panel2", {3, 70, 248, 121}},
      {"CheckBox27", "Panel2", {10, 195, 153, 17}}, {"Image7", nullptr, {21, 76, 91, 19}},
      {"Image8", nullptr, {304, 77, 161, 21}},     {"Label3", nullptr, {531, 20, 32, 15}},
      {"Label4", nullptr, {213, 406, 170, 16}},    {"GroupBox2", "Panel1", {174, 183, 71, 25}},
      {"Panel5", "GroupBox2", {1, 6, 70, 19}},     {"GroupBox4", "Panel2", {174, 183, 71, 25}},
      {"Panel8", "GroupBox4", {1, 6, 70, 19}},     {"Image6", nullptr, {505, 338, 65, 65}},
      {"Image9", nullptr, {20, 337, 65, 65}}}},
    {"TSplashForm", 390, 219, BorderStyle::None,
     {{"Image1", nullptr, {-79, 6, 479, 60}},
      {"Label3", nullptr, {166, 68, 32, 15}},
      {"Label1", nullptr, {32, 120, 328, 13}},
      {"Label4", nullptr, {103, 195, 170, 16}}}},
    {"TForm2", 478, 297, BorderStyle::Dialog,
     {{"Image4", nullptr, {-8, 6, 479, 60}},        {"Panel1", nullptr, {6, 94, 5, 5}},
      {"Label1", nullptr, {16, 88, 356, 16}},       {"Label2", nullptr, {16, 103, 163, 16}},
      {"RadioButton4", nullptr, {64, 130, 90, 17}}, {"Image1", nullptr, {163, 128, 120, 25}},
      {"RadioButton1", nullptr, {64, 160, 65, 17}}, {"Image3", nullptr, {174, 160, 100, 21}},
      {"RadioButton2", nullptr, {64, 192, 81, 17}}, {"Image2", nullptr, {173, 192, 100, 21}},
      {"Panel2", nullptr, {6, 239, 5, 5}},          {"Label3", nullptr, {19, 232, 217, 16}},
      {"RadioButton3", nullptr, {67, 258, 16, 17}}, {"Edit1", nullptr, {88, 256, 201, 21}},
      {"Panel3", nullptr, {384, 264, 61, 25}}}},
    {"TForm3", 273, 245, BorderStyle::Dialog,
     {{"Panel6", nullptr, {4, 4, 265, 218}},       {"Image6", "Panel6", {0, 0, 154, 70}},
      {"CheckBox3", "Panel6", {8, 80, 227, 17}},   {"CheckBox2", "Panel6", {8, 104, 85, 17}},
      {"CheckBox4", "Panel6", {8, 128, 196, 17}},  {"CheckBox6", "Panel6", {8, 152, 201, 17}},
      {"CheckBox10", "Panel6", {8, 176, 233, 17}}, {"Label1", "Panel6", {28, 192, 99, 13}},
      {"Panel3", nullptr, {121, 225, 42, 18}}}},
    {"TForm4", 269, 250, BorderStyle::Dialog,
     {{"Panel7", nullptr, {3, 2, 265, 222}},       {"Image7", "Panel7", {5, 8, 110, 60}},
      {"CheckBox1", "Panel7", {8, 80, 159, 17}},   {"CheckBox8", "Panel7", {8, 104, 215, 17}},
      {"CheckBox9", "Panel7", {8, 128, 241, 17}},  {"CheckBox5", "Panel7", {8, 152, 162, 17}},
      {"CheckBox12", "Panel7", {8, 176, 217, 17}}, {"CheckBox28", "Panel7", {8, 199, 129, 17}},
      {"Panel3", nullptr, {113, 228, 42, 18}}}},
    {"TForm6", 0, 0, BorderStyle::Sizeable,
     {{"Panel1", nullptr, {6, 5, 201, 121}},  {"Label1", "Panel1", {8, 7, 112, 13}},
      {"Edit1", "Panel1", {10, 25, 139, 21}}, {"Label2", "Panel1", {8, 66, 180, 14}},
      {"Label3", "Panel1", {8, 77, 120, 13}}, {"Edit2", "Panel1", {9, 92, 183, 21}},
      {"Panel2", nullptr, {210, 5, 185, 121}}, {"Label4", "Panel2", {8, 7, 84, 13}},
      {"memo1", "Panel2", {5, 26, 176, 87}},  {"Label5", nullptr, {23, 131, 355, 13}},
      {"Panel3", nullptr, {136, 148, 97, 22}}}},
};

// Width and height from a GIF file's header, or {0, 0} when it is not a GIF.
std::pair<int, int> gifSize(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[10] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return {0, 0};
    if (std::string(reinterpret_cast<char*>(header), 3) != "GIF") return {0, 0};
    return {header[6] | header[7] << 8, header[8] | header[9] << 8};
}

// The compiler may name this file relative to the build folder (a shared compiler cache
// does), and the tests run elsewhere: look upwards from here as well.
std::filesystem::path artworkFolder() {
    const std::filesystem::path fromSource = std::filesystem::path(__FILE__).parent_path() / "../../resources/artwork";
    if (std::filesystem::is_directory(fromSource)) return fromSource;
    for (auto dir = std::filesystem::current_path(); dir != dir.parent_path(); dir = dir.parent_path())
        if (std::filesystem::is_directory(dir / "resources/artwork")) return dir / "resources/artwork";
    return fromSource;
}

const std::filesystem::path kArtwork = artworkFolder();

} // namespace

TEST(LayoutGeometry, EveryControlSitsWhereItsTableSays) {
    for (const Window& w : kWindows) {
        HeadlessBackend backend;
        Application app(backend);
        Layout layout = loadLayout(w.layout);
        Form form(app, layout.form.name);
        buildForm(form, layout, inertHandlers(layout));
        EXPECT_EQ(form.clientWidth(), w.clientWidth) << w.layout;
        EXPECT_EQ(form.clientHeight(), w.clientHeight) << w.layout;
        EXPECT_EQ(form.borderStyle(), w.border) << w.layout;
        EXPECT_EQ(form.color(), kBackground) << w.layout;
        EXPECT_EQ(form.controls().size(), w.controls.size()) << w.layout;
        for (const Placed& p : w.controls) {
            Control* c = form.find(p.name);
            ASSERT_NE(c, nullptr) << w.layout << " " << p.name;
            EXPECT_EQ(c->bounds(), p.bounds) << w.layout << " " << p.name;
            EXPECT_EQ(c->parent()->name(), p.parent ? p.parent : layout.form.name) << w.layout << " " << p.name;
        }
    }
}

TEST(LayoutGeometry, TheTellAFriendDialogHasAFixedPlaceAndFrame) {
    HeadlessBackend backend;
    Application app(backend);
    Form form(app, "TForm6");
    Layout layout = loadLayout("TForm6");
    buildForm(form, layout, inertHandlers(layout));
    EXPECT_EQ(form.bounds(), (Bounds{430, 331, 408, 203}));
    EXPECT_FALSE(form.centered());
    EXPECT_FALSE(form.minimizeBox());
    EXPECT_FALSE(form.maximizeBox());
}

TEST(LayoutGeometry, EveryPictureIsAGifOfExactlyItsPlacedSize) {
    int pictures = 0;
    for (const Window& w : kWindows) {
        HeadlessBackend backend;
        Application app(backend);
        Layout layout = loadLayout(w.layout);
        Form form(app, layout.form.name);
        buildForm(form, layout, inertHandlers(layout));
        for (const auto& c : form.controls()) {
            if (c->kind() != ControlKind::Image) continue;
            const auto& image = static_cast<const Image&>(*c);
            const auto [width, height] = gifSize(kArtwork / (image.picture() + ".gif"));
            EXPECT_EQ(width, image.bounds().width) << w.layout << " " << image.name() << " " << image.picture();
            EXPECT_EQ(height, image.bounds().height) << w.layout << " " << image.name() << " " << image.picture();
            ++pictures;
        }
    }
    EXPECT_EQ(pictures, 16); // 9 on the main window, 1 on the splash, 4 on the start page, 1 per option dialog
}
