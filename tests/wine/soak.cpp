// `make soak`: the real program for a given time under a steady mix of faults, watched from
// outside: message boxes every few hundred milliseconds, programs that hang and recover,
// storms of windows, crowded desktops, registry data rewritten and removed, second starts,
// dialogs, exit questions and restarts of the notification area. Reports the sweeps a probe
// button saw, the buttons relabelled, the longest the probe waited for a sweep, the program's
// resources at the start and at the end, and every failure.
//   soak MINUTES
#include <windows.h>
#include <winternl.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "program_support.h"
#include "resources/resource.h"
#include "settings_support.h"
#include "support.h"
#include "sweep_probe.h"
#include "tray_support.h"

namespace {

using namespace program_support;
using namespace settings_support;
using support::NowMs;
using support::WindowText;

std::mt19937 Random(20261207);
int Pick(int n) { return static_cast<int>(Random() % n); }

// Failures are the program's; what the soak finds wrong with Wine or with itself it reports as
// a note, with what tells the two apart, and the run still passes unless such notes come for
// more than one message box in a hundred.
struct Failures {
    int count = 0;
    std::vector<std::string> first;
    void Add(double atMs, const std::string& what) {
        ++count;
        if (first.size() < 20)
            first.push_back(std::to_string(static_cast<int>(atMs / 1000)) + " s: " + what);
    }
};

struct Figures {
    int relabelled = 0;  // buttons of the fault programs, the probe's not counted
    int boxes = 0, processBoxes = 0, hangs = 0, storms = 0, crowds = 0, rewrites = 0, removals = 0,
        secondStarts = 0, dialogs = 0, questions = 0, trayRestarts = 0;
};

// --- the program's resources, as far as Wine tells them -------------------------------------

struct Resources {
    long handles = -1;       // kernel object handles, from the system's handle list
    long workingSetKb = -1;  // GetProcessMemoryInfo
    long privateKb = -1;     // its PrivateUsage: Wine leaves it 0
    long rssAnonKb = -1;     // Linux: the process's anonymous resident memory
    long vmDataKb = -1;      // Linux: its data segment, mapped or not
    long windows = -1;       // windows of the process, its dialogs and boxes included
};

struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};

// Every handle of the system with its owner. Wine keeps this list truthfully, while its
// GetProcessHandleCount gives 0 for every process.
const SYSTEM_INFORMATION_CLASS kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);

long CountHandles(DWORD pid) {
    static std::vector<BYTE> buffer(1 << 22);
    ULONG length = 0;
    if (NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                 static_cast<ULONG>(buffer.size()), &length) != 0)
        return -1;
    const ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
    const HandleEntry* entries = reinterpret_cast<HandleEntry*>(buffer.data() + sizeof(void*));
    long owned = 0;
    for (ULONG i = 0; i < count; ++i) owned += entries[i].ownerPid == pid;
    return owned;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {
    auto* c = reinterpret_cast<std::pair<DWORD, long>*>(counter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == c->first) {
        ++c->second;
        EnumChildWindows(window, CountWindow, counter);
    }
    return TRUE;
}

std::string ReadUnixFile(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    return text;
}

long StatusField(const std::string& status, const char* name) {
    const size_t at = status.find(std::string("\n") + name + ":");
    return at == std::string::npos ? -1 : atol(status.c_str() + at + strlen(name) + 2);
}

// The Linux process behind the program: the one of our prefix named like it. Wine does not
// say which it is, so /proc is searched through Wine's drive Z:.
std::wstring FindUnixProcess() {
    wchar_t prefix[1024] = L"";
    GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024);
    char narrowPrefix[1024];
    WideCharToMultiByte(CP_UTF8, 0, prefix, -1, narrowPrefix, 1024, NULL, NULL);
    const std::string wanted = std::string("WINEPREFIX=") + narrowPrefix + '\0';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    std::wstring result;
    if (search == INVALID_HANDLE_VALUE) return result;
    do {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
        const std::wstring dir = std::wstring(L"Z:\\proc\\") + found.cFileName;
        if (ReadUnixFile(dir + L"\\status").find("Name:\tvorkalun.exe\n") == std::string::npos)
            continue;
        if (ReadUnixFile(dir + L"\\environ").find(wanted) == std::string::npos) continue;
        if (ReadUnixFile(dir + L"\\cmdline").find("/c") != std::string::npos) continue;
        result = dir;
    } while (result.empty() && FindNextFileW(search, &found));
    FindClose(search);
    return result;
}

