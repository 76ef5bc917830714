// Puts back what the relabelling changed. The decisions are in remembered.cpp; here the
// platform is read and told, each text crossing it wide, converted from and to 1251.
#include "caption/restore.h"

#include "caption/codepage.h"
#include "caption/remembered.h"
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
DWORD PutBegan;
// A read for one window and a put for another can be under way at once: a put's wait may
// run a reported window's relabel, which may look for a gone window.
WCHAR ShownWide[kTextCapacity];
char ShownNarrow[kTextCapacity];
WCHAR PutWide[kTextCapacity];

HWND Window(WindowKey key) { return static_cast<HWND>(const_cast<void*>(key)); }

}  // namespace

// Another program's window text is read without a message to it, so a hung one costs no wait.
const char* ShownText(WindowKey key) {
    const HWND window = Window(key);
    ShownWide[0] = 0;
    if (GetWindowTextW(window, ShownWide, kTextCapacity) == 0 && !IsWindow(window)) return 0;
    codepage::FromWide(ShownWide, ShownNarrow, kTextCapacity);
    return ShownNarrow;
}

// As a relabel sets its text: WM_SETTEXT with a timeout, booked in the account.
bool PutText(WindowKey key, const char* text) {
    if (GetTickCount() - PutBegan >= kPutTimeMs) return false;
    const HWND window = Window(key);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!MayWaitOn(PutAccount, process)) return true;
    codepage::ToWide(text, PutWide, kTextCapacity);
    const DWORD sent = GetTickCount();
    DWORD_PTR ignored;
    const bool failed =
        !SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(PutWide),
                             SMTO_ABORTIFHUNG | SMTO_NORMAL, kRelabelTimeoutMs, &ignored);
    BookWait(&PutAccount, process, GetTickCount() - sent, failed);
    InvalidateRect(window, NULL, FALSE);
    return true;
}

void OpenPutAccount() {
    OpenAccount(&PutAccount, kPutTimeMs, kPutShareMs);
    PutBegan = GetTickCount();
}

void RestoreCaptions() {
    OpenPutAccount();
    RestoreRemembered();
}

}  // namespace caption
