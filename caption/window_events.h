// Relabelling a button the moment it appears or is renamed, without waiting for the next sweep.
#pragma once

namespace caption {

// Asks the platform to report, on this thread, every window created, shown or renamed in the
// session. Where it cannot, the sweep alone does the work, as before. While creations are
// reported, the sweep keeps the windows it found to be no buttons (not_buttons.h).
void WatchWindowEvents();
void StopWatchingWindowEvents();

// Called on every tick. Between two ticks the reports relabel only so many buttons, none
// twice, and wait on other programs only so long, so that nothing reported, not even a window
// that keeps putting its caption back, can keep the program busy; the sweep still relabels
// such a window once a tick.
void RefillEventBudget();

}  // namespace caption
