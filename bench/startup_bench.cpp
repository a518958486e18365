// How long the real program takes from its start until its main window is shown, with the
// temporary folder as it is and with a tree of files planted in it: the main window counts
// that folder before it shows. Prints "RESULT startup_<label> <files> <seconds>" (and
// "splash_<label>", until the splash showed) for bench/run.sh, the fastest of the runs.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchTree.h"
#include "ProgramDriver.h"

namespace tv::bench {
namespace {

const std::wstring kMainTitle = e2e::widen("Tarmel veilo 2   - Surfez sur le web en toute discrétion -");

std::wstring tempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, path);
    return std::wstring(path, length);
}

const std::wstring kSplashTitle = L"SplashForm";

double secondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct StartUp {
    double splash = -1; // seconds until the splash window was visible
    double main = -1;   // seconds until the main window was visible
};

// A fine poll: the figures are compared with a pause of one second.
StartUp startOnce() {
    StartUp seen;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    e2e::ProgramDriver program;
    if (!program.started()) return seen;
    auto visible = [&](const std::wstring& title) {
        HWND window = program.topLevel(title);
        return window && IsWindowVisible(window);
    };
    if (e2e::waitUntil([&] { return visible(kSplashTitle) || visible(kMainTitle); }, 120000, 5))
        seen.splash = secondsSince(start);
    if (e2e::waitUntil([&] { return visible(kMainTitle); }, 120000, 5)) seen.main = secondsSince(start);
    return seen;
}

bool measure(const char* label, int files, int runs) {
    std::vector<double> splash, main;
    for (int r = 0; r < runs; ++r) {
        const StartUp seen = startOnce();
        if (seen.main < 0 || seen.splash < 0) {
            std::fprintf(stderr, "the program's windows did not show (%s)\n", label);
            return false;
        }
        splash.push_back(seen.splash);
        main.push_back(seen.main);
    }
    std::printf("RESULT splash_%s %d %.6f\n", label, files, fastest(splash));
    std::printf("RESULT startup_%s %d %.6f\n", label, files, fastest(main));
    std::fflush(stdout);
    return true;
}

} // namespace
} // namespace tv::bench

int main(int argc, char** argv) {
    using namespace tv::bench;
    TreeShape shape;
    int runs = 5;
    std::string label = "planted";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (readShapeOption(shape, option, value)) continue;
        if (option == "--runs") runs = value;
        else if (option == "--label") label = argv[i + 1];
    }
    if (runs < 1 || shape.subfolders < 0) return 2;
    const int filesThere = entriesBelow(tempFolder());
    if (shape.files() <= 0) return measure(label.c_str(), 0, runs) ? 0 : 1;

    Tree tree{tempFolder() + L"TarmelVeiloStartupBench", {}, {}};
    if (entriesBelow(tree.root) != 0) {
        std::fprintf(stderr, "the start-up tree is already there; remove it first\n");
        return 2;
    }
    if (!build(shape, tree)) {
        removeTree(tree);
        std::fprintf(stderr, "could not build the tree (error %lu)\n", GetLastError());
        return 2;
    }
    std::printf("Temporary folder: %d entries of its own, %d files planted\n", filesThere, shape.files());
    const bool shown = measure(label.c_str(), shape.files(), runs);
    removeTree(tree);
    return shown ? 0 : 1;
}
