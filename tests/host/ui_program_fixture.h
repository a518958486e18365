#pragma once
// The whole program, started headless against the in-memory platform.

#include <gtest/gtest.h>

#include "platform/memory/MemoryPlatform.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "ui/Program.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/Unit6.h"

namespace tv::uitest {

class StartedProgram : public ::testing::Test {
protected:
    memory::MemoryPlatform platform;
    toolkit::HeadlessBackend backend;
    toolkit::Application app{backend};

    void SetUp() override {
        for (int csidl : {kCsidlInternetCache, kCsidlCookies, kCsidlHistory, kCsidlRecent})
            platform.files.addFolder(platform.specialFolders[csidl]);
        platform.files.addFolder(platform.tempPath);
    }
    void TearDown() override { ui::forgetWindows(); }

    // Start-up and the first turn of the message loop.
    void start() {
        ASSERT_TRUE(ui::startUp(app, platform));
        app.run();
    }
};

} // namespace tv::uitest
