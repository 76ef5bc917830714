// The table of relabelled buttons. No platform code: this runs natively in the unit tests.
#include "caption/remembered.h"

#include "caption/caption_table.h"

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

// Every remembered button of `row` (of every row when kNoRow) that shows `phrase` (its own
// row's phrase when null) gets `text` (its original when null). Gone windows free their entry.
void PutWhereShowing(int row, const char* phrase, const char* text) {
    RememberedTable& table = Remembered;
    for (int i = 0; i < table.used; ++i) {
        const WindowKey window = table.windows[i];
        const int own = table.entries[i].row;
        if (window == 0 || (row != kNoRow && own != row)) continue;
        const char* shown = ShownText(window);
        if (shown == 0) {
            table.windows[i] = 0;
            continue;
        }
        if (!SameText(shown, phrase != 0 ? phrase : ReplacementText(own))) continue;
        if (!PutText(window, text != 0 ? text : table.entries[i].original)) return;
    }
}

}  // namespace

void Remember(WindowKey window, const char* shown, int row) {
    RememberedTable& table = Remembered;
    int i = Find(window);
    if (i >= 0 && SameText(shown, ReplacementText(table.entries[i].row))) {
        table.entries[i].row = static_cast<signed char>(row);
        return;
    }
    if (i < 0 && (i = TakeEntry()) < 0) return;
    const bool fits = CopyText(shown, table.entries[i].original, kOriginalCapacity);
    table.windows[i] = fits ? window : 0;
    table.entries[i].row = static_cast<signed char>(row);
}

void RestoreRemembered() { PutWhereShowing(kNoRow, 0, 0); }

void ChangePhrase(int row, const char* bytes, int count) {
    char old[kReplacementStorage];
    CopyText(ReplacementText(row), old, kReplacementStorage);
    SetReplacementText(row, bytes, count);
    const char* now = ReplacementText(row);
    if (!SameText(old, now)) PutWhereShowing(row, old, now);
}

}  // namespace caption
