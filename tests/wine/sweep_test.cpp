// One sweep over real windows: this process's own, a hidden one, and other processes'; and the
// main window's ticks that run the sweeps.
#include "caption/sweep.h"

#include <gtest/gtest.h>

#include "caption/not_buttons.h"
#include "caption/restore.h"
#include "caption/sweep_order.h"
#include "caption/window_events.h"

#include <algorithm>
#include <string>
#include <vector>

#include "shell/decisions.h"
#include "shell/shell.h"
#include "support.h"
#include "sweep_probe.h"

namespace {

using support::WindowText;

// Looks like "Button" to the narrow call of a Western Windows, which finds the nearest letters
// its code page has; it is another class all the same.
const wchar_t kFullWidthButton[] = L"\xFF22\xFF55\xFF54\xFF54\xFF4F\xFF4E";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterTestClass(const wchar_t* name) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

// A copy of the platform's button under another name, made as Delphi's VCL and Visual Basic
// make theirs.
void RegisterButtonCopy(const wchar_t* name) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    GetClassInfoExW(NULL, L"Button", &windowClass);
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

class Sweep : public ::testing::Test {
protected:
    void SetUp() override {
        // Whole passes, as on any ordinary desktop: on a loaded machine even a few windows may
        // outlast a slice. How passes are cut into slices is tested natively.
        caption::SweepSliceMs = 1000;
        RegisterTestClass(L"SweepTestHost");
        RegisterTestClass(L"BorIdeBtn");
        RegisterTestClass(kFullWidthButton);
        host_ = CreateTopLevel(L"Sweep test", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    }
    void TearDown() override {
        for (HWND window : topLevels_) DestroyWindow(window);
    }

    HWND CreateTopLevel(const wchar_t* title, DWORD style) {
        HWND window = CreateWindowExW(0, L"SweepTestHost", title, style, 0, 0, 600, 400, NULL, NULL,
                                      GetModuleHandleW(NULL), NULL);
        topLevels_.push_back(window);
        return window;
    }
    HWND Child(const wchar_t* className, const wchar_t* text, DWORD style = BS_PUSHBUTTON,
               HWND parent = NULL) {
        const int index = count_++;
        return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style,
                               5 + 140 * (index % 4), 5 + 30 * (index / 4), 130, 25,
                               parent ? parent : host_, NULL, GetModuleHandleW(NULL), NULL);
    }

