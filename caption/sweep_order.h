// The sweep's order: where a tick's sweep begins and ends, which windows a pass leaves out, and
// when its time is up. No platform code: the enumeration, the clock and the step for a window
// come through a seam, so the unit tests run it over a fake window list.
#pragma once

#include "caption/wait_account.h"

namespace caption {

typedef const void* Window;

enum {
    // What one tick's sweep may wait for buttons to take their texts, in all and on one
    // program. A program that has kept it waiting its share (one timeout is enough) is passed
    // over until the next tick, and once the whole is spent, the tick's sweep ends. So neither a
    // program that answers every text just in time nor a crowd of silent ones holds up the
    // hotkeys, the menu or the other programs' buttons for much more than a tick.
    kSweepWaitMs = 100,
    kSweepShareMs = 50,
    // What one tick's sweep may spend of its own work, waits on the buttons' programs apart: a
    // slice, then another once the window events queued meanwhile have been served.
    kSweepSliceMs = 5,
    kSlicesPerTick = 2,
};

struct SweepOrder;

// What the sweep asks of the platform.
struct SweepSeam {
    // Hands every top-level window to VisitTopLevel and, where that says so, each of its
    // descendants to VisitWindow, in the platform's order; stops once `stopped` is set.
    void (*enumerate)(SweepOrder* order);
    // Whether the window still stands under that top-level window (a top-level window under
    // itself): a handle alone may have been given to a new window since.
    bool (*isThere)(Window window, Window top);
    // Examines a descendant; false when it is a button left out because its program kept the
    // sweep waiting long enough. The rest of its top-level window is then left out with it.
    bool (*examine)(Window window);
    // A clock of unitsPerMs units a millisecond; differences of a few minutes fit in a word.
    unsigned (*now)();
};

// A window in the order: its handle and its top-level window's, and where both were when it
// was marked, for when they are gone. A null window marks the first one.
struct SweepMark {
    Window window;
    Window top;
    int topPosition;  // top-level windows before its own
    int position;     // descendants of its own top-level window before it
};

// Finding a mark in one enumeration.
struct SweepSeek {
    bool topThere;
    bool windowThere;
    bool inTop;  // among the descendants of the mark's top-level window
    bool past;   // past that window, or where it stood
};

struct SweepOrder {
    WaitAccount account;   // the tick's waiting
    SweepMark start;       // where the pass began: it ends when it comes round to it again
    SweepMark resume;      // where the next tick's sweep goes on
    SweepMark passedOver;  // the first window the pass left out; none while its window is null
    bool wrapped;          // the pass is past the last window, from the first towards its start
    bool running;
    // One tick's sweep.
    const SweepSeam* seam;
    unsigned unitsPerMs;
    unsigned entered;       // when the slice began to find its place
    unsigned sought;        // what finding it took
    unsigned began;         // when it found it
    unsigned waitedBefore;  // by the tick's earlier slices
    SweepSeek toResume;
    SweepSeek toStart;
    Window top;
    int topCount;
    int count;
    bool seeking;  // still before the resume mark
    bool moved;    // a window was examined
    bool stopped;
    bool cut;    // stopped by the slice, with time left to wait
    int slices;  // this tick's
};

// The longest a tick's sweep works on its own; the benchmark raises it to time whole passes.
extern unsigned SweepSliceMs;

// A slice of a tick's sweep: from where the last one stopped, on through the order, until the
// pass comes round to its start, the slice is spent or the tick's waiting is. A new tick opens
// the waiting afresh. Returns whether the tick may go on with another slice. Does nothing when
// called inside a sweep.
bool RunSweep(SweepOrder* order, const SweepSeam& seam, bool newTick);

// The enumeration's steps: for a top-level window, whether to go through its descendants; for
// a descendant, whether the enumeration goes on.
bool VisitTopLevel(SweepOrder* order, Window top);
bool VisitWindow(SweepOrder* order, Window window);

}  // namespace caption
