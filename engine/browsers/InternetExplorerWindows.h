#pragma once
// Internet Explorer's frame windows, closed before its stores are cleaned.

#include "engine/RunCallback.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// Asks every browser frame window to close, one request per attempt, and gives up after
// kCloseAttemptLimit attempts: false when a frame is still there. The front end is told
// first (a window shows its wait cursor and the closing text). Processes no messages of this
// program while it waits.
bool CloseBrowserWindows(PlatformServices& platform, RunCallback& callback);

} // namespace tv::engine::browsers
