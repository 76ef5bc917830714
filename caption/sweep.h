// One pass over every window of the session that relabels the standard buttons.
#pragma once

#include <windows.h>

namespace caption {

// Every descendant of every top-level window whose class is a button class and whose text
// is a standard caption gets that caption's replacement text.
void SweepWindows();

// The per-button step of the sweep: looks the window's text up and relabels it.
void ExamineButton(HWND window);

}  // namespace caption
