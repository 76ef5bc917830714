// Out-of-context window events: the platform queues them to this thread, so no code of ours
// runs inside another process. They arrive wherever the thread takes or waits for messages:
// in the message loop and in the modal loops of the menu, the dialog and the exit question;
// never inside a relabel's wait, which blocks them (SMTO_BLOCK), so never inside a sweep.
#include "caption/window_events.h"

#include <windows.h>

#include "caption/not_buttons.h"
#include "caption/sweep.h"

namespace caption {

namespace {

// Between two ticks the reports relabel at most this many buttons, and each of them once: a
// window that keeps putting its caption back gets it replaced again by the next sweep.
enum { kRelabelsPerTick = 64 };

// The first, creation, also keeps the set of windows known to be no buttons true.
const DWORD kWatchedEvents[] = {EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE};
const int kWatchedCount = sizeof kWatchedEvents / sizeof kWatchedEvents[0];

HWINEVENTHOOK Hooks[kWatchedCount];
HWND Relabelled[kRelabelsPerTick];
int RelabelledCount;

bool IsSpent(HWND window) {
    if (RelabelledCount == kRelabelsPerTick) return true;
    for (int i = 0; i < RelabelledCount; ++i)
        if (Relabelled[i] == window) return true;
    return false;
}

void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                            DWORD) {
    if (window == NULL || object != OBJID_WINDOW || child != CHILDID_SELF) return;
    // A handle is given again to a new window once its own is gone.
    if (event == EVENT_OBJECT_CREATE) ForgetWindow(window);
    if (IsSpent(window)) return;
    if (ExamineReportedWindow(window)) Relabelled[RelabelledCount++] = window;
}

}  // namespace

void WatchWindowEvents() {
    OpenReportAccount();
    for (int i = 0; i < kWatchedCount; ++i)
        Hooks[i] = SetWinEventHook(kWatchedEvents[i], kWatchedEvents[i], NULL, OnWindowEvent, 0, 0,
                                   WINEVENT_OUTOFCONTEXT);
    UseNotButtons(Hooks[0] != NULL);
}

void StopWatchingWindowEvents() {
    UseNotButtons(false);
    for (int i = 0; i < kWatchedCount; ++i)
        if (Hooks[i] != NULL) UnhookWinEvent(Hooks[i]);
}

void RefillEventBudget() {
    RelabelledCount = 0;
    OpenReportAccount();
}

}  // namespace caption
