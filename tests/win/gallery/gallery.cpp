// Lays out every window from its layout file on the native backend, with handlers that do
// nothing, shows it, and saves what the screen shows of it as <folder>/<Window>.png.
// The main window is saved twice: as it comes up, and in the middle of a run.
// Fails (exit code 1) when a picture cannot be saved or a window did not reach the screen.

#include <windows.h>
#include <wincodec.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/Layout.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#ifdef TV_GALLERY_MAKER_HOST
#include "ui/MakerAddresses.h"
#endif

using namespace tv::toolkit;
using tv::win32::ComPtr;

namespace {

void pumpFor(Application& app, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        app.processMessages();
        Sleep(20);
    }
}

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<BYTE> pixels; // BGRX, top-down
    COLORREF at(int x, int y) const {
        const BYTE* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
        return RGB(p[2], p[1], p[0]);
    }
};

// What the screen shows of the window, frame included.
Capture captureWindow(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    Capture capture;
    capture.width = r.right - r.left;
    capture.height = r.bottom - r.top;
    capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height * 4);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::memcpy(capture.pixels.data(), bits, capture.pixels.size());
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

bool savePng(const Capture& capture, const std::wstring& path) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.receive())))
        return false;
    ComPtr<IWICBitmap> source;
    if (FAILED(factory->CreateBitmapFromMemory(static_cast<UINT>(capture.width), static_cast<UINT>(capture.height),
                                               GUID_WICPixelFormat32bppBGR, static_cast<UINT>(capture.width * 4),
                                               static_cast<UINT>(capture.pixels.size()),
                                               const_cast<BYTE*>(capture.pixels.data()),
                                               reinterpret_cast<IWICBitmap**>(source.receive()))))
        return false;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    return SUCCEEDED(factory->CreateStream(reinterpret_cast<IWICStream**>(stream.receive()))) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr,
                                            reinterpret_cast<IWICBitmapEncoder**>(encoder.receive()))) &&
           SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(reinterpret_cast<IWICBitmapFrameEncode**>(frame.receive()), nullptr)) &&
           SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->WriteSource(source.get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

bool similar(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 8 && std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

// The texts the windows' own code puts in at creation, so that the pictures show them.
void fillCreationTexts(Form& form) {
#ifdef TV_GALLERY_MAKER_HOST
    const std::string host = tv::ui::spacedLowerCase(tv::ui::makerHost());
#else
    const std::string host = "w w w . t a r m e l v e i l o . f r ";
#endif
    if (form.name() == "TForm1") {
        form.control<Label>("Label10").setCaption(
            "Bonjour,\r\rChoisissez les tâches à effectuer par Tarmel Veilo\ret cliquez sur Start.");
        form.control<Label>("Label1").setCaption("12 fichiers nettoyables");
        form.control<Label>("Label2").setCaption("0 fichier nettoyable");
        form.control<Label>("Label4").setCaption(host);
    } else if (form.name() == "SplashForm") {
        form.control<Label>("Label4").setCaption(host);
    }
}

// The main window in the middle of a run: stage text, progress, a partial selection.
void showRun(Form& form) {
    form.control<Label>("Label10").setCaption("Nettoyage en cours des cookies");
    form.control<Label>("Label11").show();
    auto& bar = form.control<ProgressBar>("ProgressBar1");
    bar.show();
    bar.setPosition(40);
    auto& box = form.control<CheckBox>("CheckBox25");
    box.setState(CheckState::Grayed);
    box.setCaption("Nettoyage partiel");
    form.control<CheckBox>("CheckBox27").setState(CheckState::Checked);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = argc > 1 ? argv[1] : L"gallery";
    CreateDirectoryW(folder.c_str(), nullptr);
    tv::toolkit::win32::Win32Backend backend;
    Application app(backend);
    app.initialize();
    app.setTitle("Tarmel Veilo");

    int failures = 0;
    auto shoot = [&](Form& form, const std::string& name) {
        form.showForm();
        form.repaint();
        pumpFor(app, 400);
        HWND window = reinterpret_cast<HWND>(form.handle());
        Capture capture = captureWindow(window);
        POINT corner{1, 0};
        RECT client;
        GetClientRect(window, &client);
        corner.y = client.bottom - 2;
        ClientToScreen(window, &corner);
        RECT outer;
        GetWindowRect(window, &outer);
        const COLORREF seen = capture.at(corner.x - outer.left, corner.y - outer.top);
        const std::wstring path = folder + L"\\" + tv::win32::widen(name) + L".png";
        const bool saved = savePng(capture, path);
        const bool onScreen = similar(seen, static_cast<COLORREF>(form.color()));
        std::printf("%s: %dx%d %s%s\n", name.c_str(), capture.width, capture.height, saved ? "saved" : "NOT SAVED",
                    onScreen ? "" : " (background colour not seen)");
        if (!saved || !onScreen) ++failures;
    };

    for (const char* name : {"TForm1", "TForm2", "TForm3", "TForm4", "TForm6", "TSplashForm"}) {
        Layout layout = loadLayout(name);
        auto created = std::make_unique<Form>(app, layout.form.name);
        buildForm(*created, layout, inertHandlers(layout));
        Form& form = app.adopt(std::move(created));
        backend.realize(form);
        fillCreationTexts(form);
        shoot(form, name);
        if (form.name() == "TForm1") {
            showRun(form);
            shoot(form, "TForm1-run");
        }
        form.hide();
    }
    return failures ? 1 : 0;
}