Resources Measure(HANDLE program, const std::wstring& unixProcess) {
    Resources r;
    const DWORD pid = GetProcessId(program);
    r.handles = CountHandles(pid);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(program, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        r.workingSetKb = static_cast<long>(memory.WorkingSetSize / 1024);
        r.privateKb = static_cast<long>(memory.PrivateUsage / 1024);
    }
    if (!unixProcess.empty()) {
        const std::string status = ReadUnixFile(unixProcess + L"\\status");
        r.rssAnonKb = StatusField(status, "RssAnon");
        r.vmDataKb = StatusField(status, "VmData");
    }
    std::pair<DWORD, long> counter(pid, 0);
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&counter));
    r.windows = counter.second;
    return r;
}

// Processes that opening the web site starts under Wine; the program must start none unasked.
int CountBrowsers() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        count += lstrcmpiW(entry.szExeFile, L"start.exe") == 0 ||
                 lstrcmpiW(entry.szExeFile, L"winebrowser.exe") == 0;
    CloseHandle(snapshot);
    return count;
}

// --- the faults ------------------------------------------------------------------------------

// A message box, of this process on a thread of its own or of another program.
struct Box {
    std::wstring title;
    UINT style = MB_YESNO;
    HANDLE thread = NULL;   // ends when the box is answered
    HANDLE process = NULL;  // the same, when another program shows it
    double startedAt = 0;
    double shownAt = 0;     // when its window was first found with its buttons
    double seenAt = 0;      // the same, until its buttons were judged; -1 after
    double answeredAt = 0;  // when it was last answered
    int answers = 0;
};

// The thread owns its copy of the box: a box given up on may still be showing.
DWORD WINAPI ShowBox(void* parameter) {
    std::unique_ptr<Box> box(static_cast<Box*>(parameter));
    MessageBoxW(NULL, L"Сохранить изменения в документе?", box->title.c_str(), box->style);
    return 0;
}

const UINT kBoxStyles[] = {MB_YESNO, MB_OKCANCEL, MB_YESNOCANCEL};

// Any program: its windows are found by title once they are there.
struct Helper {
    HANDLE process = NULL;
    std::wstring title;
    double startedAt = 0;
    double foundAt = 0;
    double hangMs = 0;  // for a hanging helper
    bool crowd = false;
};

class Soak {
public:
    explicit Soak(double minutes) : durationMs_(minutes * 60000) {}
    int Run();

private:
    double Elapsed() const { return NowMs() - start_; }
    void Fail(const std::string& what) { failures_.Add(Elapsed(), what); }
    bool ProgramAlive() const { return WaitForSingleObject(program_, 0) == WAIT_TIMEOUT; }

    void OpenBox();
    void OpenProcessBox();
    void ServiceBoxes();
    void JudgeStuckBox(const Box& box);
    void StartHelper(const std::wstring& mode, double hangMs, bool crowd);
    void ServiceHelpers(bool finishing);
    void RewriteRegistry();
    void Remove();
    void StartSecondCopy();
    void OpenDialog();
    void AskQuestion();
    void RestartTray();
    void Quiesce();
    void Report(const Resources& first, const Resources& last, int sweeps, double longestGap);

    const double durationMs_;
    double start_ = 0;
    HANDLE program_ = NULL;
    std::vector<std::unique_ptr<Box>> boxes_;
    std::vector<Helper> helpers_;
    int serial_ = 0;
    int dialogCount_ = 0;
    int browsers_ = 0;
    Figures figures_;
    Failures failures_;
    Failures notes_;
    std::unique_ptr<SweepProbe> probe_;
};

void Soak::OpenBox() {
    auto box = std::make_unique<Box>();
    box->title = L"Soak box " + std::to_wstring(++serial_);
    box->style = kBoxStyles[Pick(3)];
    box->startedAt = NowMs();
    box->thread = CreateThread(NULL, 0, ShowBox, new Box(*box), 0, NULL);
    boxes_.push_back(std::move(box));
    ++figures_.boxes;
}

