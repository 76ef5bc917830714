// The real program under faults that other programs and the machine inflict on it: programs
// that stop answering, windows that vanish mid-sweep, a notification area that goes away,
// removal and second starts while it runs, and a crowded desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
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
using support::WaitUntil;
using support::WindowText;

// The most the program may keep its sweeps or its hotkeys waiting, whatever other programs do:
// a tick, the waiting one sweep and the reports between two ticks may do, and ample room for
// a loaded machine.
const double kWaitBoundMs = 600;
// The longest a pass over these tests' desktops (a few hundred windows) may take. A tick sweeps
// for a few milliseconds of its own, and a window costs a tenth of one under Wine: a pass takes
// several ticks here, however fast the hotkeys answer.
const double kPassBoundMs = 2000;

bool IsDefaultReplacement(const std::wstring& text) {
    for (const Row& row : kDefaults)
        if (text == row.units) return true;
    return false;
}

class Faults : public Program {
protected:
    void TearDown() override {
        for (HANDLE helper : helpers_) support::EndProcess(helper);
        Program::TearDown();
    }
    HANDLE Helper(const std::wstring& arguments) {
        helpers_.push_back(support::StartProgram(L"wine_helper.exe", arguments));
        return helpers_.back();
    }
    // Ends the program as the user's session would, with WM_CLOSE.
    void EndProgram() {
        if (HWND window = MainWindow()) PostMessageW(window, WM_CLOSE, 0, 0);
        support::WaitForExit(program_);
        support::EndProcess(program_);
        program_ = NULL;
    }
    bool Alive() const { return WaitForSingleObject(program_, 0) == WAIT_TIMEOUT; }
    // Asks the exit question with the hotkey, answers No, and gives the time to the question.
    double ExitQuestionAnsweredNo() {
        const double start = NowMs();
        HWND box = AskToExitWithHotkey();
        const double answered = NowMs() - start;
        if (box == NULL) return -1;
        PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
        WaitUntil([] { return Question() == NULL; });
        return answered;
    }

    std::vector<HANDLE> helpers_;
};

TEST_F(Faults, AHungProgramHoldsUpNeitherTheSweepsNorTheHotkeysNorTheMenu) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    ASSERT_TRUE(probe.WaitForMore(2));
    // A program that stops answering with a window full of standard captions.
    const DWORD kHangMs = 6000;
    std::wstring captions;
    for (int i = 0; i < 80; ++i) captions += i % 2 ? L" Cancel" : L" Да";
    Helper(L"hang \"Hung program\" OK " + std::to_wstring(kHangMs) + captions);
    HWND hung = support::WaitForWindow(L"Hung program");
    ASSERT_NE(nullptr, hung);
    const double hungAt = NowMs();
    HWND hungOk = GetDlgItem(hung, 1);
    probe.Restart();

    // The sweeps go on around it: another program's box is relabelled.
    Helper(L"msgbox \"Box beside a hung program\"");
    HWND box = support::WaitForWindow(L"Box beside a hung program");
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(box, IDYES)) == L"Пофиг"; }));
    // The exit hotkey and the tray menu answer.
    const double question = ExitQuestionAnsweredNo();
    EXPECT_GE(question, 0);
    EXPECT_LT(question, kWaitBoundMs);
    HWND icon = tray_support::ShellIconWithTip(kTitle);
    ASSERT_NE(nullptr, icon);
    const double clicked = NowMs();
    support::ClickAt(tray_support::CentreOf(icon));
    EXPECT_TRUE(WaitUntil([] { return tray_support::OpenPopupMenu() != NULL; }));
    const double menu = NowMs() - clicked;
    EXPECT_LT(menu, kWaitBoundMs);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([] { return tray_support::OpenPopupMenu() == NULL; }));
    // A moment per hung program, not per button: it has eighty.
    const double hungGap = probe.LongestGapMs();
    EXPECT_LT(hungGap, kPassBoundMs);

    // All of that while the program still hung: its button kept its caption. A machine too
    // loaded to get through the checks in time shows nothing either way.
    if (NowMs() - hungAt > kHangMs - 500.0) GTEST_SKIP() << "the hang ended before the checks did";
    EXPECT_EQ(L"OK", WindowText(hungOk));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(hungOk) == L"В натуре"; }, kHangMs + 5000));
    const double recovered = NowMs() - hungAt - kHangMs;
    EXPECT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(hung, 81)) == L"Н&ефиг"; }));
    printf(
        "while a program hung: exit question after %.0f ms, menu after %.0f ms, longest gap "
        "between sweeps %.0f ms; its buttons relabelled %.0f ms after it answered again\n",
        question, menu, hungGap, recovered);
}

