#include "ReferenceWalks.h"

#include <windows.h>

#include "BenchWindow.h"

namespace tv::bench {

namespace {

std::string withBackslash(const std::string& path) { return path.back() == '\\' ? path : path + "\\"; }

bool isFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

HANDLE bareFindFirst(const std::wstring& folder, WIN32_FIND_DATAW& data) {
    return FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
}

} // namespace

int ansiCountFiles(const std::string& path) {
    const std::string folder = withBackslash(path);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int total = 0;
    do {
        if (isFolder(data.dwFileAttributes)) {
            if (data.cFileName[0] != '.') total += ansiCountFiles(folder + data.cFileName);
        } else {
            pumpAll();
            ++total;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return total;
}

void ansiPurgeFolder(const std::string& path, int& steps) {
    const std::string folder = withBackslash(path);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (isFolder(data.dwFileAttributes)) {
            if (data.cFileName[0] != '.') {
                ansiPurgeFolder(folder + data.cFileName, steps);
                RemoveDirectoryA((folder + data.cFileName).c_str());
            }
        } else {
            pumpAll();
            DeleteFileA((folder + data.cFileName).c_str());
            ++steps;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

int bareCountFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = bareFindFirst(folder, data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int total = 0;
    do {
        if (!isFolder(data.dwFileAttributes))
            ++total;
        else if (data.cFileName[0] != L'.')
            total += bareCountFiles(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return total;
}

void barePurgeFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = bareFindFirst(folder, data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring child = folder + L"\\" + data.cFileName;
        if (!isFolder(data.dwFileAttributes)) {
            DeleteFileW(child.c_str());
        } else if (data.cFileName[0] != L'.') {
            barePurgeFolder(child);
            RemoveDirectoryW(child.c_str());
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

} // namespace tv::bench
