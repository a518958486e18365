#pragma once
// What the browsers' profile tests share: the in-memory platform, the run's display, and the
// five Internet tasks run one after the other as a run does.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/browsers/BrowserTaskResult.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/support/BrowserDatabases.h"
#include "tests/support/HeadlessRunDisplay.h"

namespace tv::testsupport {

class BrowserProfilesTest : public ::testing::Test, protected HeadlessRunDisplay {
protected:
    BrowserProfilesTest() : HeadlessRunDisplay(100000) {}
    memory::MemoryPlatform platform;

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
            all.storesStayed.insert(all.storesStayed.end(), result.storesStayed.begin(), result.storesStayed.end());
            all.foldersUnreached += result.foldersUnreached;
            all.foldersStayed.insert(all.foldersStayed.end(), result.foldersStayed.begin(), result.foldersStayed.end());
        }
        return all;
    }
};

} // namespace tv::testsupport
