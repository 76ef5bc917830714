// The program's entry: the start-up sequence, the message loop and the shut-down.
#include <windows.h>

#include "caption/restore.h"
#include "caption/window_events.h"
#include "settings/settings.h"
#include "shell/decisions.h"
#include "shell/shell.h"
#include "shell/tray.h"

namespace {

// Runs until the quit message and returns its code.
UINT RunMessageLoop() {
    MSG message = {};
    // Only the low word decides, so an error result keeps the loop going like a message.
    while (LOWORD(GetMessageW(&message, NULL, 0, 0)) != 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<UINT>(message.wParam);
}

// A program started from Downloads shares its folder with whatever else was downloaded, and
// a DLL there named like one the platform loads on demand would be loaded into it, elevated
// in the copy. From here on DLLs come from the system's folder only (Windows 8 and later, and
// 7 with its update, looked up since older ones lack it), and the current folder is dropped
// from the search everywhere. The DLLs the file imports are the system's known ones, which
// never come from elsewhere; the shell's others load later, on the first ShellExecuteEx.
void HardenLibrarySearch() {
    typedef BOOL(WINAPI * SetDefaultDirectories)(DWORD);
    if (FARPROC set = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"))
        reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(set))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

}  // namespace

// The entry takes no arguments and never returns; there is no C runtime to return to.
extern "C" void WINAPI Start() {
    HardenLibrarySearch();
    shell::Instance = GetModuleHandleW(NULL);
    const WCHAR* commandLine = GetCommandLineW();
    if (shell::IsRemovalRequested(commandLine)) {
        settings::RemoveAllSettings();
        // Still there: this user may not delete it, or its copy, and the elevated copy is
        // asked to.
        if (settings::IsAutostartSet()) shell::StartAutostartCopy(false, true, NULL);
        ExitProcess(1);
    }
    // The elevated copy: the one change, then its answer. Before the single-instance check,
    // with no window and without the settings, which may be another user's here.
    const shell::AutostartChange change = shell::AutostartChangeFor(commandLine);
    if (change != shell::kAutostartUnchanged)
        ExitProcess((change == shell::kAutostartAdd ? settings::AddAutostart()
                                                    : settings::RemoveAutostart())
                        ? shell::kCopyChanged
                        : shell::kCopyUnchanged);
    if (shell::IsRunning()) ExitProcess(0);

    settings::LoadSettings();
    shell::CreateMainWindow();
    shell::PresentLogo(settings::Options[0] == 'y');
    shell::RegisterHotKeys(shell::MainWindow);
    shell::StartTicking();
#ifndef VORKALUN_TIMER_ONLY  // a build that shows what the timer alone achieves, for comparison
    caption::WatchWindowEvents();
#endif
    shell::PrepareTray(shell::MainWindow);
    if (settings::Options[1] != 'n') shell::AddTrayIcon();

    const UINT exitCode = RunMessageLoop();

    caption::StopWatchingWindowEvents();
    shell::ReleaseLogo();
    // The timer stopped with the loop and the hook above, so no text put back is replaced again.
    caption::RestoreCaptions();
    shell::RemoveTrayIcon();
    ExitProcess(exitCode);
}