void Soak::OpenProcessBox() {
    auto box = std::make_unique<Box>();
    box->title = L"Soak process box " + std::to_wstring(++serial_);
    box->startedAt = NowMs();
    box->process = support::StartProgram(L"wine_helper.exe", L"msgbox \"" + box->title + L"\"");
    boxes_.push_back(std::move(box));
    ++figures_.processBoxes;
}

// A box is answered, with its first button, once every button is relabelled, or after ten
// seconds in vain; it is gone when its thread or its program has ended. Nothing here waits.
void Soak::ServiceBoxes() {
    for (auto it = boxes_.begin(); it != boxes_.end();) {
        Box& box = **it;
        const HANDLE owner = box.thread != NULL ? box.thread : box.process;
        if (WaitForSingleObject(owner, 0) == WAIT_OBJECT_0) {
            CloseHandle(owner);
            it = boxes_.erase(it);
            continue;
        }
        const double now = NowMs();
        if (now - box.startedAt > 60000) {
            JudgeStuckBox(box);
            if (owner != NULL) CloseHandle(owner);
            it = boxes_.erase(it);
            continue;
        }
        ++it;
        if (box.answeredAt != 0) {
            if (now - box.answeredAt > 2000) box.answeredAt = 0;  // answer again
            continue;
        }
        HWND window = FindWindowW(L"#32770", box.title.c_str());
        std::vector<HWND> buttons;
        for (HWND child = window ? GetWindow(window, GW_CHILD) : NULL; child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[16] = L"";
            GetClassNameW(child, name, 16);
            if (std::wstring(name) == L"Button" && IsWindowVisible(child)) buttons.push_back(child);
        }
        if (buttons.empty()) continue;
        if (box.shownAt == 0) box.shownAt = now;
        if (box.seenAt == 0) box.seenAt = now;
        if (box.seenAt > 0) {  // not judged yet
            bool relabelled = true;
            for (HWND button : buttons) relabelled &= !IsStandardCaption(WindowText(button));
            if (relabelled)
                figures_.relabelled += static_cast<int>(buttons.size());
            else if (now - box.seenAt > 10000)
                Fail("a message box's buttons kept their captions");
            else
                continue;
            box.seenAt = -1;
        }
        PostMessageW(window, WM_COMMAND, GetDlgCtrlID(buttons[0]), 0);
        box.answeredAt = now;
        ++box.answers;
    }
}

// A box still open a minute after it was asked for. Whose fault it is shows in what the soak
// saw of it and in who still answers: a box that never showed, or whose own thread stopped
// answering while the program answers, is Wine's or the soak's; a program that has stopped
// answering is the program's, and so is anything the soak cannot tell apart.
void Soak::JudgeStuckBox(const Box& box) {
    const auto answers = [](HWND window) {
        DWORD_PTR ignored;
        return window != NULL &&
               SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
    };
    const bool programAnswers = answers(MainWindow());
    HWND window = FindWindowW(L"#32770", box.title.c_str());
    const std::string whose =
        box.thread != NULL || box.process == NULL ? "this process's" : "another program's";
    std::string what = "a message box would not close: " + whose + " \"" +
                       std::string(box.title.begin(), box.title.end()) + "\"; ";
    if (box.thread == NULL && box.process == NULL)
        what += "its thread or program could not be started; ";
    else if (box.shownAt == 0)
        what += window ? "its window came without buttons; " : "it never showed; ";
    else
        what += "it showed after " + std::to_string(static_cast<int>(box.shownAt - box.startedAt)) +
                " ms, was answered " + std::to_string(box.answers) + " times, and " +
                (window == NULL    ? "has gone since"
                 : answers(window) ? "answers messages"
                                   : "answers no message") +
                "; ";
    what += programAnswers ? "the program answers" : "the program answers no message";
    const bool boxAtFault = box.shownAt == 0 || (window != NULL && !answers(window));
    if (!programAnswers || !boxAtFault)
        Fail(what);
    else
        notes_.Add(Elapsed(), what);
}

void Soak::StartHelper(const std::wstring& mode, double hangMs, bool crowd) {
    Helper helper;
    helper.title = L"Soak helper " + std::to_wstring(++serial_);
    std::wstring arguments = mode + L" \"" + helper.title + L"\" ";
    if (hangMs > 0)
        arguments += L"OK " + std::to_wstring(static_cast<int>(hangMs)) + L" Cancel Да Нет";
    else if (crowd)
        arguments += L"3000";
    else
        arguments += L"2000";
    helper.process = support::StartProgram(L"wine_helper.exe", arguments);
    helper.startedAt = NowMs();
    helper.hangMs = hangMs;
    helper.crowd = crowd;
    helpers_.push_back(helper);
}

