#pragma once
// What a cleaning run did, or would do, as data: each task's outcome as a value, the items
// planned or removed with their counts and bytes, and every place that stayed. The run fills
// it as it goes, so that an error that ends the run still leaves what was done. The words a
// user reads are made from it by each front end.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/TaskSelection.h"

namespace tv::engine {

enum class RunMode { Execute, Plan };

// What became of one operation of a task, and of a task as a whole (its worst operation).
enum class Outcome { Cleaned, NotPresent, Impossible };

// What one item of the run is made of.
enum class ItemKind {
    FolderFiles,    // the files below a folder (the folder stays)
    DatabaseRows,   // rows of a browser's database
    RegistryValues, // values of a registry list
    RegistryKeys,   // a registry list's values and subkeys, the list's key kept
    BrowserFile,    // a browser's file deleted whole
    JumpListEntries, // entries of the programs' jump lists that nobody pinned
    RecycleBin,     // the items of every drive's recycle bin
    UrlCache,       // Internet Explorer's URL cache entries
    HistoryStore,   // Internet Explorer's history store, emptied through its interface
    FormData,       // Internet Explorer's stored form data (a protected-storage key)
};

// Where an item is, as its user knows it. A front end makes its words from these parts.
struct Place {
    std::string path;    // the folder, the registry key (below HKEY_CURRENT_USER unless `machineHive`), or the file
    std::string browser; // "Google Chrome"; empty when the item is no browser's
    std::string profile; // the profile's own name; empty when its browser has one profile only
    std::string store;   // the browser's store, relative to its profile ("History", "Network\Cookies")
    bool machineHive = false;
};

// One item a plan would remove, or a run removed.
struct ReportItem {
    std::size_t task = 0;
    ItemKind kind = ItemKind::FolderFiles;
    Place place;
    // Stable for the same item between a plan and the run that follows it: what a user
    // leaves out of a run is named by it.
    std::string key;
    std::uint64_t count = 0;             // files, rows, values, entries, items
    std::optional<std::uint64_t> bytes;  // where there are bytes
    bool browserRunning = false;         // its browser runs: the run would ask to close it first
};

// Why a browser's store stayed as it was, or stayed in part.
enum class StoreProblem {
    Refused,       // held by another program, denied, or behind a link
    Damaged,       // not a sound database, or not the store expected
    HoldsTrigger,  // a database that runs code of its own when written
    NetworkPath,   // on a network drive or share: never opened
    RebuildFailed, // its rows went, but the file still holds their pages
    Unreachable,   // the browser's folder could not be read
};

struct StoreLeft {
    std::size_t task = 0;
    std::string browser;
    std::string profile; // the profile's own name: empty when the browser has one profile only, but
                         // for a profile that stayed as a whole
    std::string store;   // as the browsers' tables name it; empty: the profile or browser as a whole
    StoreProblem why = StoreProblem::Refused;
    std::string path;    // where it is
};

// A folder whose contents the run could not reach.
struct FolderLeft {
    std::string path;
    std::string browser; // when it is inside a browser's profile
    std::string profile;
};

struct TaskReport {
    bool ran = false;              // the run reached the task and began it
    bool ended = false;            // it went its whole way
    std::vector<ReportItem> items; // planned, or removed
    int filesStayed = 0;           // files (and links) that a purge could not remove
    int foldersUnreached = 0;
    int keptByChoice = 0;          // items the user left out of this run

    // Each operation's outcome, as it ends.
    void note(Outcome operation) { (operation == Outcome::Cleaned ? cleaned_ : operation == Outcome::NotPresent ? absent_ : impossible_) = true; }
    // A task is as good as its worst operation: impossible when one was, absent when each
    // found nothing there, otherwise cleaned.
    Outcome outcome() const {
        if (impossible_) return Outcome::Impossible;
        return absent_ && !cleaned_ ? Outcome::NotPresent : Outcome::Cleaned;
    }

private:
    bool cleaned_ = false;
    bool absent_ = false;
    bool impossible_ = false;
};

struct RunReport {
    RunMode mode = RunMode::Execute;
    // How far it went.
    bool declined = false;        // the user said no at the gate: nothing was done
    bool anotherRunInProgress = false; // a cleaning already runs in this session: nothing was done
    bool nothingSelected = false; // no task to run
    bool started = false;         // past the gate: tasks run from here on
    bool interrupted = false;     // the front end asked to stop (window closed, Ctrl+C)
    bool finished = false;        // every selected task went its whole way
    std::string error;            // the error that ended the run, when one did

    std::array<TaskReport, kTaskCount> tasks{};

    bool internetExplorerStayedOpen = false;
    std::vector<std::string> browsersLeftOpen; // each named once
    std::vector<StoreLeft> storesLeft;
    FolderLeft firstFolderUnreached;           // the first one met, of all tasks
    int foldersUnreached = 0;

    int filesStayed() const;
    int keptByChoice() const;
    // Finished, every selected task cleaned (or with nothing to clean), and nothing stayed.
    bool complete(const TaskSelection& selected) const;
};

} // namespace tv::engine
