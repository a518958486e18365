#include "platform/toolkit/win32/GifPicture.h"

#include <wincodec.h>

#include <cstring>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"

namespace tv::toolkit::win32 {

using tv::win32::ComPtr;

namespace {

// The resource's bytes, or an empty view.
std::pair<const BYTE*, DWORD> resourceBytes(const std::string& name) {
    HMODULE module = GetModuleHandleW(nullptr);
    std::wstring wide = tv::win32::widen(name);
    HRSRC info = FindResourceW(module, wide.c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!info) return {nullptr, 0};
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded) return {nullptr, 0};
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, info)};
}

} // namespace

std::unique_ptr<GifPicture> GifPicture::load(const std::string& name) {
    auto [bytes, size] = resourceBytes(name);
    if (!bytes || !size) return nullptr;

    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.receive())))
        return nullptr;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(reinterpret_cast<IWICStream**>(stream.receive()))) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), size)))
        return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                                reinterpret_cast<IWICBitmapDecoder**>(decoder.receive()))))
        return nullptr;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, reinterpret_cast<IWICBitmapFrameDecode**>(frame.receive())))) return nullptr;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(reinterpret_cast<IWICFormatConverter**>(converter.receive()))) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        return nullptr;
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || !width || !height) return nullptr;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap) return nullptr;
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(pixels)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return std::make_unique<GifPicture>(bitmap, static_cast<int>(width), static_cast<int>(height));
}

GifPicture::~GifPicture() { DeleteObject(bitmap_); }

void GifPicture::draw(HDC dc, POINT at, SIZE size) const {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap_);
    if (size.cx == width_ && size.cy == height_) {
        BitBlt(dc, at.x, at.y, width_, height_, memory, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, at.x, at.y, size.cx, size.cy, memory, 0, 0, width_, height_, SRCCOPY);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

} // namespace tv::toolkit::win32