// A helper is done when, past its hang, every standard button it shows is relabelled.
void Soak::ServiceHelpers(bool finishing) {
    for (auto it = helpers_.begin(); it != helpers_.end();) {
        Helper& helper = *it;
        if (helper.foundAt == 0 && FindWindowW(NULL, helper.title.c_str()) != NULL)
            helper.foundAt = NowMs();
        bool done = false;
        if (helper.foundAt == 0) {
            if (NowMs() - helper.startedAt > 60000 || finishing) {
                Fail("a helper never showed its window");
                done = true;
            }
        } else if (NowMs() > helper.foundAt + helper.hangMs) {
            int relabelled = 0, waiting = 0;
            for (HWND button : support::ButtonsOf(helper.process)) {
                if (helper.crowd && GetDlgCtrlID(button) % 10 != 1) continue;
                if (IsStandardCaption(WindowText(button)))
                    ++waiting;
                else
                    ++relabelled;
            }
            const double limit = helper.crowd ? 30000 : 10000;
            if (waiting == 0) {
                figures_.relabelled += relabelled;
                done = true;
            } else if (finishing || NowMs() > helper.foundAt + helper.hangMs + limit) {
                Fail("buttons kept their captions after a " + std::string(helper.hangMs > 0 ? "hang"
                                                                          : helper.crowd
                                                                              ? "crowd"
                                                                              : "storm"));
                done = true;
            }
        }
        if (!done) {
            ++it;
            continue;
        }
        support::EndProcess(helper.process);
        it = helpers_.erase(it);
    }
}

// Random data of a random type under a random value, a valid text, a value or the whole key
// gone: the program reads them at its next load.
void Soak::RewriteRegistry() {
    const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY, REG_NONE};
    const wchar_t* name = Pick(13) == 12 ? L"Options" : kDefaults[Pick(12)].name;
    switch (Pick(5)) {
        case 0:
        case 1: {
            std::vector<BYTE> data(Pick(60) + 3, 'X');
            for (size_t i = 0; i + 3 < data.size(); ++i) data[i] = static_cast<BYTE>(Random());
            StoreRaw(HKEY_CURRENT_USER, kProductKey, name, types[Pick(6)], data.data(),
                     static_cast<DWORD>(data.size() - 3));
            break;
        }
        case 2: {
            std::wstring text;
            for (int i = Pick(19) + 1; i > 0; --i) text += static_cast<wchar_t>(L'а' + Pick(32));
            StoreUnits(HKEY_CURRENT_USER, kProductKey, name, text, Pick(2) == 0);
            break;
        }
        case 3: DeleteValue(HKEY_CURRENT_USER, kProductKey, name); break;
        case 4: RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey); break;
    }
    ++figures_.rewrites;
}

void Soak::Remove() {
    HANDLE removal = support::StartProgram(L"vorkalun.exe", L"/c");
    if (support::WaitForExit(removal) != 1) Fail("\"/c\" did not end with code 1");
    support::EndProcess(removal);
    ++figures_.removals;
}

void Soak::StartSecondCopy() {
    HANDLE copy = support::StartProgram(L"vorkalun.exe", L"");
    if (support::WaitForExit(copy) != 0) Fail("a second start did not end at once with code 0");
    support::EndProcess(copy);
    ++figures_.secondStarts;
}

