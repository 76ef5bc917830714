// The elevated copy, which changes the machine's autostart entry where this process may not:
// started with the "runas" verb, which brings the UAC prompt, and told only add or remove.
#include "settings/settings.h"
#include "shell/decisions.h"
#include "shell/shell.h"

#include <shellapi.h>

namespace shell {

namespace {

// A declined prompt is the user's answer: no error box about it. No process handle is asked
// for, since nothing waits for the copy. The copy makes no window, so how it would show one
// does not matter.
SHELLEXECUTEINFOW Request = {
    sizeof Request, 0,    NULL, L"runas", NULL, NULL, NULL, SW_HIDE,
    NULL,           NULL, NULL, NULL,     0,    {NULL}, NULL};

}  // namespace

void StartAutostartCopy(bool add, bool waitForAnswer) {
    // A path that does not fit would start nothing, or another program.
    Request.lpFile = settings::ProgramPath();
    if (Request.lpFile == NULL) return;
    Request.lpParameters = AutostartSwitch(add);
    // The program never initialises COM, and for such a caller ShellExecuteEx does its work on
    // a thread of the shell's: with SEE_MASK_ASYNCOK it returns at once, so the prompt, which
    // may stay up for minutes, holds up neither the sweeps nor the hotkeys nor the tray. A
    // process about to end must ask for SEE_MASK_NOASYNC instead, or its end may cut the
    // request short: "/c" waits for the answer, never for the copy.
    Request.fMask = SEE_MASK_FLAG_NO_UI | (waitForAnswer ? SEE_MASK_NOASYNC : SEE_MASK_ASYNCOK);
    ShellExecuteExW(&Request);
}

}  // namespace shell
