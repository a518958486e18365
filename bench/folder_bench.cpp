// Files per second of the folder walks through the Windows platform, set against the old
// 8-bit walks with a pump per file and against bare wide-character walks down to the
// cheapest we can write. Prints one "RESULT <name> <files> <seconds>" line per measure for
// bench/run.sh, and one "HEAP <name> <bytes> <blocks>" line with the most the walk held on
// the heap at once (the most of its runs) and how many blocks its last run took. --measures
// takes a comma-separated list of the measures to run; all of them without it. With --trace
// it runs each measure once between two named events instead, so that a trace of the Wine
// server's requests can be cut into one slice per walk.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "BenchTree.h"
#include "BenchWindow.h"
#include "FloorWalks.h"
#include "HeapCounter.h"
#include "ReferenceWalks.h"
#include "engine/FolderOps.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Form.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"
#include "ui/WindowRun.h"

namespace tv::bench {
namespace {

struct Shape : TreeShape {
    int countRuns = 5;
    int purgeRuns = 3;
    bool trace = false;
    std::string measures; // empty: all
    bool wanted(std::string_view name) const {
        if (measures.empty()) return true;
        for (size_t start = 0; start <= measures.size();) {
            const size_t end = std::min(measures.find(',', start), measures.size());
            if (std::string_view(measures).substr(start, end - start) == name) return true;
            start = end + 1;
        }
        return false;
    }
};

void report(const char* name, int items, double time) {
    std::printf("RESULT %s %d %.6f\n", name, items, time);
    std::fflush(stdout);
}

// Files each single call is tried on, in a trace.
constexpr int kProbeFiles = 100;

struct Measure {
    const char* name;
    std::function<bool()> work; // false: the walk gave a wrong result
    std::vector<double> times;
    std::size_t heap = 0;        // the most held at once beyond what was held before, in any run
    std::size_t allocations = 0; // blocks taken in the last run
};

// A named event the server's trace shows by its name: where one walk's requests begin or end.
class TraceMarks {
public:
    explicit TraceMarks(bool on) : on_(on) {}
    ~TraceMarks() {
        for (HANDLE h : marks_) CloseHandle(h);
    }
    TraceMarks(const TraceMarks&) = delete;
    TraceMarks& operator=(const TraceMarks&) = delete;
    // Kept open until the end, so that no close falls inside a slice.
    void mark(const char* edge, const char* name) {
        if (!on_) return;
        const std::wstring text = L"tvbench-" + win32::widen(edge) + L"-" + win32::widen(name);
        if (HANDLE h = CreateEventW(nullptr, TRUE, FALSE, text.c_str())) marks_.push_back(h);
    }

private:
    bool on_;
    std::vector<HANDLE> marks_;
};

// The program's own backend, with the time its pumps take counted: what pump and progress
// cost a walk, beside what the walk's files cost.
class TimedPumps : public toolkit::win32::Win32Backend {
public:
    void processMessages() override {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        Win32Backend::processMessages();
        QueryPerformanceCounter(&end);
        ++pumps;
        ticks += end.QuadPart - start.QuadPart;
    }
    double seconds() const {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
    }
    void reset() {
        pumps = 0;
        ticks = 0;
    }
    int pumps = 0;
    long long ticks = 0;
};

// Each run of a measure is checked: a fast walk that misses files is no result.
bool runOnce(Measure& m, TraceMarks& marks) {
    bool right = false;
    marks.mark("begin", m.name);
    resetHeapPeak();
    const std::size_t before = heapInUse(), taken = heapAllocations();
    m.times.push_back(seconds([&] { right = m.work(); }));
    m.heap = std::max(m.heap, heapPeak() - before);
    m.allocations = heapAllocations() - taken;
    marks.mark("end", m.name);
    return right;
}

void reportAll(const std::vector<Measure>& measures, int files) {
    for (const Measure& m : measures) report(m.name, files, fastest(m.times));
    for (const Measure& m : measures) std::printf("HEAP %s %zu %zu\n", m.name, m.heap, m.allocations);
    std::fflush(stdout);
}

// Only the measures asked for.
void keepWanted(std::vector<Measure>& measures, const Shape& shape) {
    std::erase_if(measures, [&](const Measure& m) { return !shape.wanted(m.name); });
}

int run(const Shape& shape, const std::string& root) {
    win32::Win32Platform platform;
    // The program's own toolkit: a shown window whose native progress bar the purge steps,
    // and the pump of the real message loop.
    TimedPumps native;
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
    ui::WindowCallback appWindow(app), quietWindow(quietApp);
    ProgressWindow window;
    TraceMarks marks(shape.trace);

    Tree tree{win32::systemPath(root), {}, {}};
    RemoveDirectoryW(tree.root.c_str());
    if (entriesBelow(tree.root) != 0) {
        std::fprintf(stderr, "%s is not empty; remove it first\n", root.c_str());
        return 2;
    }
    const int files = shape.files();
    std::printf("Tree: %d folders x %d subfolders x %d files = %d files, %d folders, in %s\n", shape.folders,
                shape.subfolders, shape.filesPerFolder, files, shape.allFolders(), root.c_str());
    bool built = false;
    report("build", files, seconds([&] { built = build(shape, tree); }));
    if (!built) {
        std::fprintf(stderr, "could not build the tree (error %lu)\n", GetLastError());
        return 2;
    }
    const bool posix = posixDispositionWorks(tree.root);
    const bool nativeLayer = nativeWalksAvailable();
    if (!posix) std::printf("UNAVAILABLE purge_posix_disposition\n");
    if (!nativeLayer) std::printf("UNAVAILABLE count_native purge_native\n");

    // Counting: the measures take turns, so that a change of load hits them all alike.
    std::vector<Measure> counts = {
        {"count_product", [&] { return engine::CountFiles(platform, appWindow, root) == files; }, {}},
        {"count_product_no_pump", [&] { return engine::CountFiles(platform, quietWindow, root) == files; }, {}},
        // What a preview asks: the purge's own walk and checks, writing nothing.
        {"plan_product", [&] { return engine::PlanFolder(platform, appWindow, root).files == files; }, {}},
        {"count_baseline", [&] { return ansiCountFiles(root) == files; }, {}},
        {"count_bare_walk", [&] { return bareCountFiles(tree.root) == files; }, {}},
        {"count_handle_idboth", [&] { return handleCountFiles(tree.root, Listing::IdBoth) == files; }, {}},
        {"count_handle_full", [&] { return handleCountFiles(tree.root, Listing::Full) == files; }, {}},
    };
    if (nativeLayer) counts.push_back({"count_native", [&] { return nativeCountFiles(tree.root) == files; }, {}});
    keepWanted(counts, shape);
    const int countRuns = shape.trace ? 1 : shape.countRuns;
    for (int r = 0; r < countRuns; ++r)
        for (Measure& m : counts)
            if (!runOnce(m, marks)) {
                std::fprintf(stderr, "%s gave a wrong count\n", m.name);
                return 1;
            }
    if (!counts.empty()) reportAll(counts, files);

    // Purging: a fresh tree for each; every purge must take all of it and leave the root.
    toolkit::ProgressBar quietBar("ProgressBar1");
    toolkit::Label benchStatus("Label10"), benchCaption("Label11"), benchCount("Label1");
    toolkit::CheckBox benchMaster("CheckBox25");
    auto purgeWith = [&](toolkit::Application& application, toolkit::ProgressBar& progress) {
        progress.setRange(0, files + 100);
        progress.setStep(1);
        progress.setPosition(0);
        ui::WindowRun window(application, {}, {benchStatus, benchCaption, progress, benchMaster, benchCount});
        engine::PurgeFolder(platform, window, root);
        return progress.position() == files;
    };
    auto always = [](auto walk) {
        return [walk] {
            walk();
            return true;
        };
    };
    int fastestPumps = 0;
    double fastestPurge = 0, fastestPumpTime = 0;
    std::vector<Measure> purges = {
        {"purge_product",
         [&] {
             native.reset();
             const double took = seconds([&] { purgeWith(app, bar); });
             if (fastestPurge == 0 || took < fastestPurge) {
                 fastestPurge = took;
                 fastestPumps = native.pumps;
                 fastestPumpTime = native.seconds();
             }
             return bar.position() == files;
         },
         {}},
        {"purge_product_no_pump", [&] { return purgeWith(quietApp, quietBar); }, {}},
        {"purge_bare_walk", always([&] { barePurgeFolder(tree.root); }), {}},
        {"purge_bare_list", always([&] {
             for (const auto& file : tree.files) DeleteFileW(file.c_str());
             for (const auto& folder : tree.folders) RemoveDirectoryW(folder.c_str());
         }),
         {}},
        {"purge_baseline",
         [&] {
             int steps = 0;
             ansiPurgeFolder(root, steps);
             return steps == files;
         },
         {}},
        {"purge_disposition", [&] { return handlePurgeFolder(tree.root, Deletion::Disposition); }, {}},
        {"purge_delete_on_close", [&] { return handlePurgeFolder(tree.root, Deletion::DeleteOnClose); }, {}},
    };
    if (posix)
        purges.push_back(
            {"purge_posix_disposition", [&] { return handlePurgeFolder(tree.root, Deletion::PosixDisposition); }, {}});
    if (nativeLayer) purges.push_back({"purge_native", always([&] { nativePurgeFolder(tree.root); }), {}});
    keepWanted(purges, shape);
    // No purge runs asked: the counts alone, for quick comparisons.
    const int purgeRuns = shape.trace ? 1 : shape.purgeRuns;
    for (int r = 0; r < purgeRuns; ++r)
        for (Measure& m : purges) {
            // The first purge takes the tree the counts walked.
            if (entriesBelow(tree.root) == 0 && !build(shape, tree)) {
                std::fprintf(stderr, "could not rebuild the tree for %s\n", m.name);
                return 2;
            }
            const bool right = runOnce(m, marks);
            const int left = entriesBelow(tree.root);
            if (!right || left != 0 || GetFileAttributesW(tree.root.c_str()) == INVALID_FILE_ATTRIBUTES) {
                std::fprintf(stderr, "%s went wrong (%d entries left)\n", m.name, left);
                return 1;
            }
        }
    if (purgeRuns > 0 && !purges.empty()) {
        reportAll(purges, files);
        // In the fastest product purge: how many pumps, and the seconds spent in them.
        report("purge_product_pumps", fastestPumps, fastestPumpTime);
    }

    // What the single calls of a safe walk cost, for the trace.
    if (shape.trace)
        probeCalls(tree.root + L"\\probe", kProbeFiles, [&](const char* name, const std::function<void()>& calls) {
            marks.mark("begin", name);
            calls();
            marks.mark("end", name);
        });

    // What one position change of a native progress control costs, for the record: the
    // walks step the bar once per file.
    if (!shape.trace && shape.measures.empty()) {
        const int steps = 2000;
        SendMessageW(window.progress(), PBM_SETRANGE32, 0, steps);
        report("native_progress_setpos", steps, seconds([&] {
                   for (int i = 1; i <= steps; ++i) SendMessageW(window.progress(), PBM_SETPOS, i, 0);
               }));
        // One pass of the program's pump after the bar moved: what the walks pay at each pump.
        const int pumps = 200;
        bar.setRange(0, pumps);
        bar.setStep(1);
        bar.setPosition(0);
        report("native_pump_with_bar", pumps, seconds([&] {
                   for (int i = 0; i < pumps; ++i) {
                       bar.stepIt();
                       app.processMessages();
                   }
               }));
    }

    // Only counts ran: the tree is still there.
    if (entriesBelow(tree.root) != 0) removeTree(tree);
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
        if (readShapeOption(shape, option, value)) continue;
        if (option == "--count-runs") shape.countRuns = value;
        else if (option == "--purge-runs") shape.purgeRuns = value;
        else if (option == "--root") root = argv[i + 1];
        else if (option == "--trace") shape.trace = value != 0;
        else if (option == "--measures") shape.measures = argv[i + 1];
    }
    if (root.empty()) {
        tv::win32::Win32Platform platform;
        root = platform.tempFolderPath() + "TarmelVeiloBench";
    }
    if (shape.countRuns < 1 || shape.purgeRuns < 0 || shape.subfolders < 0 || shape.files() <= 0) return 2;
    return tv::bench::run(shape, root);
}
