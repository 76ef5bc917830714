// Relabelling: the sweep the timer runs ten times a second for the whole run, and the step
// for a single window the platform reports. Both allocate nothing and talk to the platform
// only where they must.
#include "caption/sweep.h"

#include "caption/caption_table.h"
#include "caption/codepage.h"

namespace caption {

namespace {

enum { kTextCapacity = 256 };

// A button that does not answer within this long is left for a later tick: the sweep must
// never wait on a program that has stopped responding.
const UINT kSetTextTimeoutMs = 20;

// A class name, then a window's text, read narrow and wide. The sweep and the event step have
// a set each: an event can arrive while the sweep waits for a button to take its text.
struct Texts {
    char narrow[kTextCapacity];
    WCHAR wide[kTextCapacity];
};
Texts SweepTexts;
Texts EventTexts;

// The thread whose button last let its relabel time out since this sweep began. Its other
// buttons wait for the next sweep, the reported ones too: a program that has just stopped
// answering, or is too busy to, then costs a timeout or two per tick, not one per button,
// until the platform itself declares it hung.
DWORD SilentThread;

// Texts are read wide and narrowed to 1251 here. A narrow read would go through the machine's
// own code page, which loses the Russian captions on a non-Cyrillic Windows and turns letters
// it lacks into look-alikes: a class named in full-width letters would read "Button".
const char* Narrowed(Texts& texts) {
    codepage::FromWide(texts.wide, texts.narrow, kTextCapacity);
    return texts.narrow;
}

bool IsButton(HWND window, Texts& texts) {
    texts.wide[0] = 0;
    GetClassNameW(window, texts.wide, kTextCapacity);
    const char* name = Narrowed(texts);
    return CompareCaptions(name, "Button") || CompareCaptions(name, "BorIdeBtn");
}

const char* ReadText(HWND window, Texts& texts) {
    texts.wide[0] = 0;
    GetWindowTextW(window, texts.wide, kTextCapacity);
    return Narrowed(texts);
}

bool IsSilent(HWND window) {
    return SilentThread != 0 && GetWindowThreadProcessId(window, NULL) == SilentThread;
}

// Returns whether the text was sent: a button of a silent program is left for later.
bool Relabel(HWND window, int row, Texts& texts) {
    if (IsSilent(window)) return false;
    codepage::ToWide(ReplacementText(row), texts.wide, kTextCapacity);
    // SetWindowText is not reliable on another program's control; WM_SETTEXT is, and the
    // timeout keeps a busy or hung owner from freezing the program.
    DWORD_PTR ignored;
    if (!SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(texts.wide),
                             SMTO_ABORTIFHUNG | SMTO_NORMAL, kSetTextTimeoutMs, &ignored) &&
        GetLastError() == ERROR_TIMEOUT)
        SilentThread = GetWindowThreadProcessId(window, NULL);
    // Invalidated even when the wait ran out: the text still arrives once the owner answers,
    // and a button that does not repaint itself for it then shows it all the same.
    InvalidateRect(window, NULL, FALSE);
    return true;
}

// The sweep reaches the descendants of top-level windows only, never a top-level window.
bool IsBelowTopLevel(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    return root != NULL && root != window && GetAncestor(root, GA_PARENT) == GetDesktopWindow();
}

BOOL CALLBACK VisitDescendant(HWND window, LPARAM) {
    if (IsButton(window, SweepTexts)) ExamineButton(window);
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
    const int row = FindCaptionRow(ReadText(window, SweepTexts));
    if (row != kNoRow) Relabel(window, row, SweepTexts);
}

bool ExamineReportedWindow(HWND window) {
    if (!IsButton(window, EventTexts) || !IsBelowTopLevel(window)) return false;
    const char* text = ReadText(window, EventTexts);
    // The program's own relabelling is reported as well; a text that is a replacement is
    // left to the sweep, so that no change of ours can set a text again at once.
    if (IsReplacementText(text)) return false;
    const int row = FindCaptionRow(text);
    return row != kNoRow && Relabel(window, row, EventTexts);
}

}  // namespace caption
