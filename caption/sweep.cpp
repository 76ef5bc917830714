// Relabelling: the sweep the timer runs ten times a second for the whole run, and the step
// for a single window the platform reports. Both allocate nothing and talk to the platform
// only where they must.
#include "caption/sweep.h"

#include "caption/caption_table.h"
#include "caption/codepage.h"
#include "caption/wait_account.h"

namespace caption {

namespace {

enum { kTextCapacity = 256, kNoEnd = -1 };

// What one sweep may wait for buttons to take their texts, in all and on one program, and
// what the reported windows between two ticks may. A program that has kept an account waiting
// its share (one timeout is enough) is passed over until the account opens again at the next
// tick, and once the whole is spent, everything is. So neither a program that answers every
// text just in time nor a crowd of silent ones holds up the hotkeys, the menu or the other
// programs' buttons for much more than a tick.
const unsigned kSweepWaitMs = 100, kSweepShareMs = 50;
const unsigned kReportWaitMs = 40, kReportShareMs = kRelabelTimeoutMs;

// A class name, then a window's text, read narrow and wide. The sweep and the event step have
// a set each: an event can arrive while the sweep waits for a button to take its text.
struct Texts {
    char narrow[kTextCapacity];
    WCHAR wide[kTextCapacity];
};
Texts SweepTexts;
Texts EventTexts;

WaitAccount ReportAccount;

// A window among the descendants of a top-level window, counted in the order the platform
// enumerates them.
struct Place {
    HWND topLevel;
    int offset;
};

// A sweep starts relabelling at a place, goes on to the last window, then wraps round to the
// first and ends where it started. The first window it passes over, or the one where its time
// runs out, is where the next sweep starts; so windows late in the order are reached in turn,
// however long the ones before them keep the sweeps waiting. The enumeration callbacks are
// handed this record.
struct Sweep {
    WaitAccount account;
    Place start;       // no top-level window: from the first window of all
    Place passedOver;  // no top-level window: nothing left out so far
    HWND topLevel;     // the one the pass is in
    int offset;
    int from, to;   // the offsets the pass relabels there
    bool wrapping;  // the second pass, up to the start
    bool started;   // the first pass has reached the start
    bool outOfTime;
};
Sweep Sweeping;

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

// Returns whether the text was sent: a button of a program that has used up its share of the
// account is passed over.
bool Relabel(HWND window, int row, Texts& texts, WaitAccount& account) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!MayWaitOn(account, process)) return false;
    codepage::ToWide(ReplacementText(row), texts.wide, kTextCapacity);
    // The clock may be as coarse as the system's timer: over many relabels its errors even out.
    const DWORD sent = GetTickCount();
    // SetWindowText is not reliable on another program's control; WM_SETTEXT is, and the
    // timeout keeps a busy or hung owner from freezing the program. A relabel that fails passes
    // its program over, whatever the reason: the wait ran out (older systems say so without an
    // error code), the owner was declared hung, or the platform's privilege rules refused the
    // message, as they refuse every message to an elevated program.
    DWORD_PTR ignored;
    const bool failed =
        !SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(texts.wide),
                             SMTO_ABORTIFHUNG | SMTO_NORMAL, kRelabelTimeoutMs, &ignored);
    BookWait(&account, process, GetTickCount() - sent, failed);
    // Invalidated even when the wait ran out: an owner that was only slow still takes the text
    // when it gets to it, and a button that does not repaint itself for it then shows it all
    // the same. Where the text never arrives (the wait abandoned for a hung owner, the message
    // refused by the platform's privilege rules, the window gone) this costs nothing.
    InvalidateRect(window, NULL, FALSE);
    return true;
}

// The sweep reaches the descendants of top-level windows only, never a top-level window.
bool IsBelowTopLevel(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    return root != NULL && root != window && GetAncestor(root, GA_PARENT) == GetDesktopWindow();
}

void PassOver(Sweep& sweep, int offset) {
    if (sweep.passedOver.topLevel != NULL) return;
    sweep.passedOver.topLevel = sweep.topLevel;
    sweep.passedOver.offset = offset;
}

BOOL CALLBACK VisitDescendant(HWND window, LPARAM parameter) {
    Sweep& sweep = *reinterpret_cast<Sweep*>(parameter);
    if (sweep.offset == sweep.to) return FALSE;
    const int offset = sweep.offset++;
    if (offset < sweep.from) return TRUE;
    if (!HasTimeLeft(sweep.account)) {
        PassOver(sweep, offset);
        sweep.outOfTime = true;
        return FALSE;
    }
    if (IsButton(window, SweepTexts) && !ExamineButton(window)) PassOver(sweep, offset);
    return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM parameter) {
    Sweep& sweep = *reinterpret_cast<Sweep*>(parameter);
    const bool isStart = window == sweep.start.topLevel;
    if (!sweep.wrapping && !sweep.started && !isStart) return TRUE;
    sweep.started = true;
    sweep.topLevel = window;
    sweep.offset = 0;
    sweep.from = isStart && !sweep.wrapping ? sweep.start.offset : 0;
    sweep.to = isStart && sweep.wrapping ? sweep.start.offset : kNoEnd;
    EnumChildWindows(window, VisitDescendant, parameter);
    return !sweep.outOfTime && !(isStart && sweep.wrapping);
}

}  // namespace

void SweepWindows() {
    Sweep& sweep = Sweeping;
    OpenAccount(&sweep.account, kSweepWaitMs, kSweepShareMs);
    sweep.passedOver.topLevel = NULL;
    sweep.outOfTime = false;
    sweep.wrapping = false;
    sweep.started = sweep.start.topLevel == NULL;
    const LPARAM parameter = reinterpret_cast<LPARAM>(&sweep);
    EnumWindows(VisitTopLevel, parameter);
    if (sweep.start.topLevel != NULL && !sweep.outOfTime) {
        sweep.wrapping = true;
        EnumWindows(VisitTopLevel, parameter);
    }
    sweep.start = sweep.passedOver;
}

bool ExamineButton(HWND window) {
    const int row = FindCaptionRow(ReadText(window, SweepTexts));
    return row == kNoRow || Relabel(window, row, SweepTexts, Sweeping.account);
}

void OpenReportAccount() { OpenAccount(&ReportAccount, kReportWaitMs, kReportShareMs); }

bool ExamineReportedWindow(HWND window) {
    if (!IsButton(window, EventTexts) || !IsBelowTopLevel(window)) return false;
    const char* text = ReadText(window, EventTexts);
    // The program's own relabelling is reported as well; a text that is a replacement is
    // left to the sweep, so that no change of ours can set a text again at once.
    if (IsReplacementText(text)) return false;
    const int row = FindCaptionRow(text);
    return row != kNoRow && Relabel(window, row, EventTexts, ReportAccount);
}

}  // namespace caption
