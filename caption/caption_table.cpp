// The caption table and its lookup. No platform code: this runs natively in the unit tests.
#include "caption/caption_table.h"

namespace caption {

namespace {

struct CaptionRow {
    const char* russian;
    const char* english;
    // A few bytes longer than a writer may fill, so that a text of exactly
    // kReplacementLimit bytes still ends in a terminator.
    char replacement[kReplacementStorage];
};

// Row order is the identity of a row: registry value names and dialog controls follow it.
// Row 3's Russian caption is the Cyrillic "ОК", not the Latin one of the English column.
CaptionRow CaptionTable[kRowCount] = {
    {"Нет", "No", "&Нафиг"},
    {"Отмена", "Cancel", "Н&ефиг"},
    {"Да", "Yes", "Пофиг"},
    {"ОК", "OK", "В натуре"},
    {"Стоп", "Abort", "С&тоять"},
    {"Повтор", "Retry", "&Не понял"},
    {"Пропустить", "Ignore", "&Проехали"},
    {"Открыть", "Open", "Отворяй"},
    {"Справка", "Help", "Памагите"},
    {"Применить", "Apply", "Забей!!!"},
    {"Далее >", "Next >", "Круто >"},
    {"< Назад", "< Back", "< Фуфло"},
};

bool IsRow(int row) { return row >= 0 && row < kRowCount; }

// The platform's button class and those registered as copies of it: Borland's IDE, the VCL of
// Delphi and C++Builder, and Visual Basic 6 and 5 programs and the Basic design environment.
// All take their captions from the window text. Windows Forms buttons (WindowsForms10.BUTTON...)
// are left out: by default they paint a copy of the text their program keeps, so a new text
// would not show.
const char kButtonClasses[] =
    "Button\0BorIdeBtn\0TButton\0TBitBtn\0TCheckBox\0TRadioButton\0"
    "ThunderRT6CommandButton\0ThunderRT6CheckBox\0ThunderRT6OptionButton\0"
    "ThunderRT5CommandButton\0ThunderRT5CheckBox\0ThunderRT5OptionButton\0"
    "ThunderCommandButton\0ThunderCheckBox\0ThunderOptionButton\0";

}  // namespace

bool CompareCaptions(const char* a, const char* b) {
    for (;;) {
        const int ended = (*a == '\0') + (*b == '\0');
        if (ended != 0) return ended == 2;
        if (*a == '&') {
            ++a;
        } else if (*b == '&') {
            ++b;
        } else if (*a != *b) {
            return false;
        } else {
            ++a;
            ++b;
        }
    }
}

bool IsButtonClass(const char* name) {
    for (const char* known = kButtonClasses; *known != '\0';) {
        if (CompareCaptions(name, known)) return true;
        while (*known++ != '\0') {
        }
    }
    return false;
}

int FindCaptionRow(const char* text) {
    for (int row = 0; row < kRowCount; ++row)
        if (CompareCaptions(text, CaptionTable[row].russian)) return row;
    for (int row = 0; row < kRowCount; ++row)
        if (CompareCaptions(text, CaptionTable[row].english)) return row;
    return kNoRow;
}

bool IsReplacementText(const char* text) {
    for (int row = 0; row < kRowCount; ++row) {
        const char* replacement = CaptionTable[row].replacement;
        int i = 0;
        while (text[i] != '\0' && text[i] == replacement[i]) ++i;
        if (text[i] == replacement[i]) return true;
    }
    return false;
}

const char* RussianCaption(int row) { return IsRow(row) ? CaptionTable[row].russian : ""; }
const char* EnglishCaption(int row) { return IsRow(row) ? CaptionTable[row].english : ""; }
const char* ReplacementText(int row) { return IsRow(row) ? CaptionTable[row].replacement : ""; }

void SetReplacementText(int row, const char* bytes, int count) {
    if (!IsRow(row)) return;
    char* target = CaptionTable[row].replacement;
    if (count > kReplacementLimit) count = kReplacementLimit;
    int length = 0;
    while (length < count && bytes[length] != '\0') {
        target[length] = bytes[length];
        ++length;
    }
    if (length < kReplacementLimit) target[length] = '\0';
}

}  // namespace caption
