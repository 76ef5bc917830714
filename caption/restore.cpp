// Puts back what the relabelling changed. The decisions are in remembered.cpp; here the
// platform is read and told, each text crossing it wide, converted from and to 1251.
#include "caption/restore.h"

#include "caption/codepage.h"
#include "caption/remembered.h"
#include "caption/sweep.h"
#include "caption/wait_account.h"

namespace caption {

namespace {

enum { kTextCapacity = 256 };

// All the texts put back together end within this. A program that answers may take up to half
// of it, however many buttons it has; one that does not is passed over after one timeout, as
// in a sweep.
const DWORD kPutTimeMs = 500;
const unsigned kPutShareMs = kPutTimeMs / 2;

WaitAccount PutAccount;
WaitAccount* Puts = &PutAccount;
unsigned PutBegan;
WCHAR ShownWide[kTextCapacity];
char ShownNarrow[kTextCapacity];
WCHAR PutWide[kTextCapacity];

}  // namespace

// Another program's window text is read without a message to it, so a hung one costs no wait.
const char* ShownText(WindowKey key) {
    const HWND window = AsHandle(key);
    ShownWide[0] = 0;
    if (GetWindowTextW(window, ShownWide, kTextCapacity) == 0 && !IsWindow(window)) return 0;
    codepage::FromWide(ShownWide, ShownNarrow, kTextCapacity);
    return ShownNarrow;
}

// As a relabel sets its text.
PutResult PutText(WindowKey key, const char* text) {
    if (MsSince(PutBegan) >= kPutTimeMs || !HasTimeLeft(*Puts)) return kPutNoTime;
    return SendText(AsHandle(key), text, PutWide, *Puts);
}

void PutWithin(WaitAccount* account) {
    Puts = account;
    PutBegan = Now();
}

void OpenPutAccount() {
    OpenAccount(&PutAccount, kPutTimeMs, kPutShareMs);
    PutWithin(&PutAccount);
}

void RestoreCaptions() {
    OpenPutAccount();
    RestoreRemembered();
}

}  // namespace caption
