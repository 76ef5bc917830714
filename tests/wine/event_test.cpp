// Buttons relabelled the moment they appear, by the real program, measured against a build of
// it that has only its timer; and no relabelling storm where replacements form a cycle.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "program_support.h"
#include "settings_support.h"
#include "support.h"

namespace {

using namespace program_support;
using support::WaitUntil;

// When each of this process's buttons was last relabelled, and how often, taken as WM_SETTEXT
// arrives from the program.
std::map<HWND, double> RelabelledAt;
std::map<HWND, int> Relabels;
WNDPROC ButtonProc;
// A watched button that puts "OK" back a moment after each relabelling, as a program might.
HWND Stubborn;
bool Restoring;

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
        RelabelledAt[window] = support::NowMs();
        ++Relabels[window];
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
    HWND WatchedButton(const wchar_t* text) {
        HWND button = CreateWindowExW(0, L"Button", text, WS_CHILD | WS_VISIBLE, 10, 10, 120, 30,
                                      host_, NULL, NULL, NULL);
        ButtonProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watched)));
        return button;
    }

    // The median time from a button's creation to its relabelling, over buttons created at
    // random points of the program's tick.
    double MedianLatency() {
        std::mt19937 random(7);
        std::vector<double> latencies;
        for (int sample = 0; sample < 15; ++sample) {
            const double pause = support::NowMs() + random() % 100;
            WaitUntil([&] { return support::NowMs() >= pause; });
            const double created = support::NowMs();
            HWND button = WatchedButton(L"OK");
            if (WaitUntil([&] { return RelabelledAt.count(button) != 0; }, 2000))
                latencies.push_back(RelabelledAt[button] - created);
            DestroyWindow(button);
        }
        EXPECT_EQ(15u, latencies.size());
        std::sort(latencies.begin(), latencies.end());
        return latencies.empty() ? 0 : latencies[latencies.size() / 2];
    }

    HWND host_ = NULL;
};

TEST_F(Events, ANewButtonIsRelabelledLongBeforeTheTimerAloneWouldDoIt) {
    Start(L"nyyyyyy", L"vorkalun_timer_only.exe");
    const double timerOnly = MedianLatency();
    Stop();
    Start(L"nyyyyyy");
    const double withEvents = MedianLatency();
    std::printf("median latency: %.1f ms with events, %.1f ms with the timer alone\n", withEvents,
                timerOnly);
    EXPECT_LT(withEvents * 3, timerOnly);
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
