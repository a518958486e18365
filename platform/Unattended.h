#pragma once
// What a program that runs with nobody watching asks of the system: one cleaning at a time in
// the user's session, a session that never turns an error into a box, its standard streams,
// a log file it appends to, the local time, and the current user's Task Scheduler.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// --- one cleaning at a time, whatever program runs it (the window or the console) ---
class RunLockHold {
public:
    virtual ~RunLockHold() = default; // lets the lock go
};
enum class RunLockState {
    Taken,         // this run holds it
    HeldElsewhere, // another run of this session holds it (or an object of its name that is not ours)
    Refused,       // the system would not make it
};
struct RunLock {
    RunLockState state = RunLockState::Refused;
    std::unique_ptr<RunLockHold> hold; // set when taken; the lock goes with it
    std::uint32_t error = 0;           // the system's reason when refused
    bool taken() const { return state == RunLockState::Taken; }
};

// --- an unattended program's session ---
// While it lives: no error of the system becomes a box, COM is ready on this thread, and
// Ctrl+C or Ctrl+Break only raise the flag that interrupted() reads.
class UnattendedSession {
public:
    virtual ~UnattendedSession() = default;
    // COM could not be made ready: the run's stores cannot be reached.
    virtual bool ready() const = 0;
    virtual bool interrupted() const = 0;
};

enum class StandardStream { Output, Error };

// A file opened to be appended to; closed when it goes.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    virtual bool append(std::string_view bytes) = 0;
};
struct AppendOpening {
    std::unique_ptr<AppendFile> file; // null when refused
    bool link = false;                // refused because the name is a link (or leads elsewhere)
    std::uint32_t error = 0;          // the system's reason otherwise
};

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// --- the current user's Task Scheduler ---
enum class ScheduleTrigger { Daily, Logon, Other }; // Other: a trigger made by other hands
// A run of a program that the Task Scheduler starts, in the user's own session and rights.
struct ScheduledRun {
    ScheduleTrigger trigger = ScheduleTrigger::Daily;
    int hour = 0, minute = 0; // daily: the local time of day
    std::string program;      // the full path (the task quotes it)
    std::string arguments;
};
// The Task Scheduler's answer: when a call failed, which one and its result code.
struct SchedulerAnswer {
    bool ok = true;
    std::string call;        // "ITaskFolder::RegisterTaskDefinition"
    std::int32_t result = 0; // its HRESULT
};
struct ScheduledRunRead {
    SchedulerAnswer answer;
    std::optional<ScheduledRun> run; // nothing when no task of that name is there
};

} // namespace tv
