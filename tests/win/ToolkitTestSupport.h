#pragma once
// What the native toolkit tests share: an application on the native backend with a form
// built from a layout text, and a helper thread that answers the next message box the way
// a user would.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/Layout.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/win32/Utf8.h"

namespace tv::wintest {

using namespace tv::toolkit;

struct NativeApp {
    toolkit::win32::Win32Backend backend;
    Application app{backend};
    NativeApp() {
        app.initialize();
        app.setTitle("Tarmel Veilo");
    }
    // Builds, adopts and realizes a form from a layout text.
    Form& form(const std::string& layoutText, const Handlers& handlers = {}) {
        Layout layout = parseLayout(layoutText, "test");
        auto created = std::make_unique<Form>(app, layout.form.name);
        buildForm(*created, layout, handlers);
        Form& f = app.adopt(std::move(created));
        backend.realize(f);
        return f;
    }
    void pump(int rounds = 5) {
        for (int i = 0; i < rounds; ++i) {
            app.processMessages();
            Sleep(10);
        }
    }
};

inline HWND hwndOf(const Control& c) { return reinterpret_cast<HWND>(c.handle()); }

inline std::string windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return tv::win32::narrow(text);
}

// What the helper saw of the box it answered.
struct SeenBox {
    std::string caption;
    std::vector<std::string> texts; // the texts of the box's children (message, buttons)
    bool closeEnabled = false;
    bool found = false;
};

// Waits on its own thread for a message box of this process with the given caption, notes
// what it shows, then acts on it (click a button, press a key, close it...).
class BoxAnswerer {
public:
    BoxAnswerer(std::string caption, std::function<void(HWND)> act)
        : caption_(tv::win32::widen(caption)), act_(std::move(act)), thread_([this] { run(); }) {}
    ~BoxAnswerer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // Once the box has been answered (the call that showed it has returned).
    const SeenBox& seen() {
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

private:
    static BOOL CALLBACK collect(HWND child, LPARAM data) {
        auto* texts = reinterpret_cast<std::vector<std::string>*>(data);
        std::string text = windowText(child);
        if (!text.empty()) texts->push_back(text);
        return TRUE;
    }
    void run() {
        for (int i = 0; i < 500 && !stop_; ++i) {
            HWND box = FindWindowW(L"#32770", caption_.c_str());
            DWORD process = 0;
            if (box) GetWindowThreadProcessId(box, &process);
            if (box && process == GetCurrentProcessId() && IsWindowVisible(box)) {
                seen_.found = true;
                seen_.caption = windowText(box);
                EnumChildWindows(box, collect, reinterpret_cast<LPARAM>(&seen_.texts));
                const UINT state = GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND);
                seen_.closeEnabled = state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
                act_(box);
                return;
            }
            Sleep(20);
        }
    }
    std::wstring caption_;
    std::function<void(HWND)> act_;
    SeenBox seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

inline bool contains(const std::vector<std::string>& texts, const std::string& text) {
    for (const auto& t : texts)
        if (t == text) return true;
    return false;
}

} // namespace tv::wintest
