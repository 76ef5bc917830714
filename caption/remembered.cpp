// The table of relabelled buttons. No platform code: this runs natively in the unit tests.
#include "caption/remembered.h"

namespace caption {

RememberedTable Remembered;

namespace {

bool SameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}

// Copies the whole text, terminator included, or returns false when it does not fit.
bool CopyText(const char* text, char* out, int capacity) {
    for (int i = 0; i < capacity; ++i)
        if ((out[i] = text[i]) == '\0') return true;
    return false;
}

int Find(WindowKey window) {
    for (int i = 0; i < Remembered.used; ++i)
        if (Remembered.windows[i] == window) return i;
    return -1;
}

// A never used entry; once there is none, a free one or one whose window is gone, looked for
// a few at a time from where the last look stopped, so that no relabel asks the platform about
// thousands of windows. -1 when those few all still exist.
int TakeEntry() {
    RememberedTable& table = Remembered;
    if (table.used < kRememberedCapacity) return table.used++;
    for (int look = 0; look < kGoneChecks; ++look) {
        const int i = table.cursor;
        table.cursor = (i + 1) % kRememberedCapacity;
        if (table.windows[i] == 0 || ShownText(table.windows[i]) == 0) return i;
    }
    return -1;
}

// Brings a remembered button to its row's phrase if it still shows what it was last given, and
// marks it when that cannot be done now. False once the time for texts is up.
bool PassOn(int i) {
    RememberedTable& table = Remembered;
    const WindowKey window = table.windows[i];
    auto& entry = table.entries[i];
    const char* phrase = ReplacementText(entry.row);
    entry.pending = false;
    if (SameText(entry.given, phrase)) return true;
    const char* shown = ShownText(window);
    if (shown == 0) {
        table.windows[i] = 0;
        return true;
    }
    // A text that arrived late, or one of its owner's: nothing to send.
    if (!SameText(shown, entry.given)) {
        if (SameText(shown, phrase)) CopyText(phrase, entry.given, kGivenCapacity);
        return true;
    }
    PutResult result = PutText(window, phrase);
    if (result == kPutTaken) {
        CopyText(phrase, entry.given, kGivenCapacity);
        return true;
    }
    // A phrase the window would show garbled: its caption goes back, as a new button would
    // keep it, and the button is no longer the program's.
    if (result == kPutUnfit) {
        result = PutText(window, entry.original);
        if (result == kPutTaken || result == kPutUnfit) {
            table.windows[i] = 0;
            return true;
        }
    }
    entry.pending = table.pending = true;
    return result != kPutNoTime;
}

}  // namespace

void Remember(WindowKey window, const char* shown, int row) {
    RememberedTable& table = Remembered;
    int i = Find(window);
    if (i < 0 || !SameText(shown, table.entries[i].given)) {
        if (i < 0 && (i = TakeEntry()) < 0) return;
        const bool fits = CopyText(shown, table.entries[i].original, kOriginalCapacity);
        table.windows[i] = fits ? window : 0;
    }
    table.entries[i].row = static_cast<signed char>(row);
    table.entries[i].pending = false;
    CopyText(ReplacementText(row), table.entries[i].given, kGivenCapacity);
}

void RestoreRemembered() {
    RememberedTable& table = Remembered;
    for (int i = 0; i < table.used; ++i) {
        const WindowKey window = table.windows[i];
        if (window == 0) continue;
        const char* shown = ShownText(window);
        if (shown == 0)
            table.windows[i] = 0;
        else if (SameText(shown, table.entries[i].given) &&
                 PutText(window, table.entries[i].original) == kPutNoTime)
            return;
    }
}

void ChangePhrase(int row, const char* bytes, int count) {
    RememberedTable& table = Remembered;
    SetReplacementText(row, bytes, count);
    bool timeLeft = true;
    for (int i = 0; i < table.used; ++i) {
        if (table.windows[i] == 0 || table.entries[i].row != row) continue;
        table.entries[i].pending = table.pending = true;
        if (timeLeft) timeLeft = PassOn(i);
    }
}

void RetryPhrases(bool (*more)()) {
    RememberedTable& table = Remembered;
    if (!table.pending) return;
    table.pending = false;
    for (int look = 0; look < table.used; ++look) {
        const int i = (table.retried + 1) % table.used;
        if (table.windows[i] != 0 && table.entries[i].pending) {
            if (!more()) {
                table.pending = true;
                return;
            }
            if (!PassOn(i)) return;
        }
        table.retried = i;
    }
}

}  // namespace caption
