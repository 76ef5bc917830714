#include "program_support.h"

#include <algorithm>

#include "caption/caption_table.h"
#include "caption/codepage.h"
#include "resources/resource.h"
#include "settings_support.h"
#include "support.h"
#include "tray_support.h"

namespace program_support {

using namespace settings_support;
using support::WaitUntil;

const wchar_t kClass[] = L"VORKALUN";
const wchar_t kTitle[] = L"Фильтруй базар !!!";
const wchar_t kQuestion[] = L"Ты в натуре, хочешь избавиться от  меня ???";

HWND MainWindow() { return FindWindowW(kClass, NULL); }
bool IsStandardCaption(const std::wstring& text) {
    char narrow[256];
    codepage::FromWide(reinterpret_cast<const codepage::WideChar*>(text.c_str()), narrow, 256);
    return caption::FindCaptionRow(narrow) != caption::kNoRow;
}

HWND Question() { return FindWindowW(L"#32770", kTitle); }

bool ShellHasOurIcon() { return tray_support::ShellHasIcon(MainWindow(), ID_TRAY); }

void PressKey(WORD key) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void PressCtrlAlt(WORD key) {
    const WORD keys[] = {VK_CONTROL, VK_MENU, key};
    INPUT inputs[6] = {};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = inputs[5 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[5 - i].ki.wVk = keys[i];
        inputs[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, inputs, sizeof(INPUT));
}

namespace {

const wchar_t kDialogCaption[] = L"Настрой по своеу вкусу :)))";

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770" && support::WindowText(window) == kDialogCaption)
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> OpenDialogs() {
    std::vector<HWND> found;
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND OpenSettingsWithHotkey() {
    const std::vector<HWND> before = OpenDialogs();
    PressCtrlAlt(VK_F11);
    HWND dialog = NULL;
    WaitUntil([&] {
        for (HWND open : OpenDialogs())
            if (std::find(before.begin(), before.end(), open) == before.end()) dialog = open;
        return dialog != NULL;
    });
    // Without a window manager Wine settles focus from X events a moment after a window
    // shows; a click that lands meanwhile can lose its mouse capture and be dropped.
    WaitUntil([&] { return GetForegroundWindow() == dialog; }, 2000);
    const double start = support::NowMs();
    WaitUntil([&] { return support::NowMs() - start > 300; });
    return dialog;
}

bool ClosesSoon(HWND dialog) {
    return WaitUntil([&] { return !IsWindow(dialog); }, 5000);
}

std::wstring Item(HWND dialog, int id) {
    wchar_t text[256] = L"";
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetItem(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool IsChecked(HWND dialog, int id) {
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

WindowCreations* WindowCreations::Instance;

WindowCreations::WindowCreations() {
    Instance = this;
    hook_ = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, Record, 0, 0,
                            WINEVENT_OUTOFCONTEXT);
}

WindowCreations::~WindowCreations() { UnhookWinEvent(hook_); }

int WindowCreations::By(DWORD process) const {
    support::PumpMessages();
    int count = 0;
    for (const Creation& creation : creations_) count += creation.process == process;
    return count;
}

int WindowCreations::ByThread(DWORD thread) const {
    support::PumpMessages();
    int count = 0;
    for (const Creation& creation : creations_) count += creation.thread == thread;
    return count;
}

void CALLBACK WindowCreations::Record(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG,
                                      DWORD thread, DWORD) {
    if (object != OBJID_WINDOW || window == NULL) return;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    Instance->creations_.push_back({process, thread});
}

namespace {

const wchar_t kBrowserKey[] = L"http\\shell\\open\\command";
const wchar_t kRecordKey[] = L"Software\\vorkalun-tests";

}  // namespace

BrowserStandIn::BrowserStandIn() {
    savedCommand_ = ReadRaw(HKEY_CLASSES_ROOT, kBrowserKey, L"").data;
    DeleteValue(HKEY_CURRENT_USER, kRecordKey, L"opened");
    const std::wstring command =
        L"\"" + support::BesideTests(L"wine_helper.exe") + L"\" url \"%1\"";
    StoreRaw(HKEY_CLASSES_ROOT, kBrowserKey, L"", REG_SZ, command.c_str(),
             static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

BrowserStandIn::~BrowserStandIn() {
    StoreRaw(HKEY_CLASSES_ROOT, kBrowserKey, L"", REG_SZ, savedCommand_.data(),
             static_cast<DWORD>(savedCommand_.size()));
}

std::wstring BrowserStandIn::LastOpened() const {
    return ReadRaw(HKEY_CURRENT_USER, kRecordKey, L"opened").Units().c_str();
}

void Program::SetUp() {
    ASSERT_EQ(nullptr, MainWindow()) << "a copy of the program is still running";
    RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN");
    RemoveInstalledCopy();
}

void Program::TearDown() {
    Stop();
    RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN");
    RemoveInstalledCopy();
}

void Program::Stop() {
    if (program_ == NULL) return;
    if (HWND window = MainWindow()) PostMessageW(window, WM_CLOSE, 0, 0);
    support::WaitForExit(program_, 5000);
    support::EndProcess(program_);
    program_ = NULL;
}

void Program::Start(const wchar_t* options, const wchar_t* program) {
    if (options != nullptr) StoreUnits(HKEY_CURRENT_USER, kProductKey, L"Options", options, true);
    program_ = support::StartProgram(program, L"");
    ASSERT_NE(nullptr, program_);
    // Input sent before its message loop runs could arrive before its hotkeys exist.
    WaitForInputIdle(program_, 10000);
    ASSERT_TRUE(WaitUntil([] { return MainWindow() != NULL; }));
}

HWND Program::AskToExitWithHotkey() {
    PressCtrlAlt(VK_F12);
    HWND box = NULL;
    WaitUntil([&] { return (box = Question()) != NULL; });
    return box;
}

}  // namespace program_support