// Opening the dialog loads the settings, which must leave all thirteen values in the key.
// Every other time it is closed with OK, the icon kept on.
void Soak::OpenDialog() {
    HWND dialog = OpenSettingsWithHotkey();
    if (dialog == NULL) {
        Fail("the settings hotkey opened no dialog");
        return;
    }
    ++figures_.dialogs;
    int values = 0;
    for (const Row& row : kDefaults)
        values += ReadRaw(HKEY_CURRENT_USER, kProductKey, row.name).found;
    values += ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Options").found;
    if (values != 13) Fail("the dialog's load left " + std::to_string(values) + " values");
    if (++dialogCount_ % 2 == 0) {
        if (!IsChecked(dialog, IDC_SHOW_TRAY)) Click(dialog, IDC_SHOW_TRAY);
        Click(dialog, IDC_TABLE_OK);
    } else {
        Click(dialog, IDC_TABLE_CANCEL);
    }
    if (!ClosesSoon(dialog)) {
        Fail("the dialog did not close");
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
}

void Soak::AskQuestion() {
    PressCtrlAlt(VK_F12);
    HWND box = NULL;
    if (!support::WaitUntil([&] { return (box = Question()) != NULL; })) {
        Fail("the exit hotkey asked no question");
        return;
    }
    ++figures_.questions;
    PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
    if (!support::WaitUntil([] { return Question() == NULL; })) Fail("the question stayed");
}

void Soak::RestartTray() {
    HWND window = MainWindow();
    if (!ShellHasOurIcon()) Fail("the icon was missing before a restart of the notification area");
    tray_support::RestartNotificationArea(window, ID_TRAY);
    ++figures_.trayRestarts;
    if (!support::WaitUntil([] { return ShellHasOurIcon(); }))
        Fail("the icon did not come back after a restart of the notification area");
}

// Lets the faults in flight run their course, so that the resources are measured at rest;
// whatever is still unfinished after half a minute has failed.
void Soak::Quiesce() {
    const double start = NowMs();
    while ((!boxes_.empty() || !helpers_.empty()) && NowMs() - start < 30000) {
        ServiceBoxes();
        ServiceHelpers(false);
        support::PumpMessages();
        Sleep(20);
    }
    if (!boxes_.empty()) Fail("message boxes stayed");
    ServiceHelpers(true);
    const double settled = NowMs();
    support::WaitUntil([&] { return NowMs() - settled > 2000; });
}

int Soak::Run() {
    RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    StoreUnits(HKEY_CURRENT_USER, kProductKey, L"Options", L"nyyyyyy", true);
    probe_ = std::make_unique<SweepProbe>();
    program_ = support::StartProgram(L"vorkalun.exe", L"");
    WaitForInputIdle(program_, 10000);
    if (!support::WaitUntil([] { return MainWindow() != NULL; }) || !probe_->WaitForMore(2)) {
        printf("soak: the program did not start\n");
        return 1;
    }
    const std::wstring unixProcess = FindUnixProcess();
    start_ = NowMs();
    probe_->Restart();

    // Every fault, at its own pace; a warm-up round first, then the resources are measured.
    struct Activity {
        const char* name;
        double everyMs;
        void (Soak::*act)();
        double next;
    };
    Activity activities[] = {
        {"a message box", 300, &Soak::OpenBox, 0},
        {"another program's box", 4000, &Soak::OpenProcessBox, 0},
        {"a registry rewrite", 2000, &Soak::RewriteRegistry, 0},
        {"a second start", 8000, &Soak::StartSecondCopy, 0},
        {"the dialog", 20000, &Soak::OpenDialog, 0},
        {"the exit question", 30000, &Soak::AskQuestion, 0},
        {"a restart of the notification area", 15000, &Soak::RestartTray, 0},
        {"a removal", 60000, &Soak::Remove, 0},
    };
    const double warmUpMs = std::min(60000.0, durationMs_ / 10);
    Resources first;
    bool measured = false;
    double nextHang = 2000, nextStorm = 10000, nextCrowd = 20000;
    while (Elapsed() < durationMs_ && ProgramAlive()) {
        if (!measured && Elapsed() > warmUpMs) {
            Quiesce();
            first = Measure(program_, unixProcess);
            measured = true;
        }
        for (Activity& a : activities)
            if (Elapsed() >= a.next) {
                (this->*a.act)();
                a.next = Elapsed() + a.everyMs * (0.5 + Pick(100) / 100.0);
                const int browsers = CountBrowsers();
                if (browsers > browsers_)
                    Fail("the web site was opened unasked, after " + std::string(a.name));
                browsers_ = browsers;
            }
        if (Elapsed() >= nextHang) {
            // Some recover before the platform calls them hung, some after.
            StartHelper(L"hang", 500 + Pick(8000), false);
            ++figures_.hangs;
            nextHang = Elapsed() + 10000 + Pick(10000);
        }
        if (Elapsed() >= nextStorm) {
            StartHelper(L"storm", 0, false);
            ++figures_.storms;
            nextStorm = Elapsed() + 60000 + Pick(30000);
        }
        if (Elapsed() >= nextCrowd) {
            StartHelper(L"crowd", 0, true);
            ++figures_.crowds;
            nextCrowd = Elapsed() + 120000 + Pick(60000);
        }
        ServiceBoxes();
        ServiceHelpers(false);
        support::PumpMessages();
        Sleep(20);
    }
    if (!ProgramAlive()) Fail("the program ended on its own");
    Quiesce();
    const Resources last = ProgramAlive() ? Measure(program_, unixProcess) : Resources();
    const int sweeps = probe_->Relabels();
    const double longestGap = probe_->LongestGapMs();

    // Last, the way out: Yes to the exit question ends it with code 0.
    if (ProgramAlive()) {
        PressCtrlAlt(VK_F12);
        HWND box = NULL;
        bool exited = false;
        if (support::WaitUntil([&] { return (box = Question()) != NULL; })) {
            PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
            exited = support::WaitForExit(program_) == 0;
        }
        if (!exited) Fail("the program did not end with code 0 after Yes");
    }
    support::EndProcess(program_);
    probe_.reset();
    RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    Report(first, last, sweeps, longestGap);
    return failures_.count == 0 ? 0 : 1;
}

void Line(const char* what, long first, long last) {
    printf("    %-36s %9ld %11ld\n", what, first, last);
}

void Soak::Report(const Resources& first, const Resources& last, int sweeps, double longestGap) {
    // Growth beyond these is a leak; within them, what Wine itself moves about over a run.
    const long kHandleSlack = 5, kMemorySlackKb = 256;
    if (last.handles > first.handles + kHandleSlack) Fail("its handles grew");
    if (last.rssAnonKb > first.rssAnonKb + kMemorySlackKb) Fail("its private memory grew");
    if (last.windows > first.windows) Fail("its windows grew");
    // A stuck box now and then is Wine's or the soak's; more than one in a hundred is more
    // than either has shown, and the program's until shown otherwise.
    const int boxes = figures_.boxes + figures_.processBoxes;
    if (notes_.count * 100 > boxes)
        Fail(std::to_string(notes_.count) + " of " + std::to_string(boxes) +
             " message boxes would not close");

    const Figures& f = figures_;
    printf("\nsoak: %.1f minutes of vorkalun.exe under a steady mix of faults\n",
           durationMs_ / 60000);
    printf("  sweeps seen by the probe button     %d\n", sweeps);
    printf("  longest wait of the probe for one   %.0f ms\n", longestGap);
    printf("  buttons relabelled                  %d (the probe's not counted)\n", f.relabelled);
    printf(
        "  faults: %d message boxes of this process and %d of other programs, %d programs that\n"
        "  hung, %d storms of windows, %d crowds of 3,000 windows, %d registry rewrites, %d\n"
        "  removals with /c, %d second starts, %d dialogs, %d exit questions, %d restarts of the\n"
        "  notification area\n",
        f.boxes, f.processBoxes, f.hangs, f.storms, f.crowds, f.rewrites, f.removals,
        f.secondStarts, f.dialogs, f.questions, f.trayRestarts);
    printf("  resources of vorkalun.exe            after warm-up   at the end\n");
    Line("handles (the system's handle list)", first.handles, last.handles);
    Line("windows (its own, dialogs included)", first.windows, last.windows);
    Line("working set, KB", first.workingSetKb, last.workingSetKb);
    Line("private bytes, KB (Wine gives 0)", first.privateKb, last.privateKb);
    Line("anonymous resident memory, KB", first.rssAnonKb, last.rssAnonKb);
    Line("data segment, KB", first.vmDataKb, last.vmDataKb);
    printf("  (the last two from Linux's /proc; Wine reports no GDI or USER object counts)\n");
    if (notes_.count > 0) {
        printf("  not the program's faults, unless for more than a box in a hundred: %d\n",
               notes_.count);
        for (const std::string& note : notes_.first) printf("    %s\n", note.c_str());
    }
    if (failures_.count == 0) {
        printf("  failures: none\n");
        return;
    }
    printf("  failures: %d\n", failures_.count);
    for (const std::string& failure : failures_.first) printf("    %s\n", failure.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? atof(argv[1]) : 10;
    Soak soak(minutes > 0 ? minutes : 10);
    return soak.Run();
}
