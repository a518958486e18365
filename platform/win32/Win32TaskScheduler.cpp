// The current user's Task Scheduler (2.0, through ITaskService): a task in its root folder,
// registered as the Task Scheduler's own XML and read back as it, that runs a program in the
// user's own session with the user's own token, so that no administrator right is asked.
// Every failure names its call and its result code.

#include <windows.h>
#include <oleauto.h>
#include <taskschd.h>
#define SECURITY_WIN32
#include <security.h>

#include "platform/ScheduledTaskXml.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace tv::win32 {

namespace {

// The identifiers are spelt out here so that nothing depends on an import library carrying them.
constexpr CLSID kClsidTaskScheduler = {0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
constexpr IID kIidTaskService = {0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};

constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
constexpr HRESULT kPathNotFound = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::string_view utf8) {
        const std::wstring wide = widen(utf8);
        text_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return text_; }
    BSTR* receive() {
        SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }
    std::string utf8() const { return text_ ? narrow(std::wstring_view(text_, SysStringLen(text_))) : std::string(); }

private:
    BSTR text_ = nullptr;
};

template <typename Interface>
Interface** out(ComPtr<Interface>& pointer) {
    return reinterpret_cast<Interface**>(pointer.receive());
}

VARIANT none() {
    VARIANT empty;
    VariantInit(&empty);
    return empty;
}

// The calls of one operation: the first that fails is the answer.
class Calls {
public:
    bool ok(HRESULT result, const char* call) {
        if (SUCCEEDED(result)) return true;
        if (answer_.ok) answer_ = {false, call, static_cast<std::int32_t>(result)};
        return false;
    }
    const SchedulerAnswer& answer() const { return answer_; }

private:
    SchedulerAnswer answer_;
};

// The root folder of the current user's Task Scheduler.
ComPtr<ITaskFolder> rootFolder(Calls& calls) {
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> root;
    if (calls.ok(CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidTaskService,
                                  service.receive()),
                 "CoCreateInstance(TaskScheduler)") &&
        calls.ok(service->Connect(none(), none(), none(), none()), "ITaskService::Connect"))
        calls.ok(service->GetFolder(Bstr("\\").get(), out(root)), "ITaskService::GetFolder");
    return root;
}

// The account as the Task Scheduler names it: DOMAIN\user.
std::string accountName() {
    wchar_t name[512] = {};
    ULONG size = static_cast<ULONG>(std::size(name));
    return GetUserNameExW(NameSamCompatible, name, &size) ? narrow(std::wstring_view(name, size)) : std::string();
}

} // namespace

SchedulerAnswer Win32Platform::scheduleRun(const std::string& name, const ScheduledRun& run) {
    Calls calls;
    const std::string user = run.trigger == ScheduleTrigger::Logon ? accountName() : std::string();
    if (run.trigger == ScheduleTrigger::Logon && user.empty()) {
        calls.ok(HRESULT_FROM_WIN32(GetLastError()), "GetUserNameExW(NameSamCompatible)");
        return calls.answer();
    }
    ComPtr<ITaskFolder> root = rootFolder(calls);
    if (!root) return calls.answer();
    ComPtr<IRegisteredTask> registered;
    // The user's own token in the user's session: no password is kept, no right asked.
    calls.ok(root->RegisterTask(Bstr(name).get(), Bstr(scheduledTaskXml(run, localTime(), user)).get(),
                                TASK_CREATE_OR_UPDATE, none(), none(), TASK_LOGON_INTERACTIVE_TOKEN, none(),
                                out(registered)),
             "ITaskFolder::RegisterTask");
    return calls.answer();
}

ScheduledRunRead Win32Platform::readScheduledRun(const std::string& name) {
    Calls calls;
    ComPtr<ITaskFolder> root = rootFolder(calls);
    if (!root) return {calls.answer(), std::nullopt};
    ComPtr<IRegisteredTask> task;
    const HRESULT found = root->GetTask(Bstr(name).get(), out(task));
    if (found == kNotFound || found == kPathNotFound) return {};
    Bstr xml;
    if (!calls.ok(found, "ITaskFolder::GetTask") || !calls.ok(task->get_Xml(xml.receive()), "IRegisteredTask::get_Xml"))
        return {calls.answer(), std::nullopt};
    std::optional<ScheduledRun> run = scheduledRunOfXml(xml.utf8());
    // A task of our name that starts no program is ours to replace all the same.
    if (!run) run = ScheduledRun{ScheduleTrigger::Other, 0, 0, {}, {}};
    return {calls.answer(), run};
}

SchedulerAnswer Win32Platform::removeScheduledRun(const std::string& name, bool& existed) {
    existed = false;
    Calls calls;
    ComPtr<ITaskFolder> root = rootFolder(calls);
    if (!root) return calls.answer();
    const HRESULT removed = root->DeleteTask(Bstr(name).get(), 0);
    if (removed == kNotFound || removed == kPathNotFound) return {};
    existed = calls.ok(removed, "ITaskFolder::DeleteTask");
    return calls.answer();
}

} // namespace tv::win32
