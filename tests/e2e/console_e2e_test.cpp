// The real TarmVeilonCmd.exe under Wine, started as a script starts it: its standard streams
// through pipes, its exit status waited for, a sandbox of planted files as its temporary
// folder, and every top-level window of its process watched for while it runs.

#include <windows.h>
#include <oleauto.h>
#include <taskschd.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "BrowserRuns.h"
#include "platform/win32/Win32Platform.h"

namespace {

using tv::e2e::widen;
using namespace tv::e2e::browsers;

struct Finished {
    DWORD status = 0xFFFFFFFF;
    std::string out, err;
    bool windowShown = false;
};

// A pipe whose write end the program inherits.
struct Pipe {
    HANDLE read = nullptr, write = nullptr;
    Pipe() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        CreatePipe(&read, &write, &inherit, 0);
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    }
    ~Pipe() {
        if (read) CloseHandle(read);
        if (write) CloseHandle(write);
    }
    void drain(std::string& into) const {
        DWORD available = 0;
        while (PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::string chunk(available, '\0');
            DWORD got = 0;
            if (!ReadFile(read, chunk.data(), available, &got, nullptr) || got == 0) return;
            into.append(chunk, 0, got);
        }
    }
};

bool hasVisibleWindow(DWORD processId) {
    struct Search {
        DWORD process;
        bool found;
    } search{processId, false};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && IsWindowVisible(window)) s->found = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring environmentWith(const std::vector<std::wstring>& overrides) {
    std::wstring block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) {
        const std::wstring variable = p;
        bool replaced = false;
        for (const std::wstring& o : overrides)
            replaced |= _wcsnicmp(variable.c_str(), o.c_str(), o.find(L'=') + 1) == 0;
        if (!replaced) block += variable + L'\0';
    }
    FreeEnvironmentStringsW(strings);
    for (const std::wstring& o : overrides) block += o + L'\0';
    return block + L'\0';
}

// Runs the program with these words, and these variables over the test's environment.
Finished runConsole(const std::vector<std::string>& words, const std::vector<std::wstring>& environment = {}) {
    std::wstring commandLine = L"\"" + tv::e2e::programDirectory() + L"\\TarmVeilonCmd.exe\"";
    for (const std::string& word : words) commandLine += L" \"" + widen(word) + L"\"";
    Pipe out, err;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.write;
    startup.hStdError = err.write;
    std::wstring block = environmentWith(environment);
    PROCESS_INFORMATION process{};
    Finished finished;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << "TarmVeilonCmd.exe did not start: " << GetLastError();
        return finished;
    }
    CloseHandle(out.write);
    CloseHandle(err.write);
    out.write = err.write = nullptr;
    const ULONGLONG until = GetTickCount64() + 180000;
    while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT && GetTickCount64() < until) {
        finished.windowShown |= hasVisibleWindow(process.dwProcessId);
        out.drain(finished.out);
        err.drain(finished.err);
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        ADD_FAILURE() << "TarmVeilonCmd.exe did not end";
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
    }
    GetExitCodeProcess(process.hProcess, &finished.status);
    out.drain(finished.out);
    err.drain(finished.err);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_FALSE(finished.windowShown) << "TarmVeilonCmd.exe showed a window";
    return finished;
}

// A sandbox that the program takes for its temporary folder: three planted files, one of
// them in a subfolder; a file beside the sandbox that no run may touch.
class Sandbox {
public:
    Sandbox() : scratch_("console") {
        wt::makeFolder(scratch_ / "temp");
        wt::makeFolder(scratch_ / "temp\\sub");
        for (const char* file : {"temp\\a.tmp", "temp\\b.tmp", "temp\\sub\\c.tmp", "beside.txt"})
            writeFile(scratch_ / file, "trace");
    }
    std::string temp() const { return scratch_ / "temp"; }
    std::string operator/(const std::string& child) const { return scratch_ / child; }
    std::vector<std::wstring> environment() const {
        return {L"TMP=" + widen(temp()), L"TEMP=" + widen(temp())};
    }
    bool untouched() const {
        for (const char* file : {"temp\\a.tmp", "temp\\b.tmp", "temp\\sub\\c.tmp", "beside.txt"})
            if (readFile(scratch_ / file) != "trace") return false;
        return true;
    }

private:
    wt::ScratchFolder scratch_;
};

bool holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The task's definition as Wine's Task Scheduler holds it, read through its own interface.
std::string scheduledXml(const wchar_t* name, HRESULT& found) {
    ITaskService* service = nullptr;
    std::string xml;
    found = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                             reinterpret_cast<void**>(&service));
    if (FAILED(found)) return xml;
    VARIANT empty;
    VariantInit(&empty);
    ITaskFolder* root = nullptr;
    IRegisteredTask* task = nullptr;
    BSTR rootName = SysAllocString(L"\\"), taskName = SysAllocString(name), text = nullptr;
    if (SUCCEEDED(found = service->Connect(empty, empty, empty, empty)) &&
        SUCCEEDED(found = service->GetFolder(rootName, &root)) && SUCCEEDED(found = root->GetTask(taskName, &task)) &&
        SUCCEEDED(found = task->get_Xml(&text)))
        xml = tv::win32::narrow(std::wstring_view(text, SysStringLen(text)));
    SysFreeString(text);
    SysFreeString(taskName);
    SysFreeString(rootName);
    if (task) task->Release();
    if (root) root->Release();
    service->Release();
    return xml;
}