TEST_F(Faults, AProgramBusyMakingButtonsHoldsUpNeitherTheSweepsNorTheHotkeys) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    ASSERT_TRUE(probe.WaitForMore(2));
    // Every button it makes is reported at once, and none can take its text before it is done.
    const DWORD kBusyMs = 4000;
    HANDLE busy = Helper(L"busy \"Busy program\" " + std::to_wstring(kBusyMs));
    ASSERT_NE(nullptr, support::WaitForWindow(L"Busy program"));
    const double busyAt = NowMs();
    probe.Restart();
    WaitUntil([&] { return NowMs() - busyAt > 1500; });
    const double question = ExitQuestionAnsweredNo();
    const double busyGap = probe.LongestGapMs();
    // Checked whatever the time; a pass says little when the program was done before the
    // checks, and is then reported as skipped.
    const bool late = NowMs() - busyAt > kBusyMs - 500.0;
    EXPECT_GE(question, 0);
    EXPECT_LT(busyGap, kPassBoundMs);
    EXPECT_LT(question, 1000.0);

    // Once it answers again, what it made is relabelled.
    std::vector<HWND> made;
    WaitUntil([&] { return (made = support::ButtonsOf(busy)).size() > 100; }, kBusyMs + 5000);
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (HWND button : support::ButtonsOf(busy))
                if (!IsDefaultReplacement(WindowText(button))) return false;
            return true;
        },
        kBusyMs + 5000));
    printf(
        "while a program made %zu buttons without answering: exit question after %.0f ms, "
        "longest gap between passes %.0f ms\n",
        made.size(), question, busyGap);
    if (late) GTEST_SKIP() << "the program was done before the checks";
}

TEST_F(Faults, AProgramThatTakesItsTimeOverEveryTextAndRefusesItHoldsUpNeitherSweepsNorHotkeys) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    ASSERT_TRUE(probe.WaitForMore(2));
    // Two hundred buttons, each answering 15 ms after it is sent its text, inside the program's
    // wait, and keeping its caption: every sweep would wait on all of them again.
    HANDLE slow = Helper(L"slow \"Slow program\" 200 15");
    ASSERT_NE(nullptr, support::WaitForWindow(L"Slow program"));
    std::vector<HWND> buttons;
    ASSERT_TRUE(WaitUntil([&] { return (buttons = support::ButtonsOf(slow)).size() == 200; }));
    probe.Restart();
    const double start = NowMs();
    WaitUntil([&] { return NowMs() - start > 2000; });
    const double question = ExitQuestionAnsweredNo();
    const double gap = probe.LongestGapMs();
    EXPECT_GE(question, 0);
    EXPECT_LT(question, kWaitBoundMs);
    EXPECT_LT(gap, kPassBoundMs);

    // None is left out for coming late: each is offered its text within ten seconds.
    const auto offered = [](HWND button) { return GetWindowLongPtrW(button, GWLP_USERDATA) > 0; };
    EXPECT_TRUE(
        WaitUntil([&] { return std::all_of(buttons.begin(), buttons.end(), offered); }, 30000));
    const double served = NowMs() - start;
    EXPECT_LT(served, 10000.0);
    printf(
        "a program taking 15 ms over each of 200 texts: exit question after %.0f ms, longest gap "
        "between sweeps %.0f ms (bound %.0f); every button offered its text within %.0f ms\n",
        question, gap, kPassBoundMs, served);
}

