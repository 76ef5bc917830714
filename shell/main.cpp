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

}  // namespace

// The entry takes no arguments and never returns; there is no C runtime to return to.
extern "C" void WINAPI Start() {
    shell::Instance = GetModuleHandleW(NULL);
    if (shell::IsRemovalRequested(GetCommandLineW())) {
        settings::RemoveAllSettings();
        ExitProcess(1);
    }
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
