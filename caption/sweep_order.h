// The sweep's order: where a tick's sweep begins and ends, which windows a pass leaves out, and
// when its time is up. No platform code: the listing of windows, the clock and the step for a
// window come through a seam, so the unit tests run it over a fake window list.
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
    // A pass lists the top-level windows once, and the descendants of each once, into these.
    // A desktop or a window with more is listed again past the first ones when the pass gets
    // there.
    kTopCapacity = 2048,
    kDescendantCapacity = 4096,
};

struct SweepOrder;

// What the sweep asks of the platform.
struct SweepSeam {
    // Lists the descendants of `parent` (the top-level windows when it is null) in the
    // platform's order, from the one after the first `skip` on, into `out`: at most `capacity`,
    // and returns how many.
    int (*list)(Window parent, int skip, Window* out, int capacity);
    // A descendant's class name, 1251; empty once the window is gone, as one gone since it was
    // listed is. Asked only of windows not known to be no buttons (not_buttons.h).
    const char* (*className)(Window window);
    // Examines a button; false when it is left out because its program kept the sweep waiting
    // long enough. The rest of its top-level window is then left out with it.
    bool (*examine)(Window button);
    // A clock of unitsPerMs units a millisecond; differences of a few minutes fit in a word.
    unsigned (*now)();
    // At the start of a tick: work that waits for the sweep's time, done while IsSliceSpent
    // says there is some.
    void (*first)();
};

// Where a pass stands in one of its two lists.
struct SweepList {
    int count;    // listed
    int next;     // the next to visit
    int skipped;  // listed before these, by earlier listings of the same parent in this pass
};

struct SweepOrder {
    SweepList topList;
    SweepList windowList;
    bool listed;   // the pass has listed its top-level windows
    bool wrapped;  // past the last top-level window, from the first towards the start
    // Where the pass began: at the first window left out by the one before it (its top-level
    // window's place in the list, and the window), or at the first window of all.
    int startTop;
    Window startWindow;
    // The first window this pass left out, with its top-level window; none while null.
    Window passedTop;
    Window passedWindow;
    bool running;
    // One slice.
    const SweepSeam* seam;
    unsigned unitsPerMs;
    unsigned began;         // when the slice began
    unsigned exempt;        // spent listing before it examined a window: finding its place
    unsigned waitedBefore;  // by the tick's earlier slices
    bool moved;             // a window was examined
    bool cut;               // stopped by the slice, with time left to wait
    int slices;             // this tick's
    WaitAccount account;    // the tick's waiting
    Window tops[kTopCapacity];
    Window windows[kDescendantCapacity];  // of the top-level window being gone through
};

// The longest a tick's sweep works on its own; the benchmark raises it to time whole passes.
extern unsigned SweepSliceMs;

// A slice of a tick's sweep: from where the last one stopped, on through the order, until the
// pass comes round to its start, the slice is spent or the tick's waiting is. A new tick opens
// the waiting afresh. Returns whether the tick may go on with another slice. Does nothing when
// called inside a sweep.
bool RunSweep(SweepOrder* order, const SweepSeam& seam, bool newTick);

// Whether the slice under way has had its time: its own work, less what it waited on other
// programs and what it spent finding its place.
bool IsSliceSpent(const SweepOrder& order);

}  // namespace caption
