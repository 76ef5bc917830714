// The program's own sweep against the floor: a bare loop making the platform calls of a sweep
// that knows nothing of the windows (the class name of each, the text of each button), and the
// bare enumeration of the windows, run interleaved over the same desktop (built by another
// process, as real desktops are). Prints raw timings, one pass a line, for the report:
//   census WINDOWS BUTTONS STANDARD
//   steady SWEEP_MS FLOOR_MS ENUMERATION_MS   every standard caption already replaced
//   relabel SWEEP_MS FLOOR_MS N               a pair whose sweep relabelled N buttons
// Usage: sweep_bench STEADY_PAIRS RELABEL_PAIRS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "caption/caption_table.h"
#include "caption/codepage.h"
#include "caption/sweep.h"
#include "caption/sweep_order.h"
#include "caption/window_events.h"

namespace {

enum { kTextCapacity = 256, kMaxStandard = 4096 };

// The same calls, in the same variants, as the sweep: wide class names and button texts.
WCHAR ClassName[kTextCapacity];
WCHAR Text[kTextCapacity];

bool IsButtonClass(const WCHAR* name) {
    return wcscmp(name, L"Button") == 0 || wcscmp(name, L"BorIdeBtn") == 0;
}

BOOL CALLBACK FloorDescendant(HWND window, LPARAM) {
    GetClassNameW(window, ClassName, kTextCapacity);
    if (IsButtonClass(ClassName)) GetWindowTextW(window, Text, kTextCapacity);
    return TRUE;
}

BOOL CALLBACK FloorTopLevel(HWND window, LPARAM) {
    EnumChildWindows(window, FloorDescendant, 0);
    return TRUE;
}

void Floor() { EnumWindows(FloorTopLevel, 0); }

BOOL CALLBACK ListDescendant(HWND, LPARAM) { return TRUE; }

BOOL CALLBACK ListTopLevel(HWND window, LPARAM) {
    EnumChildWindows(window, ListDescendant, 0);
    return TRUE;
}

void Enumeration() { EnumWindows(ListTopLevel, 0); }

// The buttons that show a standard caption before any sweep, and that caption, to put back.
struct Standard {
    HWND window;
    WCHAR text[kTextCapacity];
};
Standard Standards[kMaxStandard];
int StandardCount;
int WindowCount;
int ButtonCount;

BOOL CALLBACK CensusDescendant(HWND window, LPARAM) {
    ++WindowCount;
    GetClassNameW(window, ClassName, kTextCapacity);
    if (!IsButtonClass(ClassName)) return TRUE;
    ++ButtonCount;
    if (StandardCount == kMaxStandard) return TRUE;
    Standard& s = Standards[StandardCount];
    GetWindowTextW(window, s.text, kTextCapacity);
    char narrow[kTextCapacity];
    codepage::FromWide(s.text, narrow, kTextCapacity);
    if (caption::FindCaptionRow(narrow) != caption::kNoRow) {
        s.window = window;
        ++StandardCount;
    }
    return TRUE;
}

BOOL CALLBACK CensusTopLevel(HWND window, LPARAM) {
    ++WindowCount;
    EnumChildWindows(window, CensusDescendant, 0);
    return TRUE;
}

void PutCaptionsBack() {
    for (int i = 0; i < StandardCount; ++i)
        SendMessageW(Standards[i].window, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(Standards[i].text));
}

int StillStandard() {
    int count = 0;
    for (int i = 0; i < StandardCount; ++i) {
        GetWindowTextW(Standards[i].window, Text, kTextCapacity);
        if (lstrcmpW(Text, Standards[i].text) == 0) ++count;
    }
    return count;
}

LONGLONG Frequency;

// A whole pass: the slice is raised out of its way.
void Sweep() { caption::SweepWindows(); }

double TimeMs(void (*pass)()) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    pass();
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(Frequency);
}

// One sweep and one floor pass, in alternating order so that neither always goes first.
void TimePair(int index, double* sweepMs, double* floorMs) {
    if (index % 2 == 0) {
        *sweepMs = TimeMs(Sweep);
        *floorMs = TimeMs(Floor);
    } else {
        *floorMs = TimeMs(Floor);
        *sweepMs = TimeMs(Sweep);
    }
}

// The same with the bare enumeration, each of the three first in turn.
void TimeTriple(int index, double* sweepMs, double* floorMs, double* enumerationMs) {
    if (index % 3 == 2) *enumerationMs = TimeMs(Enumeration);
    TimePair(index, sweepMs, floorMs);
    if (index % 3 != 2) *enumerationMs = TimeMs(Enumeration);
}

}  // namespace

int main(int count, char** args) {
    if (count < 3) return 2;
    const int steadyPairs = atoi(args[1]);
    const int relabelPairs = atoi(args[2]);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    Frequency = frequency.QuadPart;
    // Each call a whole pass, however many ticks the program would cut it into. The window
    // events are watched as the program watches them, which is what lets the sweep keep what it
    // learns of the windows; nothing is made or destroyed while the passes are timed.
    caption::SweepSliceMs = 1000000;
    caption::WatchWindowEvents();

    EnumWindows(CensusTopLevel, 0);
    printf("census %d %d %d\n", WindowCount, ButtonCount, StandardCount);

    // Into the steady state, and past the first, colder passes.
    for (int i = 0; i < 3; ++i) {
        caption::SweepWindows();
        Floor();
    }
    for (int i = 0; i < steadyPairs; ++i) {
        double sweepMs, floorMs, enumerationMs;
        TimeTriple(i, &sweepMs, &floorMs, &enumerationMs);
        printf("steady %.3f %.3f %.3f\n", sweepMs, floorMs, enumerationMs);
    }

    for (int i = 0; i < relabelPairs; ++i) {
        PutCaptionsBack();
        // Let the desktop repaint what was put back before the clock runs.
        Sleep(100);
        const int before = StillStandard();
        double sweepMs, floorMs;
        TimePair(i, &sweepMs, &floorMs);
        printf("relabel %.3f %.3f %d\n", sweepMs, floorMs, before - StillStandard());
    }
    fflush(stdout);
    return 0;
}
