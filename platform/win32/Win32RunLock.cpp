// One cleaning at a time in the user's session: a semaphore of one, named in the session's
// own namespace. Not a mutex: the thread that holds a mutex may take it again (a run started
// inside a run would go through), and only that thread may let it go.

#include <windows.h>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

constexpr wchar_t kRunLockName[] = L"Local\\TarmelVeilo.CleaningRun";

class Win32RunLockHold : public RunLockHold {
public:
    explicit Win32RunLockHold(ProcessHandle semaphore) : semaphore_(std::move(semaphore)) {}
    ~Win32RunLockHold() override { ReleaseSemaphore(semaphore_.get(), 1, nullptr); }
    Win32RunLockHold(const Win32RunLockHold&) = delete;
    Win32RunLockHold& operator=(const Win32RunLockHold&) = delete;

private:
    ProcessHandle semaphore_;
};

} // namespace

RunLock Win32Platform::takeRunLock() {
    ProcessHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, kRunLockName));
    if (!semaphore) {
        const DWORD error = GetLastError();
        // The name is taken by an object that is not ours to open: of another kind, or made
        // by another account of this session.
        const bool taken = error == ERROR_INVALID_HANDLE || error == ERROR_ACCESS_DENIED;
        return {taken ? RunLockState::HeldElsewhere : RunLockState::Refused, nullptr, error};
    }
    switch (WaitForSingleObject(semaphore.get(), 0)) {
    case WAIT_OBJECT_0: return {RunLockState::Taken, std::make_unique<Win32RunLockHold>(std::move(semaphore)), 0};
    case WAIT_TIMEOUT: return {RunLockState::HeldElsewhere, nullptr, 0};
    default: return {RunLockState::Refused, nullptr, GetLastError()};
    }
}

} // namespace tv::win32
