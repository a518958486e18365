#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

using EmptyRecycleBinA = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
using EmptyRecycleBinW = HRESULT(WINAPI*)(HWND, LPCWSTR, DWORD);

// GetProcAddress hands back a generic function pointer; the caller knows the real type.
template <typename Function>
Function functionCast(FARPROC proc) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

std::string toAnsi(const std::string& utf8) {
    const std::wstring wide = widen(utf8);
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string ansi(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), needed, nullptr, nullptr);
    return ansi;
}

class Win32Library : public LoadedLibrary {
public:
    explicit Win32Library(ModuleHandle module) : module_(std::move(module)) {}
    bool hasFunction(const std::string& name) const override { return lookup(name) != nullptr; }
    bool callEmptyRecycleBin(const std::string& functionName, WindowHandle owner, const std::string& rootPath,
                             std::uint32_t flags) override {
        FARPROC proc = lookup(functionName);
        if (!proc) return false;
        HWND window = reinterpret_cast<HWND>(owner);
        // An empty root means every drive's recycle bin.
        if (!functionName.empty() && functionName.back() == 'W') {
            const std::wstring root = widen(rootPath);
            functionCast<EmptyRecycleBinW>(proc)(window, rootPath.empty() ? nullptr : root.c_str(), flags);
        } else {
            const std::string root = toAnsi(rootPath);
            functionCast<EmptyRecycleBinA>(proc)(window, rootPath.empty() ? nullptr : root.c_str(), flags);
        }
        return true;
    }

    std::optional<std::uint64_t> recycleBinItemCount() override {
        using QueryRecycleBinW = HRESULT(WINAPI*)(LPCWSTR, LPSHQUERYRBINFO);
        FARPROC proc = lookup("SHQueryRecycleBinW");
        if (!proc) return std::nullopt;
        SHQUERYRBINFO info{};
        info.cbSize = sizeof info;
        if (FAILED(functionCast<QueryRecycleBinW>(proc)(nullptr, &info))) return std::nullopt;
        return static_cast<std::uint64_t>(info.i64NumItems);
    }

private:
    FARPROC lookup(const std::string& name) const {
        return name.empty() ? nullptr : GetProcAddress(module_.get(), name.c_str());
    }
    ModuleHandle module_;
};

const wchar_t* orNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

} // namespace

std::unique_ptr<LoadedLibrary> Win32Platform::loadLibrary(const std::string& name) {
    ModuleHandle module(LoadLibraryW(widen(name).c_str()));
    if (!module) return nullptr;
    return std::make_unique<Win32Library>(std::move(module));
}

void Win32Platform::shellOpen(WindowHandle owner, const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& directory, int showCommand) {
    const std::wstring wideVerb = widen(verb);
    const std::wstring wideFile = widen(file);
    const std::wstring wideParameters = widen(parameters);
    const std::wstring wideDirectory = widen(directory);
    ShellExecuteW(reinterpret_cast<HWND>(owner), orNull(wideVerb), wideFile.c_str(), orNull(wideParameters),
                  orNull(wideDirectory), showCommand);
}

} // namespace tv::win32
