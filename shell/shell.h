// The resident program's process-wide state and its main window, shared by the entry, the
// window procedure and the settings dialog.
#pragma once

#include <windows.h>

namespace shell {

extern HINSTANCE Instance;
extern HWND MainWindow;
extern HCURSOR LinkCursor;  // cursor 151: the main window's, and the dialog's link

// Whether a copy of the program already runs: a window of the program's class exists.
bool IsRunning();

// Registers the window class and creates the hidden main window, centred on the screen and as
// large as the logo at the screen's DPI.
void CreateMainWindow();

// When the logo is wanted at start-up, shapes the window after it and shows it.
void PresentLogo(bool shown);

// Ctrl+Alt+F12 asks to exit, Ctrl+Alt+F11 opens the settings; a held key counts once.
void RegisterHotKeys(HWND window);

// Releases the logo image if it is still held.
void ReleaseLogo();

// Asks Windows to start the elevated copy that adds or removes the autostart entry, the prompt
// owned by `owner` (none for "/c"). With `waitForAnswer`, returns once the prompt is answered,
// for a process about to end; otherwise at once. Neither waits for the copy itself.
void StartAutostartCopy(bool add, bool waitForAnswer, HWND owner);

// Opens the sponsors' web site in the user's browser.
void OpenSite();

// Starts the 100-millisecond timer whose ticks sweep the desktop.
void StartTicking();

}  // namespace shell

extern "C" LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
