// Buttons relabelled the moment they appear, by the real program, before its next sweep could
// reach them (the benchmark times it against a build with only its timer); and no relabelling
// storm where replacements form a cycle.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "program_support.h"
#include "settings_support.h"
#include "support.h"

namespace {

using namespace program_support;
using support::WaitUntil;

// How often each of this process's buttons was relabelled, taken as WM_SETTEXT arrives from
// the program.
std::map<HWND, int> Relabels;
WNDPROC ButtonProc;
// A watched button that puts "OK" back a moment after each relabelling, as a program might.
HWND Stubborn;
bool Restoring;
// The sweeps so far, as a button that refuses every new text counts them, and how many had
// come when each watched button was first relabelled.
int Sweeps;
std::map<HWND, int> SweepsAtRelabel;
// What to do from inside the next sweep, once it has reached the counting button.
std::function<void()> InNextSweep;

LRESULT CALLBACK CountSweeps(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SETTEXT) return CallWindowProcW(ButtonProc, window, message, wParam, lParam);
    ++Sweeps;
    std::function<void()> action;
    action.swap(InNextSweep);
    if (action) action();
    return TRUE;
}

// Windows reports every change of a window's text; Wine 8 does not, so the watched buttons
// report their own, as a Windows button would.
LRESULT CALLBACK Watched(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        Restoring = true;
        SetWindowTextW(window, L"OK");
        Restoring = false;
        return 0;
    }
    if (message != WM_SETTEXT) return CallWindowProcW(ButtonProc, window, message, wParam, lParam);
    if (!Restoring) {
        ++Relabels[window];
        SweepsAtRelabel.emplace(window, Sweeps);
        if (window == Stubborn) PostMessageW(window, WM_APP, 0, 0);
    }
    const LRESULT result = CallWindowProcW(ButtonProc, window, message, wParam, lParam);
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_WINDOW, CHILDID_SELF);
    return result;
}

class Events : public Program {
protected:
    void SetUp() override {
        Program::SetUp();
        host_ = CreateWindowExW(0, L"Static", L"Event test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600,
                                300, 300, 200, NULL, NULL, NULL, NULL);
    }
    void TearDown() override {
        DestroyWindow(host_);
        Program::TearDown();
    }

    // A button of this process, watched from its first message on.
    HWND WatchedButton(const wchar_t* text, WNDPROC proc = Watched) {
        HWND button = CreateWindowExW(0, L"Button", text, WS_CHILD | WS_VISIBLE, 10, 10, 120, 30,
                                      host_, NULL, NULL, NULL);
        ButtonProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
        return button;
    }

    HWND host_ = NULL;
};

TEST_F(Events, ANewButtonIsRelabelledBeforeTheNextSweepCouldReachIt) {
    Start(L"nyyyyyy");
    HWND counter = WatchedButton(L"OK", CountSweeps);
    ASSERT_TRUE(WaitUntil([] { return Sweeps >= 2; }));
    for (int sample = 0; sample < 5; ++sample) {
        // Made from inside a sweep that has already listed this window's buttons, and placed
        // after the counting button: the next sweep counts before it can reach the new one.
        HWND button = NULL;
        int madeIn = 0;
        InNextSweep = [&] {
            button = WatchedButton(L"OK");
            SetWindowPos(button, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            madeIn = Sweeps;
        };
        ASSERT_TRUE(WaitUntil([&] { return button != NULL && SweepsAtRelabel.count(button); }));
        ASSERT_EQ(button, GetWindow(counter, GW_HWNDNEXT));
        // Relabelled while that sweep was still the last: the report of its making did it.
        EXPECT_EQ(madeIn, SweepsAtRelabel[button]) << sample;
        DestroyWindow(button);
    }
}

TEST_F(Events, ACycleOfReplacementsFlipsOncePerTickAndNeverSpins) {
    // "Yes" becomes "No" and "No" becomes "Yes": only the sweep may flip such a button.
    using namespace settings_support;
    StoreUnits(HKEY_CURRENT_USER, kProductKey, L"Yes", L"No", true);
    StoreUnits(HKEY_CURRENT_USER, kProductKey, L"No", L"Yes", true);
    Start(L"nyyyyyy");
    HWND button = WatchedButton(L"Yes");
    const double start = support::NowMs();
    WaitUntil([&] { return support::NowMs() - start > 3000; });
    const int relabels = Relabels[button];
    // Thirty ticks in three seconds, and no more than one flip on each: an event caused by a
    // flip must not flip the button again.
    EXPECT_GE(relabels, 10);
    EXPECT_LE(relabels, 40);
}

TEST_F(Events, AButtonThatKeepsPuttingItsCaptionBackCostsAtMostTwoRelabelsATick) {
    Start(L"nyyyyyy");
    Stubborn = WatchedButton(L"OK");
    const double start = support::NowMs();
    WaitUntil([&] { return support::NowMs() - start > 3000; });
    const int relabels = Relabels[Stubborn];
    Stubborn = NULL;
    // Thirty ticks: the sweep's relabel and the reports' one on each, not a running fight.
    EXPECT_GE(relabels, 10);
    EXPECT_LE(relabels, 80);
}

}  // namespace
