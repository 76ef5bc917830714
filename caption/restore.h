// Puts back what the relabelling changed: the platform side of the remembered buttons.
#pragma once

#include <windows.h>

#include "caption/wait_account.h"

namespace caption {

// At the end, once nothing relabels any more: every remembered button still showing its
// phrase gets its text back. No text is sent once half a second has passed, whatever the
// other programs do; reading the windows adds a call each.
void RestoreCaptions();

// Opens afresh the time that texts put back, or edited phrases passed on (ChangePhrase in
// remembered.h), may take together: half a second.
void OpenPutAccount();

// From here on, texts put book their waits in this account, a tick's sweep's: its retries of
// edited phrases (RetryPhrases in remembered.h) are bounded by the sweep's slice instead.
void PutWithin(WaitAccount* account);

}  // namespace caption
