// The in-memory platform's unattended services: a run lock that tests can hold from
// "another program", a session whose Ctrl+C is a flag, streams kept as texts, and a Task
// Scheduler that keeps its runs by name or refuses as told.

#include "platform/memory/MemoryPlatform.h"

namespace tv::memory {

class MemoryRunLockHold : public RunLockHold {
public:
    explicit MemoryRunLockHold(MemoryPlatform& platform) : platform_(platform) { platform_.runLockHeld_ = true; }
    ~MemoryRunLockHold() override { platform_.runLockHeld_ = false; }
    MemoryRunLockHold(const MemoryRunLockHold&) = delete;
    MemoryRunLockHold& operator=(const MemoryRunLockHold&) = delete;

private:
    MemoryPlatform& platform_;
};

namespace {

class MemorySession : public UnattendedSession {
public:
    explicit MemorySession(MemoryPlatform& platform) : platform_(platform) { ++platform_.sessionsOpen; }
    ~MemorySession() override { --platform_.sessionsOpen; }
    MemorySession(const MemorySession&) = delete;
    MemorySession& operator=(const MemorySession&) = delete;
    bool ready() const override { return !platform_.sessionRefused; }
    bool interrupted() const override { return platform_.interruptRequested; }

private:
    MemoryPlatform& platform_;
};

} // namespace

RunLock MemoryPlatform::takeRunLock() {
    ++runLockTakes;
    if (runLockRefusal != 0) return {RunLockState::Refused, nullptr, runLockRefusal};
    if (runLockHeldElsewhere || runLockHeld_) return {RunLockState::HeldElsewhere, nullptr, 0};
    return {RunLockState::Taken, std::make_unique<MemoryRunLockHold>(*this), 0};
}

std::unique_ptr<UnattendedSession> MemoryPlatform::startUnattended() { return std::make_unique<MemorySession>(*this); }

bool MemoryPlatform::writeStandard(StandardStream stream, std::string_view utf8) {
    if (standardStreamsMissing) return false;
    (stream == StandardStream::Output ? standardOutput : standardError).append(utf8);
    return true;
}

AppendOpening MemoryPlatform::openForAppend(const std::string& path) { return files.openForAppend(path); }

SchedulerAnswer MemoryPlatform::scheduleRun(const std::string& name, const ScheduledRun& run) {
    if (schedulerRefusal) return *schedulerRefusal;
    scheduledRuns[name] = schedulerKeepsNoDefinition ? ScheduledRun{ScheduleTrigger::Other, 0, 0, {}, {}} : run;
    return {};
}

ScheduledRunRead MemoryPlatform::readScheduledRun(const std::string& name) {
    if (schedulerRefusal) return {*schedulerRefusal, std::nullopt};
    const auto found = scheduledRuns.find(name);
    if (found == scheduledRuns.end()) return {};
    return {{}, found->second};
}

SchedulerAnswer MemoryPlatform::removeScheduledRun(const std::string& name, bool& existed) {
    existed = false;
    if (schedulerRefusal) return *schedulerRefusal;
    existed = scheduledRuns.erase(name) > 0;
    return {};
}

} // namespace tv::memory
