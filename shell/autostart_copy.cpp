// The elevated copy, which changes the machine's autostart entry where this process may not:
// started with the "runas" verb, which brings the UAC prompt, and told only add or remove.
#include "settings/settings.h"
#include "shell/decisions.h"
#include "shell/shell.h"

#include <shellapi.h>

namespace shell {

void StartAutostartCopy(bool add, bool waitForAnswer, HWND owner) {
    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof request;
    // A path that does not fit would start nothing, or another program.
    request.lpFile = settings::ProgramPath();
    if (request.lpFile == NULL) return;
    request.lpParameters = AutostartSwitch(add);
    request.lpVerb = L"runas";
    // Owned by the window the user works in, the prompt comes to the front rather than waiting
    // behind it as a flashing taskbar button.
    request.hwnd = owner;
    // The copy makes no window, so how it would show one does not matter.
    request.nShow = SW_HIDE;
    // A declined prompt is the user's answer: no error box about it. No process handle is asked
    // for, since nothing waits for the copy.
    // A downloaded program carries the mark of the web, and the shell's zone check would show
    // a warning of its own on top of the prompt or, with no UI allowed, fail without a word:
    // the prompt is the one question asked.
    // The program never initialises COM, and for such a caller ShellExecuteEx does its work on
    // a thread of the shell's: with SEE_MASK_ASYNCOK it returns at once, so the prompt, which
    // may stay up for minutes, holds up neither the sweeps nor the hotkeys nor the tray. A
    // process about to end must ask for SEE_MASK_NOASYNC instead, or its end may cut the
    // request short: "/c" waits for the answer, never for the copy.
    request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOZONECHECKS |
                    (waitForAnswer ? SEE_MASK_NOASYNC : SEE_MASK_ASYNCOK);
    ShellExecuteExW(&request);
}

}  // namespace shell
