#pragma once
// How the cleaning run talks to the program that started it. The run calls; each front end
// (the main window, the preview window, the console program) answers in its own way: a
// window shows the stage and moves its bar, pumps its messages and asks in message boxes; the
// console prints and answers from its command line. The engine knows no window: a run that
// needs to ask, to show or to wait says so here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/RunReport.h"
#include "platform/PlatformServices.h"

namespace tv::engine {

// The questions a run may ask, answered as a message box answers them: a box closed by its
// title bar is neither Yes nor No.
enum class Question {
    FullWipe,              // the Internet master box is checked: every trace goes, Internet Explorer closes
    CloseInternetExplorer, // a partial Internet selection: Internet Explorer's windows close
    CloseBrowsers,         // today's browsers that run, named: close them to clean them?
    StartPage,             // after a run with an Internet task: change the start page?
};
enum class Answer { Yes, No, Closed };

// What a run tells without asking.
enum class Notice {
    NothingSelected, // no task is selected: the run does nothing
    SelectiveHint,   // after a No to the full wipe: how to choose tasks one by one
    PathError,       // a folder the system could not name: that walk does nothing
    AnotherRunInProgress, // another program of the session is cleaning: this run does nothing
};

// What the status label shows when an operation of a task ends.
enum class StatusWord { Cleaned, NotPresent, Impossible, AutoCompleteCleaned };

class RunCallback {
public:
    virtual ~RunCallback() = default;

    // --- the run's course ---
    // Past the gate: from here on the run works (a window shows its wait cursor and bar).
    virtual void working() {}
    // Internet Explorer's windows are being closed (the wait cursor and bar caption go up
    // with the closing text), or today's running browsers are.
    virtual void closingInternetExplorer() {}
    virtual void closingBrowsers() {}
    // The run's total, in progress units, once before the first task.
    virtual void total(std::int32_t units) { (void)units; }
    // A task begins: its stage.
    virtual void taskBegins(std::size_t task) { (void)task; }
    // One operation of the task ended; a task of several shows each in turn.
    virtual void shown(std::size_t task, StatusWord word) { (void)task, (void)word; }
    // The task went its whole way (or stopped where the report says).
    virtual void taskEnded(std::size_t task, const TaskReport& report) { (void)task, (void)report; }
    // Every selected task ran: the report is complete. Not called when the run was declined,
    // had nothing to do, was interrupted or ended on an error.
    virtual void finished(const RunReport& report) { (void)report; }

    // --- progress ---
    // A purge met a file (deleted or not): one step of the bar.
    virtual void fileStep() {}
    // A registry or system operation's share of the total.
    virtual void shareStep(int units) { (void)units; }

    // --- conversation ---
    // `names` are the browsers a CloseBrowsers question is about.
    virtual Answer ask(Question question, const std::vector<std::string>& names) = 0;
    virtual void notice(Notice notice) { (void)notice; }

    // --- staying alive ---
    // A point where a window handles its pending messages (the walks come here at most every
    // few milliseconds, the waits at every turn).
    virtual void pump() {}
    // Whether the run may go on: false once the window has closed or the user interrupted.
    // Asked often: it must not pump.
    virtual bool mayGoOn() { return true; }

    // The window that owns what the system shows on the run's behalf; 0 for none.
    virtual WindowHandle ownerWindow() { return 0; }

    // --- plans ---
    // One item a plan found: what the run would remove there.
    virtual void planned(const ReportItem& item) { (void)item; }
};

} // namespace tv::engine
