#pragma once
// Which of the eleven cleaning tasks the next run executes. Lives as long as the program;
// written by the option dialogs and the master check boxes, read by the run.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tv::engine {

enum TaskIndex : std::size_t {
    tkInternetFiles = 0,
    tkCookies = 1,
    tkHistory = 2,
    tkTypedUrls = 3,
    tkAutoComplete = 4,
    tkRecentDocs = 5,
    tkRunMru = 6,
    tkMediaPlayer = 7,
    tkTempFolder = 8,
    tkOffice = 9,
    tkRecycleBin = 10,
};

inline constexpr std::size_t kTaskCount = 11;

// A contiguous run of task indices: [first, last].
struct TaskGroup {
    std::size_t first;
    std::size_t last;
    constexpr bool contains(std::size_t index) const { return index >= first && index <= last; }
};

inline constexpr TaskGroup InternetGroup{tkInternetFiles, tkAutoComplete};
inline constexpr TaskGroup WindowsGroup{tkRecentDocs, tkRecycleBin};

// Entries hold 0 or 1; a reader treats only 1 as selected, so anything else counts as not.
class TaskSelection {
public:
    std::int32_t& operator[](std::size_t index) { return flags_.at(index); }
    std::int32_t operator[](std::size_t index) const { return flags_.at(index); }

    bool selected(std::size_t index) const { return flags_.at(index) == 1; }
    void select(std::size_t index, bool on) { flags_.at(index) = on ? 1 : 0; }
    void selectGroup(TaskGroup group, bool on);
    bool anySelected(TaskGroup group) const;
    void clear() { flags_.fill(0); }

    const std::array<std::int32_t, kTaskCount>& entries() const { return flags_; }

private:
    std::array<std::int32_t, kTaskCount> flags_{};
};

// True when any browser task is selected: the run then closes the browser first and
// offers the start page at its end.
inline bool internetGroupSelected(const TaskSelection& flags) { return flags.anySelected(InternetGroup); }

} // namespace tv::engine
