#pragma once
// The folder walks on the real platform, with a progress bar whose position is the number
// of steps taken.

#include <gtest/gtest.h>

#include <string>

#include "engine/FolderOps.h"
#include "platform/toolkit/Application.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/headless/HeadlessBackend.h"
#include "platform/win32/Win32Platform.h"
#include "ui/WindowRun.h"

namespace tv::wintest {

class FolderWalkFixture : public ::testing::Test {
protected:
    FolderWalkFixture() : app(backend), bar("ProgressBar1") {
        // One step per file and room for all of them: the position is the number of steps.
        bar.setRange(0, 1000000);
        bar.setStep(1);
    }

    int count(const std::string& path) { return engine::CountFiles(platform, display, path); }
    int purge(const std::string& path) {
        const int before = bar.position();
        engine::PurgeFolder(platform, display, path);
        return bar.position() - before;
    }

    win32::Win32Platform platform;
    toolkit::HeadlessBackend backend;
    toolkit::Application app;
    toolkit::ProgressBar bar;
    toolkit::Label status{"Label10"}, caption{"Label11"}, count1{"Label1"};
    toolkit::CheckBox master{"CheckBox25"};
    ui::WindowRun display{app, {}, {status, caption, bar, master, count1}};
};

} // namespace tv::wintest
