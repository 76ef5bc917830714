// One pass over every window of the session that relabels the standard buttons.
#pragma once

#include <windows.h>

namespace caption {

// Every descendant of every top-level window whose class is a button class and whose text
// is a standard caption gets that caption's replacement text.
void SweepWindows();

// The per-button step of the sweep: looks the window's text up and relabels it.
void ExamineButton(HWND window);

// The step for a window the platform reports created, shown or renamed: the sweep's step if
// the window is a button below a top-level window, except that a text which is itself a
// replacement is left alone. Returns whether it set, or tried to set, a new text.
bool ExamineReportedWindow(HWND window);

}  // namespace caption
