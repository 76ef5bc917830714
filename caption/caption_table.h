// The twelve standard button captions, in Russian and English, with the phrase that replaces
// each, and the ampersand-blind comparison that recognises them. Texts are Windows-1251 bytes.
#pragma once

namespace caption {

enum {
    kRowCount = 12,
    kReplacementLimit = 20,  // bytes a writer may fill; a terminator always stands after them
    kReplacementStorage = kReplacementLimit + 4,  // what a row holds; no writer goes past the limit
    kNoRow = -1,
};

// Equal when the texts match after every '&' is dropped and neither ends in '&'.
bool CompareCaptions(const char* a, const char* b);

// Whether windows of that class are the platform's button, under its own name or another a
// toolkit registered it under, by the same comparison as captions.
bool IsButtonClass(const char* name);

// The row whose Russian, or else English, caption equals the text; kNoRow when none does.
int FindCaptionRow(const char* text);

// Whether the text is, byte for byte, the replacement text of some row.
bool IsReplacementText(const char* text);

const char* RussianCaption(int row);
const char* EnglishCaption(int row);
const char* ReplacementText(int row);

// Takes the bytes up to the first NUL, at most `count` and at most kReplacementLimit of them.
void SetReplacementText(int row, const char* bytes, int count);

}  // namespace caption