TEST_F(Faults, ProgramsOfManySilentThreadsCostAWaitEachNotOnePerWindow) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    ASSERT_TRUE(probe.WaitForMore(2));
    // Two programs of thirty threads, each thread with a window of its own, all of which stop
    // answering at once.
    const DWORD kSilenceMs = 8000;
    const std::wstring silence = L" 30 " + std::to_wstring(kSilenceMs);
    HANDLE programs[] = {Helper(L"silent \"First silent program\"" + silence),
                         Helper(L"silent \"Second silent program\"" + silence)};
    ASSERT_NE(nullptr, support::WaitForWindow(L"First silent program"));
    ASSERT_NE(nullptr, support::WaitForWindow(L"Second silent program"));
    const double silentAt = NowMs();
    probe.Restart();
    WaitUntil([&] { return NowMs() - silentAt > 1500; });
    const double question = ExitQuestionAnsweredNo();
    const double gap = probe.LongestGapMs();
    // Past five seconds the platform declares them hung and no relabel waits on them at all:
    // checked all the same, but a pass after then says little, and is reported as skipped.
    const bool late = NowMs() - silentAt > 4500.0;
    EXPECT_GE(question, 0);
    EXPECT_LT(question, kWaitBoundMs);
    EXPECT_LT(gap, kPassBoundMs);

    // Once they answer again, every standard button of theirs is relabelled.
    std::vector<HWND> buttons;
    for (HANDLE program : programs)
        for (HWND button : support::ButtonsOf(program)) buttons.push_back(button);
    ASSERT_EQ(240u, buttons.size());
    const auto relabelled = [](HWND button) { return IsDefaultReplacement(WindowText(button)); };
    EXPECT_TRUE(WaitUntil([&] { return std::all_of(buttons.begin(), buttons.end(), relabelled); },
                          kSilenceMs + 10000));
    printf(
        "sixty silent threads in two programs: exit question after %.0f ms, longest gap between "
        "sweeps %.0f ms (bound %.0f); all their buttons relabelled %.0f ms after they fell "
        "silent\n",
        question, gap, kPassBoundMs, NowMs() - silentAt);
    if (late) GTEST_SKIP() << "the checks took too long to show anything";
}

TEST_F(Faults, WindowsMadeAndDestroyedMidSweepCrashNothingAndTheSurvivorsAreRelabelled) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    ASSERT_TRUE(probe.WaitForMore(2));
    probe.Restart();
    HANDLE storm = Helper(L"storm \"Storm over\" 4000");
    HWND host = support::WaitForWindow(L"Storm over", 30000);
    ASSERT_NE(nullptr, host);
    const double over = NowMs();
    const int stormSweeps = probe.Relabels();
    const double stormGap = probe.LongestGapMs();
    ASSERT_TRUE(Alive());

    const std::vector<HWND> survivors = support::ButtonsOf(storm);
    EXPECT_GE(survivors.size(), 60u);
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (HWND button : survivors)
                if (IsStandardCaption(WindowText(button))) return false;
            return true;
        },
        3000));
    const double relabelled = NowMs() - over;
    for (HWND button : survivors) EXPECT_TRUE(IsDefaultReplacement(WindowText(button)));
    // The sweeps never stopped, and the program still answers.
    EXPECT_GE(stormSweeps, 4);
    EXPECT_GE(ExitQuestionAnsweredNo(), 0);
    // Its memory, filled many times over by windows long gone, still puts the survivors' texts
    // back at the end.
    const double ending = NowMs();
    EndProgram();
    const double ended = NowMs() - ending;
    for (HWND button : survivors) EXPECT_TRUE(IsStandardCaption(WindowText(button)));
    printf(
        "a storm of %d buttons: %d sweeps meanwhile, longest gap %.0f ms; %zu survivors "
        "relabelled %.0f ms after it, and their captions put back in an end of %.0f ms\n",
        static_cast<int>(GetWindowLongPtrW(host, GWLP_USERDATA)), stormSweeps, stormGap,
        survivors.size(), relabelled, ended);
}

TEST_F(Faults, EndingBesideAHungProgramTakesAtMostASecond) {
    // This thread's buttons, relabelled while it pumps; then it answers nothing. Waiting for
    // each of them in turn would take more than the second.
    HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 9, 9, NULL, NULL, NULL, NULL);
    for (int i = 0; i < 80; ++i)
        CreateWindowExW(0, L"Button", L"OK", WS_CHILD, 0, 0, 9, 9, host, NULL, NULL, NULL);
    Start(L"nyyyyyy");
    ASSERT_TRUE(WaitUntil([&] { return FindWindowExW(host, NULL, L"Button", L"OK") == NULL; }));
    const double start = NowMs();
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(program_, 5000));
    const double ended = NowMs() - start;
    EXPECT_LT(ended, 1000.0);
    printf("ending beside a program that answers nothing: %.0f ms\n", ended);
    DestroyWindow(host);
}

