// Stands in for the default browser in the tests' Wine prefix: started as
//   browser_stand_in.exe <record file> <address>
// it appends the whole command line it was given, as one UTF-8 line, to the record file.

#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2) return 1;
    HANDLE record = CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    LocalFree(arguments);
    if (record == INVALID_HANDLE_VALUE) return 1;
    const std::wstring line = std::wstring(GetCommandLineW()) + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(record, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(record);
    return 0;
}
