// The sweep's order. No platform code: this runs natively in the unit tests.
#include "caption/sweep_order.h"

namespace caption {

unsigned SweepSliceMs = kSweepSliceMs;

namespace {

SweepMark Mark(Window window, Window top, int topPosition, int position) {
    SweepMark mark = {window, top, topPosition, position};
    return mark;
}

// Windows are marked by handle, so that windows created or destroyed ahead of a mark, which is
// the usual case (new windows go to the top of the order, and the foreground program is
// enumerated first), cannot move it onto another window. Only a mark whose window is gone
// falls back to its position. Top-level windows before the mark's own are passed by whole:
// listing a window's descendants costs a round trip to the window server for each of them.
void BeginSeek(const SweepOrder& order, const SweepMark& mark, SweepSeek* seek) {
    seek->topThere = mark.window != 0 && order.seam->isThere(mark.top, mark.top);
    seek->windowThere = seek->topThere && order.seam->isThere(mark.window, mark.top);
    seek->inTop = seek->past = false;
}

void SeekTop(const SweepOrder& order, const SweepMark& mark, SweepSeek* seek) {
    if (seek->inTop) seek->inTop = false, seek->past = true;
    if (seek->past) return;
    if (seek->topThere)
        seek->inTop = order.top == mark.top;
    else
        seek->past = order.topCount >= mark.topPosition;
}

bool IsAt(const SweepMark& mark, const SweepSeek& seek, Window window, int position) {
    if (seek.past) return true;
    if (!seek.inTop) return false;
    return seek.windowThere ? window == mark.window : position >= mark.position;
}

// The next pass starts at the first window this one left out, so windows late in the order are
// reached in turn however long the ones before them keep the sweeps waiting.
void EndPass(SweepOrder* order) {
    order->start = order->passedOver.window != 0 ? order->passedOver : Mark(0, 0, 0, 0);
    order->resume = order->start;
    order->passedOver.window = 0;
    order->wrapped = false;
    order->stopped = true;
}

// Own work: the time since the slice found where to go on, less what its relabels waited, which
// the account bounds. Waits are booked in whole milliseconds, rounded down, so the slice errs
// short. Finding the place is left out: the platform lists a window's descendants by asking the
// window server about each, so in a window of many it would take the whole slice, and the pass
// would stand still. A slice that took longer to find its place than its own length works as
// long as that, so that each slice in a window of hundreds of buttons moves as far on as it
// spent getting there: going through such a window then costs a few times its length, not
// one finding for every few windows of it.
bool IsSliceSpent(const SweepOrder& order) {
    const unsigned elapsed = order.seam->now() - order.began;
    const unsigned waited = (order.account.waitedMs - order.waitedBefore) * order.unitsPerMs;
    const unsigned slice = SweepSliceMs * order.unitsPerMs;
    return elapsed - waited >= (order.sought > slice ? order.sought : slice);
}

void Enumerate(SweepOrder* order) {
    order->topCount = 0;
    order->seeking = true;
    BeginSeek(*order, order->resume, &order->toResume);
    BeginSeek(*order, order->start, &order->toStart);
    order->seam->enumerate(order);
}

}  // namespace

bool VisitTopLevel(SweepOrder* order, Window top) {
    order->top = top;
    order->count = 0;
    SeekTop(*order, order->resume, &order->toResume);
    SeekTop(*order, order->start, &order->toStart);
    ++order->topCount;
    if (order->wrapped && order->toStart.past) {
        EndPass(order);
        return false;
    }
    return !order->seeking || order->toResume.inTop || order->toResume.past;
}

bool VisitWindow(SweepOrder* order, Window window) {
    const int position = order->count++;
    if (order->seeking) {
        if (!IsAt(order->resume, order->toResume, window, position)) return true;
        order->seeking = false;
        if (!order->moved) {
            order->began = order->seam->now();
            order->sought = order->began - order->entered;
        }
    }
    if (order->wrapped && IsAt(order->start, order->toStart, window, position)) {
        EndPass(order);
        return false;
    }
    // At least one window a tick, however slow the enumeration alone: the pass always moves on.
    if (order->moved && (!HasTimeLeft(order->account) || IsSliceSpent(*order))) {
        order->resume = Mark(window, order->top, order->topCount - 1, position);
        order->cut = HasTimeLeft(order->account);
        order->stopped = true;
        return false;
    }
    order->moved = true;
    if (order->seam->examine(window)) return true;
    // What else the window holds is most likely its program's too: the pass takes it up from
    // here, as it does every window it leaves out, and a hung program costs a moment, not one
    // for each of its buttons.
    if (order->passedOver.window == 0)
        order->passedOver = Mark(window, order->top, order->topCount - 1, position);
    return false;
}

bool RunSweep(SweepOrder* order, const SweepSeam& seam, bool newTick) {
    if (order->running) return false;
    order->running = true;
    order->seam = &seam;
    if (newTick) {
        OpenAccount(&order->account, kSweepWaitMs, kSweepShareMs);
        order->slices = 0;
    }
    order->waitedBefore = order->account.waitedMs;
    order->stopped = order->moved = order->cut = false;
    order->entered = seam.now();
    order->sought = 0;
    // From where the last tick stopped to the last window; then, unless the pass began at the
    // first window, from the first one up to where the pass began.
    Enumerate(order);
    if (!order->stopped) {
        if (order->wrapped || order->start.window == 0) {
            EndPass(order);
        } else {
            order->wrapped = true;
            order->resume = Mark(0, 0, 0, 0);
            Enumerate(order);
            if (!order->stopped) EndPass(order);
        }
    }
    order->running = false;
    return order->cut && ++order->slices < kSlicesPerTick;
}

}  // namespace caption
