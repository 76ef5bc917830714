// Counts the program's sweeps from outside it: a button labelled "OK" that refuses every new
// text, so each sweep that reaches it relabels it once more. Its window lives on a thread of
// its own, which keeps answering while the test waits on other things.
#pragma once

#include <windows.h>

#include <mutex>
#include <thread>

class SweepProbe {
public:
    SweepProbe();
    ~SweepProbe();
    SweepProbe(const SweepProbe&) = delete;
    SweepProbe& operator=(const SweepProbe&) = delete;

    // Relabels seen so far.
    int Relabels() const;
    // The longest time between two relabels, counting the time since the last one as well:
    // a program that has stopped sweeping shows here even before its next relabel.
    double LongestGapMs() const;
    // Forgets everything seen so far; the gaps count from now.
    void Restart();
    // Waits for `more` relabels beyond those seen so far.
    bool WaitForMore(int more, DWORD timeoutMs = 10000) const;

private:
    static LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run();
    void Record();

    mutable std::mutex mutex_;
    int relabels_ = 0;
    double last_ = 0;
    double longestGap_ = 0;
    HWND button_ = NULL;
    WNDPROC buttonProc_ = NULL;
    DWORD threadId_ = 0;
    HANDLE ready_;
    std::thread thread_;
};
