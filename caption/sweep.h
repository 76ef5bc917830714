// One pass over every window of the session that relabels the standard buttons.
#pragma once

#include <windows.h>

#include "caption/remembered.h"
#include "caption/wait_account.h"

namespace caption {

// A slice of a pass over every descendant of every top-level window: each whose class is a
// button class and whose text is a standard caption gets that caption's replacement text. It
// works for a few milliseconds and a tick waits on other programs only so long; the next slice
// goes on where this one stopped, and the next pass starts with what this one left out. Returns
// whether the tick may have another slice, once the queued messages have been served.
bool SweepWindows(bool newTick = true);

// The per-button step of the sweep: looks the window's text up and relabels it. Returns false
// when the button needs its text but its program has kept this sweep waiting long enough.
bool ExamineButton(HWND window);

// Sets another program's window text as a relabel does, with a bounded wait booked in the
// account; `wide` takes the converted text. Sends nothing when the account passes the window's
// program over, or when the window would show the text garbled.
PutResult SendText(HWND window, const char* text, WCHAR* wide, WaitAccount& account);

// A window as the platform-free code names it, back as the platform's handle.
inline HWND AsHandle(const void* window) { return static_cast<HWND>(const_cast<void*>(window)); }

// The performance counter's low word, the relabels' clock, and the milliseconds since a reading.
unsigned Now();
unsigned MsSince(unsigned reading);

// Opens the reported windows' own waiting account afresh; called on every tick.
void OpenReportAccount();

// The step for a window the platform reports created, shown or renamed: the sweep's step if
// the window is a button below a top-level window, except that a text which is itself a
// replacement is left alone. Returns whether it set, or tried to set, a new text.
bool ExamineReportedWindow(HWND window);

}  // namespace caption