    HWND host_ = NULL;
    int count_ = 0;
    std::vector<HWND> topLevels_;
};

struct Expectation {
    const wchar_t* className;
    const wchar_t* before;
    DWORD style;
    const wchar_t* after;
};

const Expectation kOneSweep[] = {
    {L"Button", L"Да", BS_PUSHBUTTON, L"Пофиг"},
    {L"Button", L"Нет", BS_PUSHBUTTON, L"&Нафиг"},
    {L"Button", L"&Cancel", BS_PUSHBUTTON, L"Н&ефиг"},
    {L"Button", L"O&K", BS_PUSHBUTTON, L"В натуре"},
    {L"Button", L"ОК", BS_PUSHBUTTON, L"В натуре"},  // Cyrillic letters
    {L"Button", L"CANCEL", BS_PUSHBUTTON, L"CANCEL"},
    {L"Button", L"&&OK", BS_PUSHBUTTON, L"В натуре"},
    {L"Button", L"OK&", BS_PUSHBUTTON, L"OK&"},
    {L"Button", L"Справка", BS_AUTOCHECKBOX, L"Памагите"},
    {L"Button", L"Справка", BS_AUTORADIOBUTTON, L"Памагите"},
    {L"Button", L"Справка", BS_GROUPBOX, L"Памагите"},
    {L"Button", L"&Help", BS_PUSHBUTTON, L"Памагите"},
    {L"Button", L"HELP", BS_PUSHBUTTON, L"HELP"},
    {L"Button", L"Далее >", BS_PUSHBUTTON, L"Круто >"},
    {L"BorIdeBtn", L"Yes", 0, L"Пофиг"},
    {L"Static", L"OK", 0, L"OK"},
    {L"Edit", L"Cancel", 0, L"Cancel"},
    {kFullWidthButton, L"OK", 0, L"OK"},
};

TEST_F(Sweep, RelabelsEveryStandardButtonOfItsOwnWindows) {
    std::vector<HWND> children;
    for (const Expectation& e : kOneSweep) {
        children.push_back(Child(e.className, e.before, e.style));
        ASSERT_EQ(e.before, WindowText(children.back()));
    }
    caption::SweepWindows();
    for (size_t i = 0; i < children.size(); ++i)
        EXPECT_EQ(kOneSweep[i].after, WindowText(children[i])) << i;
}

// Delphi and C++Builder (VCL), Visual Basic 6 and 5 programs and Basic's design environment.
const wchar_t* const kToolkitButtons[] = {
    L"TButton",
    L"TBitBtn",
    L"TCheckBox",
    L"TRadioButton",
    L"ThunderRT6CommandButton",
    L"ThunderRT6CheckBox",
    L"ThunderRT6OptionButton",
    L"ThunderRT5CommandButton",
    L"ThunderRT5CheckBox",
    L"ThunderRT5OptionButton",
    L"ThunderCommandButton",
    L"ThunderCheckBox",
    L"ThunderOptionButton",
};

TEST_F(Sweep, RelabelsAndRestoresTheButtonsToolkitsNameTheirOwnButNotWindowsFormsOnes) {
    std::vector<HWND> buttons;
    for (const wchar_t* name : kToolkitButtons) {
        RegisterButtonCopy(name);
        buttons.push_back(Child(name, L"&Cancel"));
    }
    RegisterButtonCopy(L"WindowsForms10.BUTTON.app.0.1");
    HWND forms = Child(L"WindowsForms10.BUTTON.app.0.1", L"Cancel");
    caption::SweepWindows();
    for (size_t i = 0; i < buttons.size(); ++i) EXPECT_EQ(L"Н&ефиг", WindowText(buttons[i])) << i;
    EXPECT_EQ(L"Cancel", WindowText(forms));
    caption::RestoreCaptions();
    for (size_t i = 0; i < buttons.size(); ++i) EXPECT_EQ(L"&Cancel", WindowText(buttons[i])) << i;
}

// A window made by the single-byte calls takes its new text through the machine's code page,
// and on a Western Windows a Russian phrase would arrive as question marks: "OK" is better
// left. Wine keeps such a window's text wide all the same, but reports the window as what it
// is, and that decides.
TEST_F(Sweep, AnAnsiButtonIsRelabelledOnlyWhereTheMachinesCodePageHoldsThePhrase) {
    HWND ansi = CreateWindowExA(0, "Button", "OK", WS_CHILD | WS_VISIBLE, 5, 300, 130, 25, host_,
                                NULL, GetModuleHandleW(NULL), NULL);
    HWND wide = Child(L"Button", L"OK");
    ASSERT_FALSE(IsWindowUnicode(ansi));
    ASSERT_TRUE(IsWindowUnicode(wide));
    caption::SweepWindows();
    EXPECT_EQ(L"В натуре", WindowText(wide));
    EXPECT_EQ(GetACP() == 1251 ? L"В натуре" : L"OK", WindowText(ansi)) << GetACP();
}

// At the real slice's length a pass over two thousand buttons takes several slices. The
// window where the first slice stopped is destroyed with its top-level window before the next
// one: the pass goes on past them, and every other button is relabelled.
TEST_F(Sweep, AtTheRealSliceAPassGoesOnWhenTheWindowWhereItStoppedIsDestroyed) {
    caption::SweepSliceMs = caption::kSweepSliceMs;
    std::vector<HWND> tops;
    for (int t = 0; t < 20; ++t) {
        tops.push_back(CreateTopLevel(L"Slices", WS_POPUP));
        for (int i = 0; i < 100; ++i)
            CreateWindowExW(0, L"Button", L"OK", WS_CHILD, 0, 0, 9, 9, tops.back(), NULL, NULL,
                            NULL);
    }
    caption::SweepWindows();
    // The sweep goes in the platform's order: the first of them still showing its caption is
    // where it stopped.
    HWND stoppedAt = NULL;
    for (HWND top = GetTopWindow(NULL); top != NULL && stoppedAt == NULL;
         top = GetWindow(top, GW_HWNDNEXT))
        if (std::find(tops.begin(), tops.end(), top) != tops.end())
            stoppedAt = FindWindowExW(top, NULL, L"Button", L"OK");
    ASSERT_NE(nullptr, stoppedAt) << "one slice went through them all";
    HWND gone = GetAncestor(stoppedAt, GA_ROOT);
    DestroyWindow(gone);
    tops.erase(std::find(tops.begin(), tops.end(), gone));
    int ticks = 0;
    const bool relabelled = support::WaitUntil([&] {
        ++ticks;
        caption::SweepWindows();
        for (HWND top : tops)
            if (FindWindowExW(top, NULL, L"Button", L"OK") != NULL) return false;
        return true;
    });
    EXPECT_TRUE(relabelled) << ticks << " ticks";
}

// A handle given again, to a button this time: the report of its creation takes it out of the
// windows known to be no buttons, and the sweep relabels it. The platform gives a freed place
// in its handle table to the next object it makes, one generation on (the high word, counting 1
// to 0xFFFE); menus, the cheapest objects, bring the generation round.
TEST_F(Sweep, AHandleGivenAgainToAButtonIsRelabelled) {
    caption::WatchWindowEvents();
    HWND label = Child(L"Static", L"OK", 0);
    caption::SweepWindows();
    ASSERT_TRUE(caption::IsKnownNotButton(label));
    const UINT handle = static_cast<UINT>(reinterpret_cast<UINT_PTR>(label));
    const UINT generation = handle >> 16;
    const UINT previous = (handle & 0xFFFF) | ((generation == 1 ? 0xFFFE : generation - 1) << 16);
    DestroyWindow(label);
    for (int i = 0; i < 70000; ++i) {
        HMENU menu = CreateMenu();
        const bool last = static_cast<UINT>(reinterpret_cast<UINT_PTR>(menu)) == previous;
        DestroyMenu(menu);
        if (last) break;
    }
    HWND button = Child(L"Button", L"");
    ASSERT_EQ(label, button) << "the platform gave the handle to another object";
    EXPECT_TRUE(support::WaitUntil([&] { return !caption::IsKnownNotButton(button); }));
    // The caption comes with no report to relabel it: only the sweep can.
    caption::StopWatchingWindowEvents();
    SetWindowTextW(button, L"OK");
    caption::SweepWindows();
    EXPECT_EQ(L"В натуре", WindowText(button));
}

TEST_F(Sweep, ReachesHiddenWindowsAndGrandchildrenButNeverTopLevelTitles) {
    HWND hidden = CreateTopLevel(L"Hidden", WS_OVERLAPPEDWINDOW);
    HWND retry = Child(L"Button", L"Retry", BS_PUSHBUTTON, hidden);
    HWND box = Child(L"Button", L"", BS_GROUPBOX);
    HWND inner = Child(L"Button", L"Пропустить", BS_PUSHBUTTON, box);
    HWND titledOk = CreateTopLevel(L"OK", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_FALSE(IsWindowVisible(hidden));

    caption::SweepWindows();

    EXPECT_EQ(L"&Не понял", WindowText(retry));
    EXPECT_EQ(L"&Проехали", WindowText(inner));
    EXPECT_EQ(L"OK", WindowText(titledOk));
}

TEST_F(Sweep, RelabelsAgainWhenTheOwnerRestoresTheCaption) {
    HWND cancel = Child(L"Button", L"Cancel");
    caption::SweepWindows();
    ASSERT_EQ(L"Н&ефиг", WindowText(cancel));

    SetWindowTextW(cancel, L"Cancel");
    caption::SweepWindows();
    EXPECT_EQ(L"Н&ефиг", WindowText(cancel));
}

TEST_F(Sweep, LeavesTheRepaintToTheButtonWithoutErasingIt) {
    HWND ok = Child(L"Button", L"OK");
    UpdateWindow(host_);
    support::PumpMessages();
    RECT dirty;
    ASSERT_FALSE(GetUpdateRect(ok, &dirty, FALSE));

    caption::SweepWindows();

    // The whole button is invalid, and no erase is pending for it.
    RECT client;
    GetClientRect(ok, &client);
    ASSERT_TRUE(GetUpdateRect(ok, &dirty, FALSE));
    EXPECT_TRUE(EqualRect(&dirty, &client));
    PAINTSTRUCT paint;
    BeginPaint(ok, &paint);
    EXPECT_FALSE(paint.fErase);
    EndPaint(ok, &paint);
}

TEST(SweepOtherProcess, RelabelsAnotherProgramsMessageBox) {
    HANDLE helper = support::StartProgram(L"wine_helper.exe", L"msgbox \"Box of another process\"");
    ASSERT_NE(nullptr, helper);
    HWND box = support::WaitForWindow(L"Box of another process");
    ASSERT_NE(nullptr, box);
    HWND yes = GetDlgItem(box, IDYES);
    HWND no = GetDlgItem(box, IDNO);
    ASSERT_TRUE(yes && no);
    // The platform labels them in the language of the session: "&Да"/"&Нет" or "&Yes"/"&No".
    EXPECT_NE(L"Пофиг", WindowText(yes));

    // A sweep waits only briefly for another program; on a loaded machine the helper may not
    // answer at once, and its buttons are then left to a later sweep.
    WaitForInputIdle(helper, 10000);
    EXPECT_TRUE(support::WaitUntil([&] {
        caption::SweepWindows();
        return WindowText(yes) == L"Пофиг" && WindowText(no) == L"&Нафиг";
    })) << "Yes reads "
        << testing::PrintToString(WindowText(yes));
    // The box still works: its Yes answers as before.
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(static_cast<DWORD>(IDYES), support::WaitForExit(helper));
    support::EndProcess(helper);
}

TEST_F(Sweep, AHungProgramDoesNotHoldTheSweep) {
    HANDLE helper = support::StartProgram(L"wine_helper.exe", L"hang \"Hung helper\" OK 30000");
    ASSERT_NE(nullptr, helper);
    HWND hung = support::WaitForWindow(L"Hung helper");
    ASSERT_NE(nullptr, hung);
    HWND hungOk = FindWindowExW(hung, NULL, L"Button", NULL);
    ASSERT_EQ(L"OK", WindowText(hungOk));
    RECT dirty;
    ASSERT_FALSE(GetUpdateRect(hungOk, &dirty, FALSE));
    HWND ours = Child(L"Button", L"Cancel");

    const double start = support::NowMs();
    caption::SweepWindows();
    const double elapsed = support::NowMs() - start;

    EXPECT_LT(elapsed, 1000.0);
    EXPECT_EQ(L"Н&ефиг", WindowText(ours));
    // Its new text waits for it to answer, and so does the repaint that shows it.
    EXPECT_EQ(L"OK", WindowText(hungOk));
    EXPECT_TRUE(GetUpdateRect(hungOk, &dirty, FALSE));
    support::EndProcess(helper);
}

// The program's own window procedure, in this process, given its ticks one by one.
TEST(Ticks, AClickThatHidesTheLogoEarlyLeavesTheCountdownSoItsLastTickStillSkipsTheSweep) {
    shell::Instance = GetModuleHandleW(NULL);
    shell::CreateMainWindow();  // its creation starts the countdown
    HWND window = shell::MainWindow;
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_SHOWNORMAL);
    SweepProbe probe;
    caption::SweepSliceMs = 1000;

    SendMessageW(window, WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    std::vector<int> skipped;
    for (int tick = 1; tick <= shell::kLogoTicks + 2; ++tick) {
        const int before = probe.Relabels();
        SendMessageW(window, WM_TIMER, 1, 0);
        if (probe.Relabels() == before) skipped.push_back(tick);
    }
    EXPECT_EQ(std::vector<int>{shell::kLogoTicks}, skipped);
}

}  // namespace
