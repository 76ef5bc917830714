// Relabelling: the sweep the timer runs ten times a second for the whole run, and the step
// for a single window the platform reports. Both allocate nothing and talk to the platform
// only where they must.
#include "caption/sweep.h"

#include "caption/caption_table.h"
#include "caption/codepage.h"
#include "caption/not_buttons.h"
#include "caption/remembered.h"
#include "caption/restore.h"
#include "caption/sweep_order.h"
#include "caption/wait_account.h"

namespace caption {

namespace {

enum { kTextCapacity = 256 };

// What the reported windows between two ticks may wait; the sweep's own limits are with its
// order.
const unsigned kReportWaitMs = 40, kReportShareMs = kRelabelTimeoutMs;

// A class name, then a window's text, read narrow and wide. The sweep and the event step have
// a set each, so that neither can spoil the other's.
struct Texts {
    char narrow[kTextCapacity];
    WCHAR wide[kTextCapacity];
};
Texts SweepTexts;
Texts EventTexts;

WaitAccount ReportAccount;
SweepOrder Sweeping;

// The counter's units a millisecond, read once; reports may come before the first tick.
unsigned UnitsPerMs() {
    if (Sweeping.unitsPerMs == 0) {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        Sweeping.unitsPerMs = frequency.LowPart / 1000;
    }
    return Sweeping.unitsPerMs;
}

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
    return IsButtonClass(Read(GetClassNameW, window, texts));
}

const char* ReadText(HWND window, Texts& texts) { return Read(GetWindowTextW, window, texts); }

// Relabels the button; `texts` still holds the caption it showed, which is remembered. A text
// its program did not take in time is remembered too: it may take it later.
bool Relabel(HWND window, int row, Texts& texts, WaitAccount& account) {
    const PutResult result = SendText(window, ReplacementText(row), texts.wide, account);
    if (result == kPutPassedOver) return false;
    if (result != kPutUnfit) Remember(window, texts.narrow, row);
    return true;
}

// Into the machine's code page and no further, as a window made by the single-byte calls is
// given its texts; two bytes a unit at most.
char AnsiBytes[2 * kTextCapacity];

bool ConvertsExactly(unsigned codePage, const WCHAR* text) {
    BOOL replaced = FALSE;
    return WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text, -1, AnsiBytes,
                               sizeof AnsiBytes, NULL, &replaced) != 0 &&
           !replaced;
}

// Windows hands a window made by the single-byte calls its new text through the machine's
// code page, and one that lacks the letters turns a Russian phrase into question marks: the
// caption is better left as it is. The code page is asked first: asking about the window is a
// call to the window server.
bool Fits(HWND window, const WCHAR* text) {
    return codepage::ReachesAnsiWindow(GetACP(), text, ConvertsExactly) || IsWindowUnicode(window);
}

// The sweep reaches the descendants of top-level windows only, never a top-level window.
bool IsBelowTopLevel(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    return root != NULL && root != window && GetAncestor(root, GA_PARENT) == GetDesktopWindow();
}

struct Listing {
    Window* out;
    int skip;
    int capacity;
    int seen;
};

BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
    Listing* listing = reinterpret_cast<Listing*>(parameter);
    const int i = listing->seen++ - listing->skip;
    if (i >= 0) listing->out[i] = window;
    return i + 1 < listing->capacity;
}

int List(Window parent, int skip, Window* out, int capacity) {
    Listing listing = {out, skip, capacity, 0};
    const LPARAM parameter = reinterpret_cast<LPARAM>(&listing);
    if (parent == 0)
        EnumWindows(Collect, parameter);
    else
        EnumChildWindows(AsHandle(parent), Collect, parameter);
    return listing.seen > skip ? listing.seen - skip : 0;
}

const char* ClassName(Window window) { return Read(GetClassNameW, AsHandle(window), SweepTexts); }

bool ExamineListed(Window button) { return ExamineButton(AsHandle(button)); }

bool HasSliceLeft() { return !IsSliceSpent(Sweeping); }

// Buttons a phrase change could not reach are offered it again first thing in a tick, within
// its slice and from its waiting.
void RetryPhrasesInSlice() {
    PutWithin(&Sweeping.account);
    RetryPhrases(HasSliceLeft);
}

const SweepSeam kPlatform = {List, ClassName, ExamineListed, Now, RetryPhrasesInSlice};

}  // namespace

// The performance counter's low word: GetTickCount moves in steps of a system tick (15.6 ms on
// most machines), longer than the sweep's whole slice. Counters run at a few MHz, so one word
// holds minutes.
unsigned Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.LowPart;
}

unsigned MsSince(unsigned reading) { return (Now() - reading) / UnitsPerMs(); }

PutResult SendText(HWND window, const char* text, WCHAR* wide, WaitAccount& account) {
    codepage::ToWide(text, wide, kTextCapacity);
    if (!Fits(window, wide)) return kPutUnfit;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!MayWaitOn(account, process)) return kPutPassedOver;
    const unsigned sent = Now();
    // SetWindowText is not reliable on another program's control; WM_SETTEXT is, and the
    // timeout keeps a busy or hung owner from freezing the program. A send that fails passes
    // its program over, whatever the reason: the wait ran out (older systems say so without an
    // error code), the owner was declared hung, or the platform's privilege rules refused the
    // message, as they refuse every message to an elevated program.
    // SMTO_BLOCK: with SMTO_NORMAL the wait handles messages sent to this thread, and a tray
    // click then runs the menu's modal loop, whose WM_TIMER starts a sweep inside this one and
    // whose window events relabel inside this relabel, booking their waits to this program.
    // Blocked, nothing of ours runs inside a send. The price is what SMTO_BLOCK warns of: an
    // owner that sends back to us while we wait cannot be answered, which the timeout bounds.
    DWORD_PTR ignored;
    const bool failed =
        !SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kRelabelTimeoutMs, &ignored);
    BookWait(&account, process, MsSince(sent), failed);
    // Invalidated even when the wait ran out: an owner that was only slow still takes the text
    // when it gets to it, and a button that does not repaint itself for it then shows it all
    // the same. Where the text never arrives (the wait abandoned for a hung owner, the message
    // refused by the platform's privilege rules, the window gone) this costs nothing.
    InvalidateRect(window, NULL, FALSE);
    return failed ? kPutUnanswered : kPutTaken;
}

bool SweepWindows(bool newTick) {
    UnitsPerMs();
    return RunSweep(&Sweeping, kPlatform, newTick);
}

bool ExamineButton(HWND window) {
    const int row = FindCaptionRow(ReadText(window, SweepTexts));
    return row == kNoRow || Relabel(window, row, SweepTexts, Sweeping.account);
}

void OpenReportAccount() { OpenAccount(&ReportAccount, kReportWaitMs, kReportShareMs); }

bool ExamineReportedWindow(HWND window) {
    if (IsKnownNotButton(window) || !IsButton(window, EventTexts) || !IsBelowTopLevel(window))
        return false;
    const char* text = ReadText(window, EventTexts);
    // The program's own relabelling is reported as well; a text that is a replacement is
    // left to the sweep, so that no change of ours can set a text again at once.
    if (IsReplacementText(text)) return false;
    const int row = FindCaptionRow(text);
    return row != kNoRow && Relabel(window, row, EventTexts, ReportAccount);
}

}  // namespace caption
