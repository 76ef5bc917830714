// What the program changed: for each button it relabelled, the window, the text it showed, the
// row whose phrase it got and the exact text it was last given, so that texts can go back at the
// end and edited phrases reach buttons already relabelled. No platform code: this runs natively
// in the unit tests.
#pragma once

#include "caption/caption_table.h"

namespace caption {

enum {
    kRememberedCapacity = 4096,
    // A matched caption is one of the table's, at most ten letters, and a few ampersands; a
    // longer one (only ampersands make it so) is not remembered rather than cut.
    kOriginalCapacity = 27,
    kGivenCapacity = kReplacementLimit + 1,
    // When the table is full, a relabel looks at this many entries for a window that is gone
    // before it gives up: every look is a call to the platform.
    kGoneChecks = 8,
};

// How a text sent to a window fared.
enum PutResult {
    kPutTaken,
    kPutUnanswered,  // sent, but its program did not answer in time; it may take it later
    kPutUnfit,       // not sent: the window would show it garbled (see codepage.h)
    kPutPassedOver,  // not sent: its program has kept us waiting long enough for now
    kPutNoTime,      // not sent: the time for texts is up, which ends the visit
};

// A window as the platform names it; 0 marks a free entry.
typedef const void* WindowKey;

// The platform's side, in restore.cpp (the unit tests have their own): what the window shows
// now, 1251, or null once it is gone; and setting its text.
const char* ShownText(WindowKey window);
PutResult PutText(WindowKey window, const char* text);

struct RememberedTable {
    int used;      // entries handed out so far; the ones below may be free again
    int cursor;    // where the next look for a gone window starts
    int retried;   // the last entry a retry looked at
    bool pending;  // some entry may be waiting for its phrase
    WindowKey windows[kRememberedCapacity];
    struct {
        char original[kOriginalCapacity];
        signed char row;
        char given[kGivenCapacity];
        bool pending;  // a phrase change could not reach it yet
    } entries[kRememberedCapacity];
};
extern RememberedTable Remembered;

// Notes that the window, showing `shown`, was given the phrase of `row`. Relabelled again, it
// keeps the text its owner put back; still showing what it was last given (a phrase that is a
// caption), it keeps the first one.
void Remember(WindowKey window, const char* shown, int row);

// Every remembered button that still shows exactly what it was last given gets its text back.
void RestoreRemembered();

// Sets the row's phrase, and gives it to the remembered buttons of that row that still show
// what they were last given. A button it cannot reach now is marked, for RetryPhrases.
void ChangePhrase(int row, const char* bytes, int count);

// Offers the marked buttons their row's phrase again, each at most once, from where the last
// call stopped, while `more` says there is time. A button stays marked until it shows its
// row's phrase, is gone, or shows a text of its owner's.
void RetryPhrases(bool (*more)());

}  // namespace caption