struct Com {
    Com() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Com() { CoUninitialize(); }
};


} // namespace

TEST(Console, ListsEveryTaskWithItsFrenchNameAsUtf8ThroughAPipe) {
    const Finished list = runConsole({"list"});
    EXPECT_EQ(list.status, 0u) << list.err;
    // "é" as its two UTF-8 bytes, whatever the console's code page.
    EXPECT_TRUE(holds(list.out, "recent-docs     Documents r\xC3\xA9" "cents\r\n")) << list.out;
    EXPECT_TRUE(holds(list.out, "temp            Dossier temporaire\r\n")) << list.out;
    EXPECT_TRUE(holds(list.out, "all             internet-files cookies")) << list.out;
    EXPECT_TRUE(list.err.empty()) << list.err;
}

TEST(Console, HelpPrintsTheUsageAndAnUnknownKeyExitsTwoHavingDoneNothing) {
    for (const char* help : {"--help", "-h", "/?"}) {
        const Finished usage = runConsole({help});
        EXPECT_EQ(usage.status, 0u) << help;
        EXPECT_TRUE(holds(usage.out, "TarmVeilonCmd schedule daily HH:MM")) << help << usage.out;
    }
    const Sandbox sandbox;
    const Finished refused = runConsole({"clean", "temp", "cokies", "--log", sandbox / "journal.txt"}, sandbox.environment());
    EXPECT_EQ(refused.status, 2u);
    EXPECT_TRUE(holds(refused.err, "\xC2\xAB\xC2\xA0" "cokies\xC2\xA0\xC2\xBB")) << refused.err;
    EXPECT_TRUE(refused.out.empty()) << refused.out;
    EXPECT_TRUE(sandbox.untouched());
    EXPECT_FALSE(wt::exists(sandbox / "journal.txt"));
}

