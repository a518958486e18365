#include <windows.h>
#include <objbase.h>
#include <urlhist.h>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

// The identifiers are spelt out here so that nothing depends on an import library
// carrying them.
constexpr CLSID kClsidUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
constexpr IID kIidUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};
constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class Win32HistoryStg2 : public UrlHistoryStg2 {
public:
    explicit Win32HistoryStg2(ComPtr<IUrlHistoryStg2> store) : store_(std::move(store)) {}
    std::int32_t clearHistory() override { return store_->ClearHistory(); }
    std::optional<std::uint64_t> entryCount() override {
        ComPtr<IEnumSTATURL> entries;
        if (FAILED(store_->EnumUrls(reinterpret_cast<IEnumSTATURL**>(entries.receive()))) || !entries) return std::nullopt;
        std::uint64_t count = 0;
        for (;;) {
            STATURL entry{};
            entry.cbSize = sizeof entry;
            ULONG fetched = 0;
            const HRESULT next = entries->Next(1, &entry, &fetched);
            if (next != S_OK || fetched != 1) return next == S_FALSE || SUCCEEDED(next) ? std::optional(count) : std::nullopt;
            // The entry's texts are the caller's to free.
            CoTaskMemFree(entry.pwcsUrl);
            CoTaskMemFree(entry.pwcsTitle);
            ++count;
        }
    }

private:
    ComPtr<IUrlHistoryStg2> store_;
};

class Win32HistoryObject : public UrlHistoryObject {
public:
    explicit Win32HistoryObject(ComPtr<IUnknown> object) : object_(std::move(object)) {}
    std::unique_ptr<UrlHistoryStg2> queryHistoryStg2() override {
        ComPtr<IUrlHistoryStg2> store;
        if (FAILED(object_->QueryInterface(kIidUrlHistoryStg2, store.receive())) || !store) return nullptr;
        return std::make_unique<Win32HistoryStg2>(std::move(store));
    }

private:
    ComPtr<IUnknown> object_;
};

} // namespace

UrlHistoryCreation Win32Platform::createUrlHistory() {
    ComPtr<IUnknown> object;
    UrlHistoryCreation creation;
    creation.hresult =
        CoCreateInstance(kClsidUrlHistory, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, kIidUnknown,
                         object.receive());
    if (SUCCEEDED(creation.hresult) && object)
        creation.object = std::make_unique<Win32HistoryObject>(std::move(object));
    else if (SUCCEEDED(creation.hresult))
        creation.hresult = E_NOINTERFACE; // success without an object is no success
    return creation;
}

std::string Win32Platform::describeError(std::int32_t code) {
    wchar_t text[1024] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring_view message(text, length);
    // The system ends its descriptions with a line break; the error box adds its own layout.
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.remove_suffix(1);
    return narrow(message);
}

} // namespace tv::win32
