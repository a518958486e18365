// Files per second of the folder walks through the Windows platform, set against the old
// 8-bit walks with a pump per file and against bare wide-character walks. Prints one
// "RESULT <name> <files> <seconds>" line per measure for bench/run.sh.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "BenchWindow.h"
#include "ReferenceWalks.h"
#include "engine/FolderOps.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Form.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv::bench {
namespace {

struct Shape {
    int folders = 100;
    int subfolders = 100;
    int filesPerFolder = 5;
    int countRuns = 5;
    int purgeRuns = 3;
    int files() const { return folders * subfolders * filesPerFolder; }
};

// The tree, and the lists a loop without a walk works from.
struct Tree {
    std::wstring root;
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders; // deepest first
};

double seconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool build(const Shape& shape, Tree& tree) {
    tree.files.clear();
    tree.folders.clear();
    if (!CreateDirectoryW(tree.root.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    for (int f = 0; f < shape.folders; ++f) {
        const std::wstring folder = tree.root + L"\\d" + std::to_wstring(f);
        if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
        for (int s = 0; s < shape.subfolders; ++s) {
            const std::wstring sub = folder + L"\\s" + std::to_wstring(s);
            if (!CreateDirectoryW(sub.c_str(), nullptr)) return false;
            for (int n = 0; n < shape.filesPerFolder; ++n) {
                std::wstring file = sub + L"\\file" + std::to_wstring(n) + L".tmp";
                HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                       nullptr);
                if (h == INVALID_HANDLE_VALUE) return false;
                CloseHandle(h);
                tree.files.push_back(std::move(file));
            }
            tree.folders.push_back(sub);
        }
        tree.folders.push_back(folder);
    }
    return true;
}

// Files and folders below a folder.
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

// The machine is shared: the fastest of the runs is the one least disturbed by others.
double fastest(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

void report(const char* name, int items, double time) {
    std::printf("RESULT %s %d %.6f\n", name, items, time);
    std::fflush(stdout);
}

struct Measure {
    const char* name;
    std::function<bool()> work; // false: the walk gave a wrong result
    std::vector<double> times;
};

int run(const Shape& shape, const std::string& root) {
    win32::Win32Platform platform;
    // The program's own toolkit: a shown window whose native progress bar the purge steps,
    // and the pump of the real message loop.
    toolkit::win32::Win32Backend native;
    toolkit::Application app(native);
    app.initialize();
    toolkit::Form& form = app.adopt(std::make_unique<toolkit::Form>(app, "BenchForm"));
    form.setClientSize(380, 40);
    toolkit::ProgressBar& bar = form.add(std::make_unique<toolkit::ProgressBar>("ProgressBar1"), nullptr);
    bar.setBounds({10, 10, 360, 20});
    native.realize(form);
    form.showForm();
    toolkit::HeadlessBackend headless;
    toolkit::Application quietApp(headless);
    ProgressWindow window;

    Tree tree{win32::systemPath(root), {}, {}};
    RemoveDirectoryW(tree.root.c_str());
    if (entriesBelow(tree.root) != 0) {
        std::fprintf(stderr, "%s is not empty; remove it first\n", root.c_str());
        return 2;
    }
    const int files = shape.files();
    std::printf("Tree: %d folders x %d subfolders x %d files = %d files, %d folders, in %s\n", shape.folders,
                shape.subfolders, shape.filesPerFolder, files, shape.folders * (1 + shape.subfolders), root.c_str());
    bool built = false;
    report("build", files, seconds([&] { built = build(shape, tree); }));
    if (!built) {
        std::fprintf(stderr, "could not build the tree (error %lu)\n", GetLastError());
        return 2;
    }

    // Counting: the measures take turns, so that a change of load hits them all alike.
    std::vector<Measure> counts = {
        {"count_product", [&] { return engine::CountFiles(platform, app, root) == files; }, {}},
        {"count_baseline", [&] { return ansiCountFiles(root) == files; }, {}},
        {"count_bare_walk", [&] { return bareCountFiles(tree.root) == files; }, {}},
    };
    for (int r = 0; r < shape.countRuns; ++r)
        for (Measure& m : counts) {
            bool right = false;
            m.times.push_back(seconds([&] { right = m.work(); }));
            if (!right) {
                std::fprintf(stderr, "%s gave a wrong count\n", m.name);
                return 1;
            }
        }
    for (const Measure& m : counts) report(m.name, files, fastest(m.times));

    // Purging: a fresh tree for each; every purge must take all of it and leave the root.
    toolkit::ProgressBar quietBar("ProgressBar1");
    auto purgeWith = [&](toolkit::Application& application, toolkit::ProgressBar& progress) {
        progress.setRange(0, files + 100);
        progress.setStep(1);
        progress.setPosition(0);
        engine::PurgeFolder(platform, application, progress, root);
        return progress.position() == files;
    };
    std::vector<Measure> purges = {
        {"purge_product", [&] { return purgeWith(app, bar); }, {}},
        {"purge_product_no_pump", [&] { return purgeWith(quietApp, quietBar); }, {}},
        {"purge_bare_walk",
         [&] {
             barePurgeFolder(tree.root);
             return true;
         },
         {}},
        {"purge_bare_list",
         [&] {
             for (const auto& file : tree.files) DeleteFileW(file.c_str());
             for (const auto& folder : tree.folders) RemoveDirectoryW(folder.c_str());
             return true;
         },
         {}},
        {"purge_baseline",
         [&] {
             int steps = 0;
             ansiPurgeFolder(root, steps);
             return steps == files;
         },
         {}},
    };
    for (int r = 0; r < shape.purgeRuns; ++r)
        for (Measure& m : purges) {
            // The first purge takes the tree the counts walked.
            if (entriesBelow(tree.root) == 0 && !build(shape, tree)) {
                std::fprintf(stderr, "could not rebuild the tree for %s\n", m.name);
                return 2;
            }
            bool right = false;
            m.times.push_back(seconds([&] { right = m.work(); }));
            const int left = entriesBelow(tree.root);
            if (!right || left != 0 || GetFileAttributesW(tree.root.c_str()) == INVALID_FILE_ATTRIBUTES) {
                std::fprintf(stderr, "%s went wrong (%d entries left)\n", m.name, left);
                return 1;
            }
        }
    for (const Measure& m : purges) report(m.name, files, fastest(m.times));

    // What one position change of a native progress control costs, for the record: the
    // walks step the bar once per file.
    const int steps = 2000;
    SendMessageW(window.progress(), PBM_SETRANGE32, 0, steps);
    report("native_progress_setpos", steps, seconds([&] {
               for (int i = 1; i <= steps; ++i) SendMessageW(window.progress(), PBM_SETPOS, i, 0);
           }));

    RemoveDirectoryW(tree.root.c_str());
    return 0;
}

} // namespace
} // namespace tv::bench

int main(int argc, char** argv) {
    tv::bench::Shape shape;
    std::string root;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--folders") shape.folders = value;
        else if (option == "--subfolders") shape.subfolders = value;
        else if (option == "--files") shape.filesPerFolder = value;
        else if (option == "--count-runs") shape.countRuns = value;
        else if (option == "--purge-runs") shape.purgeRuns = value;
        else if (option == "--root") root = argv[i + 1];
    }
    if (root.empty()) {
        tv::win32::Win32Platform platform;
        root = platform.tempFolderPath() + "TarmelVeiloBench";
    }
    if (shape.countRuns < 1 || shape.purgeRuns < 1 || shape.files() <= 0) return 2;
    return tv::bench::run(shape, root);
}