TEST_F(Faults, IconsLostWithTheNotificationAreaComeBackUnlessSwitchedOff) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    ASSERT_TRUE(ShellHasOurIcon());
    tray_support::RestartNotificationArea(MainWindow(), ID_TRAY);
    EXPECT_TRUE(WaitUntil([] { return ShellHasOurIcon(); }));

    HWND dialog = OpenSettingsWithHotkey();
    ASSERT_NE(nullptr, dialog);
    Click(dialog, IDC_SHOW_TRAY);
    Click(dialog, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(dialog));
    ASSERT_FALSE(ShellHasOurIcon());
    tray_support::RestartNotificationArea(MainWindow(), ID_TRAY);
    // Timer messages come after every posted one: two sweeps later the news has been read.
    ASSERT_TRUE(probe.WaitForMore(2));
    EXPECT_FALSE(ShellHasOurIcon());

    // Never shown at all: the same.
    EndProgram();
    Start(L"nnyyyyy");
    ASSERT_FALSE(ShellHasOurIcon());
    tray_support::RestartNotificationArea(MainWindow(), ID_TRAY);
    ASSERT_TRUE(probe.WaitForMore(2));
    EXPECT_FALSE(ShellHasOurIcon());
}

TEST_F(Faults, TheProgramOutlivesTheNotificationAreasHost) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    ASSERT_TRUE(ShellHasOurIcon());
    // Wine's notification area lives in the process that holds the desktop: once it is gone,
    // it comes back only with a new desktop, after every program has ended.
    DWORD host = 0;
    GetWindowThreadProcessId(FindWindowW(L"Shell_TrayWnd", NULL), &host);
    ASSERT_NE(0u, host);
    HANDLE shell = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, host);
    ASSERT_NE(nullptr, shell);
    TerminateProcess(shell, 1);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(shell, 10000));
    CloseHandle(shell);
    ASSERT_EQ(nullptr, FindWindowW(L"Shell_TrayWnd", NULL));

    // Adding the icon now fails quietly, and everything else goes on.
    HWND dialog = OpenSettingsWithHotkey();
    ASSERT_NE(nullptr, dialog);
    Click(dialog, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(dialog));
    EXPECT_TRUE(probe.WaitForMore(3));
    HWND box = AskToExitWithHotkey();
    ASSERT_NE(nullptr, box);
    PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, support::WaitForExit(program_));
}

TEST_F(Faults, RemovalWhileItRunsKeepsItsTextsAndItsNextLoadWritesThemAllBack) {
    StoreUnits(HKEY_CURRENT_USER, kProductKey, L"Help", L"Спасите", true);
    Start(L"nyyyyyy");
    HANDLE removal = support::StartProgram(L"vorkalun.exe", L"/c");
    EXPECT_EQ(1u, support::WaitForExit(removal));
    support::EndProcess(removal);
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));

    Helper(L"buttons \"After the removal\" Help OK");
    HWND host = support::WaitForWindow(L"After the removal");
    ASSERT_NE(nullptr, host);
    ASSERT_TRUE(WaitUntil([&] { return GetDlgItem(host, 2) != NULL; }));
    EXPECT_TRUE(WaitUntil([&] {
        return WindowText(GetDlgItem(host, 1)) == L"Спасите" &&
               WindowText(GetDlgItem(host, 2)) == L"В натуре";
    }));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));

    // Opening the dialog loads the settings, and the load writes back what is missing.
    HWND dialog = OpenSettingsWithHotkey();
    ASSERT_NE(nullptr, dialog);
    Click(dialog, IDC_TABLE_CANCEL);
    ASSERT_TRUE(ClosesSoon(dialog));
    for (const Row& row : kDefaults) {
        const std::wstring expected = row.name == std::wstring(L"Help") ? L"Спасите" : row.units;
        EXPECT_TRUE(HoldsText(ReadRaw(HKEY_CURRENT_USER, kProductKey, row.name), expected))
            << row.name;
    }
    EXPECT_EQ(std::wstring(L"nyyyyyy\0", 8),
              ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Options").Units());
}

