#include "platform/toolkit/win32/Gdi.h"

#include <map>
#include <tuple>

#include "platform/toolkit/win32/Dpi.h"
#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

namespace {

struct GdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

std::map<COLORREF, HBRUSH>& brushes() {
    static std::map<COLORREF, HBRUSH> cache;
    return cache;
}

using FontKey = std::tuple<std::string, int, bool, bool, UINT>;
std::map<FontKey, HFONT>& fonts() {
    static std::map<FontKey, HFONT> cache;
    return cache;
}

struct FaceInfo {
    bool exists = false;
    bool outline = false;
    bool bold = false; // has a bold style of its own
};

int CALLBACK noteFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM found) {
    auto* info = reinterpret_cast<FaceInfo*>(found);
    info->exists = true;
    if (!(type & RASTER_FONTTYPE)) info->outline = true;
    if (font->lfWeight >= FW_SEMIBOLD) info->bold = true;
    return 1;
}

FaceInfo faceInfo(const std::wstring& face) {
    static std::map<std::wstring, FaceInfo> known;
    auto it = known.find(face);
    if (it != known.end()) return it->second;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    FaceInfo info;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &lf, noteFace, reinterpret_cast<LPARAM>(&info), 0);
    ReleaseDC(nullptr, screen);
    known.emplace(face, info);
    return info;
}

bool serves(const FaceInfo& info, const Font& font) {
    if (!info.exists) return false;
    if (!font.bold) return true;
    return info.bold; // a synthesised bold may not show at all
}

// The face to ask for: the given one when the system has it in the weight asked for;
// otherwise an outline face the system uses for its dialogs, so that bold still shows.
std::wstring faceFor(const Font& font) {
    std::wstring face = tv::win32::widen(font.name);
    if (serves(faceInfo(face), font)) return face;
    for (const wchar_t* fallback : {L"Tahoma", L"Microsoft Sans Serif", L"Arial"}) {
        const FaceInfo info = faceInfo(fallback);
        if (info.outline && serves(info, font)) return fallback;
    }
    return face;
}

bool takesParentColor(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::CheckBox || kind == ControlKind::RadioButton ||
           kind == ControlKind::GroupBox || kind == ControlKind::Image;
}

} // namespace

int scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), kDesignDpi); }

UINT dpiOf(HWND window) {
    const UINT dpi = windowDpi(window);
    return dpi ? dpi : kDesignDpi;
}

COLORREF colorRef(Color color) {
    if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xFFu));
    return static_cast<COLORREF>(color);
}

COLORREF backgroundOf(const Control& control) {
    const Control* c = &control;
    while (c->parent() && takesParentColor(c->kind()) && c->color() == kButtonFace) c = c->parent();
    // Text fields without a colour of their own are window-coloured, as the system's are.
    if ((c->kind() == ControlKind::Edit || c->kind() == ControlKind::Memo) && c->color() == kButtonFace)
        return GetSysColor(COLOR_WINDOW);
    return colorRef(c->color());
}

HBRUSH brushFor(COLORREF color) {
    auto& cache = brushes();
    auto it = cache.find(color);
    if (it != cache.end()) return it->second;
    HBRUSH brush = CreateSolidBrush(color);
    cache.emplace(color, brush);
    return brush;
}

HFONT fontFor(const Font& font, UINT dpi) {
    FontKey key{font.name, font.height, font.bold, font.italic, dpi};
    auto& cache = fonts();
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    LOGFONTW lf{};
    lf.lfHeight = scale(font.height, dpi);
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    const std::wstring face = faceFor(font);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT handle = CreateFontIndirectW(&lf);
    cache.emplace(key, handle);
    return handle;
}

std::wstring drawnText(const std::string& text) {
    const std::wstring wide = tv::win32::widen(text);
    std::wstring out;
    out.reserve(wide.size() + 8);
    for (size_t i = 0; i < wide.size(); ++i) {
        out += wide[i];
        if (wide[i] == L'\r' && (i + 1 >= wide.size() || wide[i + 1] != L'\n')) out += L'\n';
    }
    return out;
}

void releaseGdiCaches() {
    for (auto& [color, brush] : brushes()) GdiDeleter{}(brush);
    brushes().clear();
    for (auto& [key, font] : fonts()) GdiDeleter{}(font);
    fonts().clear();
}

} // namespace tv::toolkit::win32
