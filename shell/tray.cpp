// The notification icon: one record prepared at start-up, added and removed as it is.
#include "shell/tray.h"

#include "caption/codepage.h"
#include "resources/resource.h"
#include "shell/texts.h"

namespace shell {

NOTIFYICONDATAW TrayIcon;

namespace {

// The first form of the record carries a tip of 64 units, its terminator included.
const int kTipUnits = 64;

HMENU TrayMenu;
UINT TaskbarCreated;
// Whether the icon is meant to be shown, as last asked for: a restarted taskbar gets it back
// only then.
bool IconWanted;

// The shell runs without elevation, and the platform keeps messages from a process of lower
// integrity away from an elevated one unless that lets them through: an elevated copy would
// never hear of a restarted taskbar. The filter came with Windows Vista; older Windows pass
// every message and have none. Its process-wide form, which Windows 7 to 11 keep beside the
// per-window one, is enough for a broadcast the whole process may hear.
void LetTaskbarCreatedThrough() {
    const DWORD kAdd = 1;  // MSGFLT_ADD
    typedef BOOL(WINAPI * AllowMessage)(UINT, DWORD);
    if (FARPROC allow =
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilter"))
        reinterpret_cast<AllowMessage>(reinterpret_cast<void*>(allow))(TaskbarCreated, kAdd);
}

}  // namespace

void PrepareTray(HWND window) {
    HINSTANCE instance = GetModuleHandleW(NULL);
    TrayMenu = GetSubMenu(LoadMenuW(instance, MAKEINTRESOURCEW(IDM_TRAY)), 0);
    TaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    LetTaskbarCreatedThrough();

    // The wide record, so that the tip reads right whatever the machine's ANSI code page; in
    // its first form, which every version of the shell takes.
    TrayIcon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    TrayIcon.hWnd = window;
    TrayIcon.uID = ID_TRAY;
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIcon.uCallbackMessage = WM_TRAYNOTIFY;
    // At the size the notification area shows, 16 pixels at 96 DPI and 20 or 24 above, rather
    // than the 32-pixel image shrunk. Loaded once and kept for the run.
    TrayIcon.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    codepage::ToWide(AppTitle, TrayIcon.szTip, kTipUnits);
}

void AddTrayIcon() {
    IconWanted = true;
    Shell_NotifyIconW(NIM_ADD, &TrayIcon);
}

void RemoveTrayIcon() {
    IconWanted = false;
    Shell_NotifyIconW(NIM_DELETE, &TrayIcon);
}

void OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam) {
    if (wParam != ID_TRAY || lParam != WM_LBUTTONDOWN) return;
    POINT point = {};
    GetCursorPos(&point);
    // Unless the owner is the foreground window, the menu stays open when the user clicks
    // elsewhere; and the message posted after it lets the next menu open and close properly.
    SetForegroundWindow(window);
    TrackPopupMenu(TrayMenu, 0, point.x, point.y, 0, window, NULL);
    PostMessageW(window, WM_NULL, 0, 0);
}

bool IsTaskbarCreatedMessage(UINT message) {
    return TaskbarCreated != 0 && message == TaskbarCreated;
}

void OnTaskbarCreated() {
    if (IconWanted) Shell_NotifyIconW(NIM_ADD, &TrayIcon);
}

}  // namespace shell
