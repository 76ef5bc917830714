// The notification-area icon and its popup menu: the program's one visible presence once the
// logo is gone, and the way to its commands.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace shell {

// The message the shell sends the main window about the icon: wParam carries the icon's
// identifier, lParam the mouse message.
const UINT WM_TRAYNOTIFY = WM_USER + 500;

// The icon's record in its first form: owner, identifier, callback, icon and a 64-unit tip.
// Filled once by PrepareTray and handed to the shell as it is by every later call.
extern NOTIFYICONDATAW TrayIcon;

// Loads the popup menu and the icon and fills TrayIcon for `window`; shows nothing.
void PrepareTray(HWND window);

// Ask the shell to show or remove the icon. The results are not examined: adding an icon that
// is there, or removing one that is not, is refused and changes nothing.
void AddTrayIcon();
void RemoveTrayIcon();

// The handling of WM_TRAYNOTIFY: a left button down on our icon opens the menu at the mouse
// pointer; the chosen entry reaches `window` as WM_COMMAND. Everything else is ignored.
void OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam);

// A restarted taskbar has lost every icon and says so with a registered message, broadcast to
// all top-level windows. The window procedure asks the first and calls the second, which puts
// the icon back when the last of AddTrayIcon and RemoveTrayIcon was AddTrayIcon.
bool IsTaskbarCreatedMessage(UINT message);
void OnTaskbarCreated();

}  // namespace shell
