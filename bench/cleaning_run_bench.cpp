// The whole cleaning run of the desktop group over a large temporary folder, through the real
// platform and the program's own native toolkit, set against a bare DeleteFileW walk of an
// identical tree. What the run costs beyond that walk and its fixed pauses is its own: the
// budget's count, the stages, the registry and recycle-bin tasks, the closing recount.
// Prints one "ROUND <n> <files> <run s> <pauses s> <bare walk s> <count s>" line per round for
// bench/cleaning-run.sh.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ReferenceWalks.h"
#include "engine/Run.h"
#include "engine/FolderOps.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Form.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"
#include "ui/RunSummary.h"
#include "ui/WindowRun.h"

namespace tv::bench {
namespace {

// The real system, with the temporary and recent-documents folders of the bench's own, and
// every pause the run asks for added up (and taken).
class BenchPlatform : public win32::Win32Platform {
public:
    std::string temp;   // with its trailing backslash
    std::string recent;
    std::uint64_t pausedMs = 0;
    std::string tempFolderPath() override { return temp; }
    std::string specialFolderPath(int csidl) override {
        return csidl == kCsidlRecent ? recent : Win32Platform::specialFolderPath(csidl);
    }
    void sleep(std::uint32_t milliseconds) override {
        pausedMs += milliseconds;
        Win32Platform::sleep(milliseconds);
    }
};

double seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Work>
double timed(Work work) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return seconds(start, end);
}

// `folders` folders of `perFolder` empty files each below `root`.
bool plantTree(const std::wstring& root, int folders, int perFolder) {
    CreateDirectoryW(root.c_str(), nullptr);
    for (int f = 0; f < folders; ++f) {
        const std::wstring folder = root + L"\\d" + std::to_wstring(f);
        if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
        for (int n = 0; n < perFolder; ++n) {
            HANDLE h = CreateFileW((folder + L"\\f" + std::to_wstring(n) + L".tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
            CloseHandle(h);
        }
    }
    return true;
}

int run(int folders, int perFolder, int runs) {
    const int files = folders * perFolder;
    BenchPlatform platform;
    const std::string base = win32::Win32Platform().tempFolderPath() + "TarmelVeiloRunBench";
    platform.temp = base + "\\Temp\\";
    platform.recent = base + "\\Recent";
    const std::wstring wideBase = win32::systemPath(base);
    const std::wstring runTree = win32::systemPath(base + "\\Temp"), bareTree = win32::systemPath(base + "\\Bare");
    CreateDirectoryW(wideBase.c_str(), nullptr);
    CreateDirectoryW(win32::systemPath(platform.recent).c_str(), nullptr);

    // The main window's status panel, on the native toolkit.
    toolkit::win32::Win32Backend native;
    toolkit::Application app(native);
    app.initialize();
    app.setTitle("Tarmel Veilo");
    toolkit::Form& form = app.adopt(std::make_unique<toolkit::Form>(app, "BenchForm"));
    form.setClientSize(420, 90);
    auto& status = form.add(std::make_unique<toolkit::Label>("Label10"), nullptr);
    status.setBounds({8, 4, 400, 13});
    auto& caption = form.add(std::make_unique<toolkit::Label>("Label11"), nullptr);
    caption.setBounds({8, 43, 78, 13});
    caption.setCaption("Progression");
    caption.hide();
    auto& bar = form.add(std::make_unique<toolkit::ProgressBar>("ProgressBar1"), nullptr);
    bar.setBounds({100, 44, 300, 14});
    bar.hide();
    auto& master = form.add(std::make_unique<toolkit::CheckBox>("CheckBox25"), nullptr);
    master.setBounds({8, 66, 150, 17});
    auto& count = form.add(std::make_unique<toolkit::Label>("Label1"), nullptr);
    count.setBounds({200, 66, 200, 13});
    native.realize(form);
    form.showForm();

    engine::TaskSelection tasks;
    tasks.selectGroup(engine::WindowsGroup, true);
    ui::WindowCallback counting(app);
    ui::WindowRun window(app, [&](std::uint32_t ms) { platform.sleep(ms); }, {status, caption, bar, master, count}, [&] {
        engine::CountFiles(platform, counting, platform.specialFolderPath(kCsidlInternetCache));
        engine::CountFiles(platform, counting, platform.specialFolderPath(kCsidlCookies));
        engine::CountFiles(platform, counting, platform.temp);
    });

    std::printf("Temporary folder: %d folders x %d files = %d files, in %s\n", folders, perFolder, files, base.c_str());
    for (int r = 0; r < runs; ++r) {
        if (!plantTree(runTree, folders, perFolder) || !plantTree(bareTree, folders, perFolder)) {
            std::fprintf(stderr, "could not plant the trees (error %lu)\n", GetLastError());
            return 2;
        }
        // The count the run's budget makes of the temporary folder, on the twin tree: the
        // part of the run's own cost that the budget alone asks for.
        int counted = 0;
        const double count = timed([&] { counted = engine::CountFiles(platform, counting, win32::narrow(bareTree)); });
        if (counted != files) {
            std::fprintf(stderr, "the count found %d files, not %d\n", counted, files);
            return 1;
        }
        // Taken in turns, so that a change of load on a shared machine hits both alike.
        double whole = 0, bare = 0;
        auto cleaningRun = [&] {
            platform.pausedMs = 0;
            whole = timed([&] {
                engine::RunReport report;
                engine::RunCleaning(platform, window, {.tasks = tasks}, report);
            });
        };
        auto bareWalk = [&] { bare = timed([&] { barePurgeFolder(bareTree); }); };
        if (r % 2 == 0) {
            cleaningRun();
            bareWalk();
        } else {
            bareWalk();
            cleaningRun();
        }
        if (engine::CountFiles(platform, counting, platform.temp) != 0 || status.caption() != ui::kCongratulation) {
            std::fprintf(stderr, "the run did not empty the temporary folder\n");
            return 1;
        }
        if (bareCountFiles(bareTree) != 0) {
            std::fprintf(stderr, "the bare walk left files\n");
            return 1;
        }
        std::printf("ROUND %d %d %.6f %.6f %.6f %.6f\n", r + 1, files, whole,
                    static_cast<double>(platform.pausedMs) / 1000.0, bare, count);
        std::fflush(stdout);
    }

    RemoveDirectoryW(runTree.c_str());
    RemoveDirectoryW(bareTree.c_str());
    RemoveDirectoryW(win32::systemPath(platform.recent).c_str());
    RemoveDirectoryW(wideBase.c_str());
    return 0;
}

} // namespace
} // namespace tv::bench

int main(int argc, char** argv) {
    int folders = 100, perFolder = 500, runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--folders") folders = value;
        else if (option == "--files") perFolder = value;
        else if (option == "--runs") runs = value;
    }
    if (folders < 1 || perFolder < 1 || runs < 1) return 2;
    return tv::bench::run(folders, perFolder, runs);
}
