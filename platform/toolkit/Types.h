#pragma once
// Plain values shared by the toolkit's model and its backends.

#include <cstdint>
#include <string>

namespace tv::toolkit {

// Colours are Windows COLORREF values (0x00BBGGRR); system colours carry the high bit.
using Color = std::uint32_t;
inline constexpr Color kSystemColorFlag = 0x80000000u;
inline constexpr Color kWindowText = kSystemColorFlag | 8u;
inline constexpr Color kButtonFace = kSystemColorFlag | 15u;
inline constexpr Color kWhite = 0x00FFFFFFu;
inline constexpr Color kBlue = 0x00FF0000u;
inline constexpr Color kBackground = 14653050u; // RGB 122, 150, 223
inline constexpr Color kMagenta = 13382604u;    // RGB 204, 51, 204

constexpr Color rgb(int r, int g, int b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}

struct Font {
    std::string name = "MS Sans Serif";
    int height = -11; // negative: character height in pixels at 96 DPI
    bool bold = false;
    bool italic = false;
    Color color = kWindowText;
    bool operator==(const Font&) const = default;
};

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Bounds&) const = default;
};

enum class Cursor { Default, HandPoint, Hourglass };

enum class CheckState { Unchecked, Checked, Grayed };

// The keys the toolkit gives a meaning of its own: moving the focus, pressing the focused
// button, confirming and leaving a dialog.
enum class Key { Tab, Space, Enter, Escape };

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Question, Error };
// Closed: the box was closed with its title-bar button (neither Yes nor No).
enum class MessageResult { Ok, Yes, No, Closed };

// Which model property changed, so that a native peer mirrors just that.
enum class Property {
    Caption, Bounds, Visible, Enabled, Font, Color, Cursor, CheckState, Text, Progress, Picture, Style
};

} // namespace tv::toolkit
