// Relabelling: the sweep the timer runs ten times a second for the whole run, and the step
// for a single window the platform reports. Both allocate nothing and talk to the platform
// only where they must.
#include "caption/sweep.h"

#include "caption/caption_table.h"
#include "caption/codepage.h"
#include "caption/remembered.h"
#include "caption/wait_account.h"

namespace caption {

namespace {

enum { kTextCapacity = 256, kNone = -1 };

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

// A sweep counts the descendants of all top-level windows in the order the platform enumerates
// them. It relabels from `start` to the last window, then wraps round to the first and ends
// at `start`. The first window it passes over, or the one where its time runs out, is where
// the next sweep starts; so windows late in the order are reached in turn, however long the
// ones before them keep the sweeps waiting. Windows that come and go in between shift the
// count, which moves the start a little and starves nothing. The enumeration callbacks are
// handed this record.
struct Sweep {
    WaitAccount account;
    int start;
    int count;       // descendants counted so far in this pass
    int passedOver;  // the count of the first window left out; kNone when none was
    bool wrapping;   // the second pass, from the first window up to the start
    bool stopped;    // out of time, or the second pass back at the start
};
Sweep Sweeping;

// Texts are read wide and narrowed to 1251 here. A narrow read would go through the machine's
// own code page, which loses the Russian captions on a non-Cyrillic Windows and turns letters
// it lacks into look-alikes: a class named in full-width letters would read "Button".
const char* Narrowed(Texts& texts) {
    codepage::FromWide(texts.wide, texts.narrow, kTextCapacity);
    return texts.narrow;
}

// A window's class name or its text, by the call given: both take the same arguments.
typedef int(WINAPI* WideRead)(HWND, LPWSTR, int);
const char* Read(WideRead read, HWND window, Texts& texts) {
    texts.wide[0] = 0;
    read(window, texts.wide, kTextCapacity);
    return Narrowed(texts);
}

bool IsButton(HWND window, Texts& texts) {
    const char* name = Read(GetClassNameW, window, texts);
    return CompareCaptions(name, "Button") || CompareCaptions(name, "BorIdeBtn");
}

const char* ReadText(HWND window, Texts& texts) { return Read(GetWindowTextW, window, texts); }

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
    Remember(window, texts.narrow, row);
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

void PassOver(Sweep& sweep, int position) {
    if (sweep.passedOver == kNone) sweep.passedOver = position;
}

BOOL CALLBACK VisitDescendant(HWND window, LPARAM parameter) {
    Sweep& sweep = *reinterpret_cast<Sweep*>(parameter);
    const int position = sweep.count++;
    if (!sweep.wrapping && position < sweep.start) return TRUE;
    if (sweep.wrapping && position >= sweep.start) sweep.stopped = true;
    if (!sweep.stopped && !HasTimeLeft(sweep.account)) {
        PassOver(sweep, position);
        sweep.stopped = true;
    }
    if (sweep.stopped) return FALSE;
    if (IsButton(window, SweepTexts) && !ExamineButton(window)) PassOver(sweep, position);
    return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM parameter) {
    EnumChildWindows(window, VisitDescendant, parameter);
    return !reinterpret_cast<const Sweep*>(parameter)->stopped;
}

}  // namespace

void SweepWindows() {
    Sweep& sweep = Sweeping;
    OpenAccount(&sweep.account, kSweepWaitMs, kSweepShareMs);
    sweep.passedOver = kNone;
    sweep.stopped = false;
    // From the start to the last window; then, unless time ran out, from the first to the start.
    for (sweep.wrapping = false;; sweep.wrapping = true) {
        sweep.count = 0;
        EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&sweep));
        if (sweep.wrapping || sweep.start == 0 || sweep.stopped) break;
    }
    sweep.start = sweep.passedOver == kNone ? 0 : sweep.passedOver;
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
