// A browser profile of a heavy user, cleaned as the Internet tasks clean it: a history of
// 100,000 addresses and 300,000 visits built from the browser's own schema, and a cache of
// files planted by the caller. Prints the database part of a history cleaning (one
// transaction) and the cache purge against a bare walk of a twin folder.
//   browser_bench.exe --work <folder> [--addresses N] [--visits N] [--runs N]
// <folder> holds Cache_Data and Bare_Data, filled alike by the caller (bench/browser-profile.sh).

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchTree.h"
#include "ReferenceWalks.h"
#include "engine/FolderOps.h"
#include "engine/browsers/DatabaseCleaning.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"
#include "tests/support/BrowserDatabases.h"
#include "ui/WindowRun.h"

using namespace tv;

namespace {

struct Options {
    std::string work;
    int addresses = 100000;
    int visits = 300000;
};

// The history file, filled in one transaction with prepared statements.
bool buildHistory(const std::string& path, const Options& options) {
    DeleteFileW(win32::widen(path).c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) return false;
    const std::string schema = testsupport::browserSchema("chromium", "History");
    bool ok = sqlite3_exec(db, schema.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* url = nullptr;
    sqlite3_stmt* visit = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "INSERT INTO urls(id,url,title,visit_count,typed_count,last_visit_time) VALUES(?,?,?,3,1,?)", -1, &url, nullptr) == SQLITE_OK &&
         sqlite3_prepare_v2(db, "INSERT INTO visits(url,visit_time,transition,visit_duration) VALUES(?,?,805306368,1000)", -1, &visit, nullptr) == SQLITE_OK;
    for (int i = 1; ok && i <= options.addresses; ++i) {
        const std::string address = "https://site" + std::to_string(i % 5000) + ".example/articles/" + std::to_string(i) + "?ref=feed";
        const std::string title = "Article " + std::to_string(i) + " - Journal du jour";
        sqlite3_bind_int(url, 1, i);
        sqlite3_bind_text(url, 2, address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(url, 3, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(url, 4, 13300000000000000LL + i);
        ok = sqlite3_step(url) == SQLITE_DONE && sqlite3_reset(url) == SQLITE_OK;
    }
    for (int i = 0; ok && i < options.visits; ++i) {
        sqlite3_bind_int(visit, 1, 1 + i % options.addresses);
        sqlite3_bind_int64(visit, 2, 13300000000000000LL + i);
        ok = sqlite3_step(visit) == SQLITE_DONE && sqlite3_reset(visit) == SQLITE_OK;
    }
    sqlite3_finalize(url);
    sqlite3_finalize(visit);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

long long fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win32::widen(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--work") options.work = argv[i + 1];
        else if (option == "--addresses") options.addresses = std::stoi(argv[i + 1]);
        else if (option == "--visits") options.visits = std::stoi(argv[i + 1]);
        else if (option == "--runs") runs = std::stoi(argv[i + 1]);
    }
    if (options.work.empty() || options.addresses < 1) {
        std::fprintf(stderr, "usage: browser_bench --work <folder> [--addresses N] [--visits N] [--runs N]\n");
        return 2;
    }
    win32::Win32Platform platform;
    const std::string history = options.work + "\\History";
    std::vector<double> cleanings;
    for (int run = 0; run < runs; ++run) {
        if (!buildHistory(history, options)) {
            std::fprintf(stderr, "cannot build %s\n", history.c_str());
            return 1;
        }
        const long long before = fileSize(history);
        auto folder = platform.openFolderHandle(options.work);
        engine::browsers::StoreOutcome outcome{};
        const double took = bench::seconds([&] {
            outcome = engine::browsers::cleanDatabase(*folder.handle, "History", engine::browsers::DatabaseWork::EmptyAllTables,
                                                      "urls", engine::browsers::Erasure::Rebuild)
                          .outcome;
        });
        if (outcome != engine::browsers::StoreOutcome::Cleaned) {
            std::fprintf(stderr, "the history was not cleaned\n");
            return 1;
        }
        cleanings.push_back(took);
        std::printf("HISTORY run=%d addresses=%d visits=%d bytes_before=%lld bytes_after=%lld seconds=%.3f\n", run + 1,
                    options.addresses, options.visits, before, fileSize(history), took);
    }
    std::printf("HISTORY_FASTEST seconds=%.3f\n", bench::fastest(cleanings));

    // The cache purge as the task runs it, and the bare walk over the twin folder.
    toolkit::HeadlessBackend headless;
    toolkit::Application app(headless);
    toolkit::ProgressBar bar("ProgressBar1");
    bar.setRange(0, 1 << 30);
    toolkit::Label status("Label10"), caption("Label11"), count("Label1");
    toolkit::CheckBox master("CheckBox25");
    ui::WindowRun window(app, {}, {status, caption, bar, master, count});
    const std::string cache = options.work + "\\Cache_Data";
    const int files = engine::CountFiles(platform, window, cache);
    const double purge = bench::seconds([&] { engine::PurgeFolder(platform, window, cache); });
    const double bare = bench::seconds([&] { bench::barePurgeFolder(win32::widen(options.work + "\\Bare_Data")); });
    std::printf("CACHE files=%d purge_seconds=%.3f bare_seconds=%.3f ratio=%.2f left=%d\n", files, purge, bare,
                bare > 0 ? purge / bare : 0.0, engine::CountFiles(platform, window, cache));
    std::fflush(stdout);
    return 0;
}
