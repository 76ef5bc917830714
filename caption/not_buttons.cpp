// The set of windows known not to be buttons. No platform code: this runs natively in the unit
// tests.
#include "caption/not_buttons.h"

#include <stdint.h>

namespace caption {

NotButtonSet NotButtons;

namespace {

const unsigned kMask = kNotButtonSlots - 1;

// Handles are small numbers in steps of two or four; the golden ratio's multiple spreads them
// over the table, and its top bits are the slot.
unsigned Home(Window window) {
    return static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)) * 2654435769u >>
           (32 - kNotButtonBits);
}

// The window's slot, or the free one where it would go.
unsigned Find(Window window) {
    unsigned i = Home(window);
    while (NotButtons.slots[i] != 0 && NotButtons.slots[i] != window) i = (i + 1) & kMask;
    return i;
}

}  // namespace

void UseNotButtons(bool inUse) { NotButtons.inUse = inUse; }

bool IsKnownNotButton(Window window) {
    return NotButtons.inUse && NotButtons.slots[Find(window)] == window;
}

void NoteNotButton(Window window) {
    NotButtonSet& set = NotButtons;
    if (!set.inUse) return;
    if (set.count == kNotButtonLimit) {
        for (unsigned i = 0; i < kNotButtonSlots; ++i) set.slots[i] = 0;
        set.count = 0;
    }
    const unsigned i = Find(window);
    if (set.slots[i] != 0) return;
    set.slots[i] = window;
    ++set.count;
}

void ForgetWindow(Window window) {
    NotButtonSet& set = NotButtons;
    unsigned i = Find(window);
    if (set.slots[i] == 0) return;
    --set.count;
    // The entries after it in its run that could stand where it stood move back, one by one, so
    // that no look stops at the gap short of them.
    for (unsigned j = i;;) {
        set.slots[i] = 0;
        do {
            j = (j + 1) & kMask;
            if (set.slots[j] == 0) return;
        } while (((j - Home(set.slots[j])) & kMask) < ((j - i) & kMask));
        set.slots[i] = set.slots[j];
        i = j;
    }
}

}  // namespace caption
