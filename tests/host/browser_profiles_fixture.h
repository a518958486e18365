#pragma once
// What the browsers' profile tests share: the in-memory platform, the run's display, and the
// five Internet tasks run one after the other as a run does.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/browsers/BrowserTaskResult.h"
#include "platform/memory/MemoryPlatform.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "tests/support/BrowserDatabases.h"

namespace tv::testsupport {

class BrowserProfilesTest : public ::testing::Test {
protected:
    BrowserProfilesTest() { bar.setRange(0, 100000); }
    memory::MemoryPlatform platform;
    toolkit::HeadlessBackend backend;
    toolkit::Application app{backend};
    toolkit::Label status{"Label10"};
    toolkit::Label caption{"Label11"};
    toolkit::ProgressBar bar{"ProgressBar1"};
    engine::RunDisplay display{app, status, caption, bar};

    std::string bytes(const std::string& path) { return platform.files.contentOf(path).value_or(""); }
    Rows rows(const std::string& path, const std::string& sql) { return rowsOf(bytes(path), sql); }

    // Every Internet task's share, as `runTask` does it, with history cleaned too.
    static engine::browsers::BrowserTaskResult
    everyInternetTask(const std::function<engine::browsers::BrowserTaskResult(std::size_t task)>& runTask) {
        engine::browsers::BrowserTaskResult all;
        for (std::size_t task = engine::tkInternetFiles; task <= engine::tkAutoComplete; ++task) {
            auto result = runTask(task);
            all.filesStayed += result.filesStayed;
            all.notCleaned.insert(all.notCleaned.end(), result.notCleaned.begin(), result.notCleaned.end());
            all.leftOpen.insert(all.leftOpen.end(), result.leftOpen.begin(), result.leftOpen.end());
        }
        return all;
    }
};

} // namespace tv::testsupport
