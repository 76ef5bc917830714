// What the program changed: for each button it relabelled, the window, the text it showed and
// the row whose phrase it got, so that texts can go back at the end and edited phrases reach
// buttons already relabelled. No platform code: this runs natively in the unit tests.
#pragma once

namespace caption {

enum {
    kRememberedCapacity = 4096,
    // A matched caption is one of the table's, at most ten letters, and a few ampersands; a
    // longer one (only ampersands make it so) is not remembered rather than cut.
    kOriginalCapacity = 27,
    // When the table is full, a relabel looks at this many entries for a window that is gone
    // before it gives up: every look is a call to the platform.
    kGoneChecks = 8,
};

// A window as the platform names it; 0 marks a free entry.
typedef const void* WindowKey;

// The platform's side, in restore.cpp (the unit tests have their own): what the window shows
// now, 1251, or null once it is gone; and setting its text, false once there is no time left,
// which ends the visit.
const char* ShownText(WindowKey window);
bool PutText(WindowKey window, const char* text);

struct RememberedTable {
    int used;    // entries handed out so far; the ones below may be free again
    int cursor;  // where the next look for a gone window starts
    WindowKey windows[kRememberedCapacity];
    struct {
        char original[kOriginalCapacity];
        signed char row;
    } entries[kRememberedCapacity];
};
extern RememberedTable Remembered;

// Notes that the window, showing `shown`, got the phrase of `row`. Relabelled again, it keeps
// the text its owner put back; still showing the phrase it had (a phrase that is a caption),
// it keeps the first one.
void Remember(WindowKey window, const char* shown, int row);

// Every remembered button that still shows exactly its row's phrase gets its text back.
void RestoreRemembered();

// Sets the row's phrase; when it changed, the remembered buttons of that row that still show
// the old one get the new one.
void ChangePhrase(int row, const char* bytes, int count);

}  // namespace caption
