// Puts back what the relabelling changed: the platform side of the remembered buttons.
#pragma once

#include <windows.h>

namespace caption {

// At the end, once nothing relabels any more: every remembered button still showing its
// phrase gets its text back, within half a second whatever the other programs do.
void RestoreCaptions();

// Opens afresh the time that texts put back, or edited phrases passed on (ChangePhrase in
// remembered.h), may take together: half a second.
void OpenPutAccount();

}  // namespace caption
