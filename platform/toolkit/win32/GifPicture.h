#pragma once
// A GIF picture of the program's resources (RCDATA, by name), decoded with the system's
// imaging component into a bitmap.

#include <windows.h>

#include <memory>
#include <string>

namespace tv::toolkit::win32 {

class GifPicture {
public:
    // Empty (no bitmap) when the resource is missing or cannot be decoded.
    static std::unique_ptr<GifPicture> load(const std::string& name);
    GifPicture(HBITMAP bitmap, int width, int height) : bitmap_(bitmap), width_(width), height_(height) {}
    ~GifPicture();
    GifPicture(const GifPicture&) = delete;
    GifPicture& operator=(const GifPicture&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // Draws the picture with its top-left corner at `at`, scaled to the given size.
    void draw(HDC dc, POINT at, SIZE size) const;

private:
    HBITMAP bitmap_;
    int width_;
    int height_;
};

} // namespace tv::toolkit::win32
