#include "platform/toolkit/win32/ControlPeers.h"

#include "platform/toolkit/win32/Gdi.h"
#include "platform/toolkit/win32/GifPicture.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

ImagePeer::ImagePeer(Image& image, Win32Backend& backend) : NativeControl(image, backend) {
    picture_ = backend.picture(image.picture());
    create(kImageClass, 0, 0);
    // The window text names the picture for screen readers and automation tools.
    SetWindowTextW(hwnd(), tv::win32::widen(image.accessibleName()).c_str());
}

void ImagePeer::applyOther(Property property) {
    if (property != Property::Picture) return;
    picture_ = backend().picture(static_cast<const Image&>(control()).picture());
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void ImagePeer::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, brushFor(backgroundOf(control())));
    paintInto(dc, POINT{0, 0});
}

void ImagePeer::paintInto(HDC dc, POINT at) const {
    if (!picture_) return;
    const UINT d = dpi();
    picture_->draw(dc, at, SIZE{scale(picture_->width(), d), scale(picture_->height(), d)});
}

} // namespace tv::toolkit::win32
