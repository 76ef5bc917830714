// The sweep's order. No platform code: this runs natively in the unit tests.
#include "caption/sweep_order.h"

#include "caption/caption_table.h"
#include "caption/not_buttons.h"

namespace caption {

unsigned SweepSliceMs = kSweepSliceMs;

namespace {

// Lists a parent's windows: the first ones, or the next ones past those listed so far. A pass
// lists every window once and then goes through its list a slice at a time, so a slice that
// goes on in the middle of a window of many buttons starts where the last one stopped, at no
// cost. What a slice lists before it examines a window is finding its place and does not count
// against it: the platform asks the window server about each window it lists, and a window of
// thousands would otherwise take the whole slice and leave the pass standing still.
void List(SweepOrder* order, Window parent, SweepList* list, Window* out, int capacity,
          bool further) {
    const unsigned before = order->seam->now();
    list->skipped = further ? list->skipped + list->count : 0;
    list->count = order->seam->list(parent, list->skipped, out, capacity);
    list->next = 0;
    if (!order->moved) order->exempt += order->seam->now() - before;
}

// The next slice begins a new pass, with a new list.
void EndPass(SweepOrder* order) { order->listed = false; }

// A pass starts at the first window the last one left out, so windows late in the order are
// reached in turn however long the ones before them keep the sweeps waiting.
void BeginPass(SweepOrder* order) {
    List(order, 0, &order->topList, order->tops, kTopCapacity, false);
    order->startTop = 0;
    order->startWindow = 0;
    for (int i = 0; i < order->topList.count; ++i)
        if (order->tops[i] == order->passedTop) {
            order->startTop = order->topList.next = i;
            order->startWindow = order->passedWindow;
        }
    order->passedTop = order->passedWindow = 0;
    order->windowList.count = order->windowList.next = 0;
    order->wrapped = false;
    order->listed = true;
}

// Whether the pass is in the top-level window where it began: the first time, or come round.
bool InStartTop(const SweepOrder& order) {
    return order.topList.skipped + order.topList.next - 1 == order.startTop;
}

bool AtStart(const SweepOrder& order) { return order.wrapped && InStartTop(order); }

// Goes into the next top-level window: its descendants are listed, and the first time the pass
// comes to the window where it began, they are gone through from that window on.
void Enter(SweepOrder* order) {
    const Window top = order->tops[order->topList.next++];
    List(order, top, &order->windowList, order->windows, kDescendantCapacity, false);
    if (order->wrapped || !InStartTop(*order) || order->startWindow == 0) return;
    int i = 0;
    while (i < order->windowList.count && order->windows[i] != order->startWindow) ++i;
    if (i < order->windowList.count)
        order->windowList.next = i;
    else
        order->startWindow = 0;  // gone: the window is gone through whole, once
}

// A descendant's step: its class name is read unless it is known to be no button's, and a
// button is examined. False when the button is left out.
bool Visit(const SweepSeam& seam, Window window) {
    if (IsKnownNotButton(window)) return true;
    const char* name = seam.className(window);
    if (IsButtonClass(name)) return seam.examine(window);
    if (*name != '\0') NoteNotButton(window);
    return true;
}

// Goes on through the pass until it ends or the slice or the tick's waiting is spent.
void Work(SweepOrder* order) {
    SweepList& tops = order->topList;
    SweepList& windows = order->windowList;
    for (;;) {
        if (windows.next < windows.count) {
            const Window window = order->windows[windows.next];
            if (AtStart(*order) && window == order->startWindow) return EndPass(order);
            // At least one window a slice, however slow the listing: the pass always moves on.
            if (order->moved && (!HasTimeLeft(order->account) || IsSliceSpent(*order))) {
                order->cut = HasTimeLeft(order->account);
                return;
            }
            order->moved = true;
            ++windows.next;
            if (Visit(*order->seam, window)) continue;
            // What else the window holds is most likely its program's too: the pass takes it up
            // from here, as it does every window it leaves out, and a hung program costs a
            // moment, not one for each of its buttons.
            if (order->passedWindow == 0) {
                order->passedTop = order->tops[tops.next - 1];
                order->passedWindow = window;
            }
            windows.count = windows.next = 0;
            continue;
        }
        if (windows.count == kDescendantCapacity) {
            List(order, order->tops[tops.next - 1], &windows, order->windows, kDescendantCapacity,
                 true);
            continue;
        }
        if (AtStart(*order)) return EndPass(order);
        if (tops.next < tops.count) {
            // Come round to where it began with nothing of that window left to go through.
            if (order->wrapped && tops.skipped + tops.next == order->startTop &&
                order->startWindow == 0)
                return EndPass(order);
            Enter(order);
            continue;
        }
        if (tops.count == kTopCapacity) {
            List(order, 0, &tops, order->tops, kTopCapacity, true);
            continue;
        }
        // The last window: the pass ends, unless it began past the first one and goes on from
        // the first up to where it began.
        if (order->wrapped || (order->startTop == 0 && order->startWindow == 0))
            return EndPass(order);
        order->wrapped = true;
        if (tops.skipped != 0)
            List(order, 0, &tops, order->tops, kTopCapacity, false);
        else
            tops.next = 0;
    }
}

}  // namespace

bool IsSliceSpent(const SweepOrder& order) {
    // Waits are booked in whole milliseconds, rounded down, so the slice errs short.
    const unsigned elapsed = order.seam->now() - order.began - order.exempt;
    const unsigned waited = (order.account.waitedMs - order.waitedBefore) * order.unitsPerMs;
    return elapsed - waited >= SweepSliceMs * order.unitsPerMs;
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
    order->moved = order->cut = false;
    order->exempt = 0;
    order->began = seam.now();
    if (newTick) seam.first();
    if (!order->listed) BeginPass(order);
    Work(order);
    order->running = false;
    return order->cut && ++order->slices < kSlicesPerTick;
}

}  // namespace caption
