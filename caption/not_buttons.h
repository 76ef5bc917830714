// The windows known not to be buttons. A window's class never changes while it lives, so the
// sweep reads the class name of each only once; the window events say when a handle names a
// new window. No platform code: this runs natively in the unit tests.
#pragma once

namespace caption {

typedef const void* Window;

enum {
    // Open addressing over a power of two, at most three quarters full so that a look stays
    // short: the benchmark's desktop of 10 windows of 1,000, about 7,600 of them no buttons,
    // fits whole.
    kNotButtonBits = 14,
    kNotButtonSlots = 1 << kNotButtonBits,
    kNotButtonLimit = kNotButtonSlots / 4 * 3,
};

struct NotButtonSet {
    bool inUse;
    int count;
    Window slots[kNotButtonSlots];  // null where free
};
extern NotButtonSet NotButtons;

// The set is used only where the platform reports every window created: the report is what
// takes a handle given to a new window out of it.
void UseNotButtons(bool inUse);

bool IsKnownNotButton(Window window);

// Notes a window whose class name was read and is no button's. A full set is emptied first and
// filled again by the passes that follow.
void NoteNotButton(Window window);

// A window was created under this handle: what the handle named before is forgotten.
void ForgetWindow(Window window);

}  // namespace caption
