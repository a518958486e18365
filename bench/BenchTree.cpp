#include "BenchTree.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "HostTools.h"
#include "platform/win32/Utf8.h"

namespace tv::bench {

namespace {

// Wine looks through the whole folder for a namesake before it creates a file, so filling a
// folder of hundreds of thousands from here would take hours; the host's own tools fill it
// in seconds, with the same names. Smaller folders are made here, as they always were.
constexpr int kHostFilledFiles = 5000;

std::wstring fileName(const std::wstring& folder, int n) { return folder + L"\\file" + std::to_wstring(n) + L".tmp"; }

bool fillFromHost(const std::wstring& folder, int files) {
    const std::string hostPath = wintest::detail::unixName(win32::narrow(folder));
    // Spelt into a command line as it is: plain characters only.
    const auto plain = [](char c) { return c >= ' ' && c <= '~' && c != '\'' && c != '"'; };
    if (hostPath.empty() || !std::all_of(hostPath.begin(), hostPath.end(), plain)) return false;
    // The files come in order: the last one there says they all are.
    const std::wstring last = fileName(folder, files - 1);
    return wintest::detail::runHost(
        L"Z:\\bin\\sh -c \"cd '" + win32::widen(hostPath) + L"' && seq -f 'file%.0f.tmp' 0 " +
            std::to_wstring(files - 1) + L" | xargs touch\"",
        [&] { return GetFileAttributesW(last.c_str()) != INVALID_FILE_ATTRIBUTES; }, 600000);
}

bool makeFile(const std::wstring& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

} // namespace

bool build(const TreeShape& shape, Tree& tree) {
    tree.files.clear();
    tree.folders.clear();
    if (!CreateDirectoryW(tree.root.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    for (int f = 0; f < shape.folders; ++f) {
        const std::wstring folder = tree.root + L"\\d" + std::to_wstring(f);
        if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
        std::vector<std::wstring> leaves;
        for (int s = 0; s < shape.subfolders; ++s) leaves.push_back(folder + L"\\s" + std::to_wstring(s));
        for (const auto& sub : leaves)
            if (!CreateDirectoryW(sub.c_str(), nullptr)) return false;
        if (leaves.empty()) leaves.push_back(folder);
        for (const auto& leaf : leaves) {
            const bool fromHost = shape.filesPerFolder >= kHostFilledFiles && fillFromHost(leaf, shape.filesPerFolder);
            for (int n = 0; n < shape.filesPerFolder; ++n) {
                std::wstring file = fileName(leaf, n);
                if (!fromHost && !makeFile(file)) return false;
                tree.files.push_back(std::move(file));
            }
            if (leaf != folder) tree.folders.push_back(leaf);
        }
        tree.folders.push_back(folder);
    }
    return true;
}

int entriesBelow(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int entries = 0;
    do {
        if (!std::wcscmp(data.cFileName, L".") || !std::wcscmp(data.cFileName, L"..")) continue;
        ++entries;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) entries += entriesBelow(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return entries;
}

bool readShapeOption(TreeShape& shape, const std::string& option, int value) {
    if (option == "--folders") shape.folders = value;
    else if (option == "--subfolders") shape.subfolders = value;
    else if (option == "--files") shape.filesPerFolder = value;
    else return false;
    return true;
}

void removeTree(const Tree& tree) {
    for (const auto& file : tree.files) DeleteFileW(file.c_str());
    for (const auto& folder : tree.folders) RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(tree.root.c_str());
}

double seconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double fastest(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

} // namespace tv::bench