TEST(Console, ScheduleRegistersOurCommandLineWithTheTaskSchedulerAndRemoveTakesItAway) {
    const Com com;
    const std::string program = tv::e2e::narrow(tv::e2e::programDirectory()) + "\\TarmVeilonCmd.exe";
    const Finished daily = runConsole({"schedule", "daily", "21:30", "temp", "cookies"});
    HRESULT found = S_OK;
    const std::string xml = scheduledXml(L"Tarmel Veilo", found);
    if (daily.status == 0) {
        EXPECT_EQ(found, S_OK);
        EXPECT_TRUE(holds(xml, "<Arguments>clean cookies temp</Arguments>")) << xml;
        EXPECT_TRUE(holds(xml, "TarmVeilonCmd.exe")) << xml;
        EXPECT_TRUE(holds(xml, "T21:30:00")) << xml;
    } else {
        // Wine 8's Task Scheduler answers S_OK and keeps the task with no trigger and an empty
        // command ("<Triggers/>", "<Exec/>"): the program says so and takes it away again.
        EXPECT_TRUE(tv::wintest::underWine()) << daily.err;
        EXPECT_EQ(daily.status, 3u);
        EXPECT_TRUE(holds(daily.err, "ne l'a pas gard\xC3\xA9" "e telle quelle")) << daily.err;
        EXPECT_EQ(found, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) << xml;
    }

    // A task of our name, as this Task Scheduler keeps it: shown as it is, then removed.
    tv::win32::Win32Platform platform;
    const tv::ScheduledRun run{tv::ScheduleTrigger::Daily, 21, 30, program, "clean cookies temp"};
    const tv::SchedulerAnswer registered = platform.scheduleRun("Tarmel Veilo", run);
    ASSERT_TRUE(registered.ok) << registered.call << " " << registered.result;
    const Finished show = runConsole({"schedule", "show"});
    EXPECT_EQ(show.status, 0u) << show.err;
    EXPECT_TRUE(holds(show.out, daily.status == 0 ? "\"" + program + "\" clean cookies temp" : "Commande\xC2\xA0: aucune"))
        << show.out;

    const Finished remove = runConsole({"schedule", "remove"});
    EXPECT_EQ(remove.status, 0u) << remove.err;
    EXPECT_TRUE(holds(remove.out, "supprim")) << remove.out;
    scheduledXml(L"Tarmel Veilo", found);
    EXPECT_EQ(found, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(holds(runConsole({"schedule", "show"}).out, "n'est planifi")) << "the task is still there";
}

TEST(Console, APreviewCountsWhatIsThereAndRemovesNothingThenTheCleaningRemovesItAndExitsZero) {
    const Sandbox sandbox;
    const Finished preview = runConsole({"preview", "temp", "/json"}, sandbox.environment());
    EXPECT_EQ(preview.status, 0u) << preview.err;
    EXPECT_TRUE(sandbox.untouched());
    const auto json = nlohmann::json::parse(preview.out, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << preview.out;
    EXPECT_EQ(json["mode"], "preview");
    std::uint64_t files = 0;
    for (const auto& item : json["tasks"][0]["items"]) files += item["count"].get<std::uint64_t>();
    EXPECT_EQ(files, 3u) << preview.out;

    const std::string journal = sandbox / "journal.txt";
    const Finished clean = runConsole({"clean", "temp", "--log", journal}, sandbox.environment());
    EXPECT_EQ(clean.status, 0u) << clean.out << clean.err;
    EXPECT_TRUE(holds(clean.out, "Dossier temporaire\xC2\xA0: nettoy\xC3\xA9")) << clean.out;
    EXPECT_FALSE(wt::exists(sandbox / "temp\\a.tmp"));
    EXPECT_FALSE(wt::exists(sandbox / "temp\\sub\\c.tmp"));
    EXPECT_EQ(readFile(sandbox / "beside.txt"), "trace");
    const std::string written = readFile(journal);
    EXPECT_TRUE(holds(written, "TarmVeilonCmd clean temp --log")) << written;
    EXPECT_TRUE(holds(written, "Code de sortie\xC2\xA0: 0")) << written;
}

TEST(Console, AFileHeldOpenStaysAndIsNamedWithExitOneAndASecondRunAtOnceExitsThree) {
    const Sandbox sandbox;
    {
        HANDLE held = CreateFileW(widen(sandbox / "temp\\a.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const Finished clean = runConsole({"clean", "temp"}, sandbox.environment());
        CloseHandle(held);
        EXPECT_EQ(clean.status, 1u) << clean.out << clean.err;
        EXPECT_TRUE(holds(clean.out, "Dossier temporaire\xC2\xA0: 1 fichier n'a pas \xC3\xA9t\xC3\xA9 supprim\xC3\xA9"))
            << clean.out;
        EXPECT_TRUE(wt::exists(sandbox / "temp\\a.tmp"));
        EXPECT_FALSE(wt::exists(sandbox / "temp\\b.tmp"));
    }
    writeFile(sandbox / "temp\\b.tmp", "trace");
    tv::win32::Win32Platform platform;
    const tv::RunLock running = platform.takeRunLock(); // the window's run, or another console's
    ASSERT_TRUE(running.taken());
    const Finished second = runConsole({"clean", "temp", "--json"}, sandbox.environment());
    EXPECT_EQ(second.status, 3u) << second.out << second.err;
    EXPECT_TRUE(wt::exists(sandbox / "temp\\b.tmp"));
    const auto json = nlohmann::json::parse(second.out, nullptr, false);
    EXPECT_EQ(json["anotherRunInProgress"], true) << second.out;
}

TEST(Console, ARunningBrowserIsLeftByteForByteAndNamedUnlessAskedToCloseThenItIsCleaned) {
    const std::string userData = localAppData() + "\\Google\\Chrome\\User Data";
    ASSERT_FALSE(wt::exists(localAppData() + "\\Google")) << "the prefix already has Chrome";
    makeFolders(userData + "\\Default\\Cache\\Cache_Data");
    writeFile(userData + "\\Local State", "{}");
    writeFile(userData + "\\Default\\Preferences", "{}");
    writeFile(userData + "\\Default\\Cache\\Cache_Data\\f_000001", "canary");
    struct Gone {
        std::string folder;
        ~Gone() { wt::removeTree(folder); }
    } gone{localAppData() + "\\Google"};
    wt::ScratchFolder installs("console-browser");
    {
        RunningBrowser chrome(installs, "Google\\Chrome\\Application\\chrome.exe", userData, false);
        ASSERT_TRUE(chrome.holdsLock()) << "the stand-in did not start";
        const auto before = snapshot(userData);
        const Finished left = runConsole({"clean", "internet-files"});
        EXPECT_EQ(left.status, 1u) << left.out << left.err;
        EXPECT_TRUE(holds(left.out, "Google Chrome")) << left.out;
        EXPECT_TRUE(snapshot(userData) == before) << "the running browser's profile was written";
        EXPECT_TRUE(chrome.holdsLock()) << "the browser was closed without --close-browsers";
    }
    RunningBrowser chrome(installs, "Google\\Chrome\\Application\\chrome.exe", userData, false);
    ASSERT_TRUE(chrome.holdsLock()) << "the stand-in did not start again";
    const Finished closed = runConsole({"clean", "internet-files", "--close-browsers"});
    EXPECT_TRUE(closed.status == 0u || closed.status == 1u) << closed.out << closed.err;
    EXPECT_TRUE(chrome.ended(10000)) << "the browser asked to close is still running";
    EXPECT_FALSE(wt::exists(userData + "\\Default\\Cache\\Cache_Data\\f_000001"));
    EXPECT_FALSE(holds(closed.out, "Google Chrome")) << closed.out;
}
