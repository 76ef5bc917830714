// Puts back what the relabelling changed: the platform side of the remembered buttons.
#pragma once

#include <windows.h>

namespace caption {

// Remembers a relabel: the window showed `shown` and gets the phrase of `row`.
void RememberRelabel(HWND window, const char* shown, int row);

// At the end, once nothing relabels any more: every remembered button still showing its
// phrase gets its text back, within half a second whatever the other programs do.
void RestoreCaptions();

// Opens the time that texts put back or passed on may take, half a second, afresh.
void OpenPutAccount();

// Sets a row's phrase from the settings, and passes an edited one on to the remembered
// buttons that show the old one, within the time opened last.
void SetPhrase(int row, const char* bytes, int count);

}  // namespace caption