TEST_F(Faults, StartsInARowWhileItRunsEachEndAtOnceChangingNothing) {
    WindowCreations creations;
    Start(L"nyyyyyy");
    ASSERT_GT(creations.By(GetProcessId(program_)), 0);  // the watch does see windows made
    ASSERT_TRUE(ShellHasOurIcon());
    HWND window = MainWindow();
    // A copy that loaded the settings would write the missing value back.
    DeleteValue(HKEY_CURRENT_USER, kProductKey, L"Help");
    std::vector<RawValue> before;
    for (const Row& row : kDefaults)
        before.push_back(ReadRaw(HKEY_CURRENT_USER, kProductKey, row.name));
    before.push_back(ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Options"));

    double slowest = 0;
    for (int start = 2; start <= 10; ++start) {
        DWORD thread = 0;
        const double begun = NowMs();
        HANDLE copy = support::StartProgram(L"vorkalun.exe", L"", &thread);
        EXPECT_EQ(0u, support::WaitForExit(copy)) << start;
        slowest = std::max(slowest, NowMs() - begun);
        support::EndProcess(copy);
        EXPECT_EQ(0, creations.ByThread(thread)) << start;
    }

    std::vector<RawValue> after;
    for (const Row& row : kDefaults)
        after.push_back(ReadRaw(HKEY_CURRENT_USER, kProductKey, row.name));
    after.push_back(ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Options"));
    EXPECT_TRUE(before == after);
    EXPECT_EQ(window, FindWindowW(kClass, NULL));
    EXPECT_EQ(nullptr, FindWindowExW(NULL, window, kClass, NULL));
    EXPECT_TRUE(Alive());
    EXPECT_TRUE(ShellHasOurIcon());
    // The hotkeys are still the first copy's.
    HWND box = AskToExitWithHotkey();
    ASSERT_NE(nullptr, box);
    DWORD asker = 0;
    GetWindowThreadProcessId(box, &asker);
    EXPECT_EQ(GetProcessId(program_), asker);
    printf("nine more starts: the slowest ended after %.0f ms\n", slowest);
}

TEST_F(Faults, ADesktopOfTenThousandWindowsIsSweptWholeAndTheExitHotkeyStillAnswers) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    HANDLE crowds[] = {Helper(L"crowd \"First crowd\" 5000"),
                       Helper(L"crowd \"Second crowd\" 5000")};
    ASSERT_NE(nullptr, support::WaitForWindow(L"First crowd", 60000));
    ASSERT_NE(nullptr, support::WaitForWindow(L"Second crowd", 60000));
    const double crowded = NowMs();
    std::vector<HWND> standard, others;
    for (HANDLE crowd : crowds)
        for (HWND button : support::ButtonsOf(crowd))
            (GetDlgCtrlID(button) % 10 == 1 ? standard : others).push_back(button);
    ASSERT_EQ(900u, standard.size());
    ASSERT_EQ(9900u, others.size() + standard.size());  // and 100 top-levels

    // Nothing lost: every standard button gets its text, and no other button is touched.
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (HWND button : standard)
                if (!IsDefaultReplacement(WindowText(button))) return false;
            return true;
        },
        60000));
    const double relabelled = NowMs() - crowded;
    for (HWND button : others) EXPECT_EQ(0u, WindowText(button).find(L"Кнопка "));
    // Passes keep completing, each in as many ticks as it needs.
    probe.Restart();
    EXPECT_TRUE(probe.WaitForMore(1, 60000));
    const double sweepGap = probe.LongestGapMs();

    // Asked twice, the exit question comes each time, and Yes still ends the program.
    const double first = ExitQuestionAnsweredNo();
    const double second = ExitQuestionAnsweredNo();
    EXPECT_GE(first, 0);
    EXPECT_GE(second, 0);
    const double start = NowMs();
    HWND box = AskToExitWithHotkey();
    ASSERT_NE(nullptr, box);
    const double third = NowMs() - start;
    PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, support::WaitForExit(program_, 30000));
    // A tick's sweep works a slice at a time, so the hotkey waits no longer here than anywhere.
    const double slowest = std::max(first, std::max(second, third));
    EXPECT_LT(slowest, 1000.0);
    printf(
        "10,000 windows: 900 standard buttons relabelled %.0f ms after they were all there; "
        "longest gap between passes %.0f ms; exit question after %.0f, %.0f and %.0f ms\n",
        relabelled, sweepGap, first, second, third);
}

}  // namespace
