#pragma once
// The running browsers, before a run touches their profiles: the user is told which ones
// will be closed and may decline; each is asked to close as a user would, and waited for,
// for a bounded time. A browser is never ended: one that stays is left alone.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/RunCallback.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// A browser as the gate sees it, whatever its family.
struct GatedBrowser {
    std::string name;                  // as its users know it
    std::string windowClass;           // of its top-level windows
    std::vector<std::string> programs; // its program below the folder it is installed in
    std::function<bool()> running;     // whether it still holds its profiles
    std::function<void()> leaveAlone;  // it runs on: its profiles are not to be touched
};

// What the gate does with the browsers that run: asks (the front end's CloseBrowsers
// question), closes them without asking, or leaves them open without asking.
enum class GateMode { Ask, Close, LeaveOpen };

// Leaves alone every browser that still runs at the end, or that the user chose to keep.
void closeRunningBrowsers(PlatformServices& platform, RunCallback& callback, const std::vector<GatedBrowser>& browsers,
                          GateMode mode = GateMode::Ask);

inline constexpr std::uint64_t kBrowserCloseWaitMs = 10000;
inline constexpr std::uint32_t kBrowserClosePollMs = 100;
inline constexpr std::uint32_t kWmClose = 0x0010;

} // namespace tv::engine::browsers
