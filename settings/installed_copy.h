// The program's copy in the program-files folder, which the autostart entry names where the
// program itself lies elsewhere: a folder only administrators may change, unlike Downloads.
#pragma once

#include <windows.h>

namespace settings {

enum { kStreamSuffixLength = 16 };  // ":Zone.Identifier"

// Puts the program's file at `copy`, <folder>\VORKALUN\vorkalun.exe of `length` units, making
// its folder. A copy already there with the program's bytes is left as it is, running or not;
// one with other bytes is replaced, which fails while it runs. `copy` has room for
// kStreamSuffixLength units more. Returns whether the copy holds the program's bytes.
bool PlaceCopy(const WCHAR* program, WCHAR* copy, int length);

// Deletes the copy and then its folder, if nothing else is in it; a copy that is running goes
// at the next restart, and its folder after it. No other file is touched.
void RemoveCopy(WCHAR* copy, int length);

}  // namespace settings
