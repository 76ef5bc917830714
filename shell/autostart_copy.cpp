// The elevated copy, which changes the machine's autostart entry where this process may not:
// started with the "runas" verb, which brings the UAC prompt, and told only add or remove.
#include "settings/settings.h"
#include "shell/decisions.h"
#include "shell/shell.h"

#include <shellapi.h>

namespace shell {

namespace {

// A declined prompt is the user's answer: no error box about it. No process handle is asked
// for, since nothing waits for the copy. One request serves all: its path is always the same,
// and a second OK cannot come before the first request has been handed over, unless the user
// answers the dialog faster than a thread starts.
// The copy makes no window, so how it would show one does not matter.
SHELLEXECUTEINFOW Request = {
    sizeof Request, SEE_MASK_FLAG_NO_UI, NULL, L"runas", NULL, NULL, NULL, SW_HIDE,
    NULL,           NULL,                NULL, NULL,     0,    {NULL}, NULL};

}  // namespace

DWORD WINAPI LaunchAutostartCopy(LPVOID add) {
    // A path that does not fit would start nothing, or another program.
    Request.lpFile = settings::ProgramPath();
    if (Request.lpFile == NULL) return 0;
    Request.lpParameters = AutostartSwitch(add != NULL);
    ShellExecuteExW(&Request);
    return 0;
}

void StartAutostartCopy(bool add) {
    // ShellExecuteEx returns only once the prompt is answered, which may take minutes; on a
    // thread of its own, the sweeps, the hotkeys and the tray go on meanwhile.
    HANDLE thread = CreateThread(NULL, 0, LaunchAutostartCopy,
                                 reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(add)), 0, NULL);
    if (thread != NULL) CloseHandle(thread);
}

}  // namespace shell
