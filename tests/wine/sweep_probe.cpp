#include "sweep_probe.h"

#include "support.h"

SweepProbe::SweepProbe() {
    ready_ = CreateEventW(NULL, TRUE, FALSE, NULL);
    last_ = support::NowMs();
    thread_ = std::thread([this] { Run(); });
    WaitForSingleObject(ready_, 10000);
}

SweepProbe::~SweepProbe() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    CloseHandle(ready_);
}

void SweepProbe::Run() {
    threadId_ = GetCurrentThreadId();
    // A hidden window: the sweep visits every window, seen or not.
    HWND host = CreateWindowExW(0, L"Static", L"Sweep probe", WS_POPUP, 0, 0, 100, 40, NULL, NULL,
                                GetModuleHandleW(NULL), NULL);
    button_ = CreateWindowExW(0, L"Button", L"OK", WS_CHILD | BS_PUSHBUTTON, 0, 0, 80, 25, host,
                              NULL, GetModuleHandleW(NULL), NULL);
    SetWindowLongPtrW(button_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    buttonProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonProc)));
    MSG message;
    PeekMessageW(&message, NULL, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts
    SetEvent(ready_);
    while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
    DestroyWindow(host);
}

LRESULT CALLBACK SweepProbe::ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SweepProbe* probe = reinterpret_cast<SweepProbe*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_SETTEXT) {
        // Kept as "OK": the next sweep finds the caption again.
        probe->Record();
        return TRUE;
    }
    return CallWindowProcW(probe->buttonProc_, window, message, wParam, lParam);
}

void SweepProbe::Record() {
    std::lock_guard<std::mutex> lock(mutex_);
    const double now = support::NowMs();
    if (now - last_ > longestGap_) longestGap_ = now - last_;
    last_ = now;
    ++relabels_;
}

int SweepProbe::Relabels() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return relabels_;
}

double SweepProbe::LongestGapMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const double sinceLast = support::NowMs() - last_;
    return sinceLast > longestGap_ ? sinceLast : longestGap_;
}

void SweepProbe::Restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    relabels_ = 0;
    longestGap_ = 0;
    last_ = support::NowMs();
}

bool SweepProbe::WaitForMore(int more, DWORD timeoutMs) const {
    const int target = Relabels() + more;
    return support::WaitUntil([&] { return Relabels() >= target; }, timeoutMs);
}
