// The window sweep: the timer runs it ten times a second for the whole run, so it allocates
// nothing and talks to the platform only where it must.
#include "caption/sweep.h"

#include "caption/caption_table.h"
#include "caption/codepage.h"

namespace caption {

namespace {

enum { kTextCapacity = 256 };

// A button that does not answer within this long is left for a later tick: the sweep must
// never wait on a program that has stopped responding.
const UINT kSetTextTimeoutMs = 20;

// One thread only, so one narrow buffer serves the class name and then the window text.
char Text[kTextCapacity];
WCHAR WideText[kTextCapacity];

// The thread whose button last let its relabel time out in this sweep. Its other buttons wait
// for a later sweep: a program that has just stopped answering then costs one timeout per
// sweep, not one per button, until the platform itself declares it hung.
DWORD SilentThread;

bool IsButtonClass(const char* className) {
    return CompareCaptions(className, "Button") || CompareCaptions(className, "BorIdeBtn");
}

BOOL CALLBACK VisitDescendant(HWND window, LPARAM) {
    // Class names are ASCII by nature; the narrow call is exact for them on any code page.
    GetClassNameA(window, Text, kTextCapacity);
    if (IsButtonClass(Text)) ExamineButton(window);
    return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM) {
    EnumChildWindows(window, VisitDescendant, 0);
    return TRUE;
}

}  // namespace

void SweepWindows() {
    SilentThread = 0;
    EnumWindows(VisitTopLevel, 0);
}

void ExamineButton(HWND window) {
    // Read wide and narrow to 1251 ourselves: an ANSI read would go through the machine's
    // own code page and lose the Russian captions on a non-Cyrillic Windows.
    WideText[0] = 0;
    GetWindowTextW(window, WideText, kTextCapacity);
    codepage::FromWide(WideText, Text, kTextCapacity);

    const int row = FindCaptionRow(Text);
    if (row == kNoRow) return;
    if (SilentThread != 0 && GetWindowThreadProcessId(window, NULL) == SilentThread) return;

    codepage::ToWide(ReplacementText(row), WideText, kTextCapacity);
    // SetWindowText is not reliable on another program's control; WM_SETTEXT is, and the
    // timeout keeps a hung owner from freezing the sweep (and with it the whole program).
    DWORD_PTR ignored;
    if (SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideText),
                            SMTO_ABORTIFHUNG | SMTO_NORMAL, kSetTextTimeoutMs, &ignored))
        InvalidateRect(window, NULL, FALSE);
    else if (GetLastError() == ERROR_TIMEOUT)
        SilentThread = GetWindowThreadProcessId(window, NULL);
}

}  // namespace caption
