// The real program under faults that other programs and the machine inflict on it: programs
// that stop answering, windows that vanish mid-sweep, a notification area that goes away,
// removal and second starts while it runs, and a crowded desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "caption/caption_table.h"
#include "caption/codepage.h"
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

std::wstring kMany = L" OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK OK";
TEST_F(Faults, AHungProgramHoldsUpNeitherTheSweepsNorTheHotkeysNorTheMenu) {
    Start(L"nyyyyyy");
    SweepProbe probe;
    ASSERT_TRUE(probe.WaitForMore(2));
    // A program that stops answering with a window full of standard captions.
    const DWORD kHangMs = 4000;
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
    HWND icon = tray_support::ShellIconWithTip(kTitle);
    ASSERT_NE(nullptr, icon);
    support::ClickAt(tray_support::CentreOf(icon));
    EXPECT_TRUE(WaitUntil([] { return tray_support::OpenPopupMenu() != NULL; }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([] { return tray_support::OpenPopupMenu() == NULL; }));
    // A moment per hung program, not per button: it has eighty.
    const double hungGap = probe.LongestGapMs();
    EXPECT_LT(hungGap, 1000.0);

    // All of that while the program still hung: its button kept its caption.
    ASSERT_LT(NowMs() - hungAt, kHangMs - 500.0) << "the hang ended before the checks did";
    EXPECT_EQ(L"OK", WindowText(hungOk));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(hungOk) == L"В натуре"; }, kHangMs + 5000));
    const double recovered = NowMs() - hungAt - kHangMs;
    EXPECT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(hung, 81)) == L"Н&ефиг"; }));
    printf(
        "while a program hung: exit question after %.0f ms, longest gap between sweeps "
        "%.0f ms; its buttons relabelled %.0f ms after it answered again\n",
        question, hungGap, recovered);
}

}  // namespace
