// The main window: it shows the logo at start-up and is the one place where timer ticks,
// hotkeys, menu commands and tray notifications arrive.
#include "caption/codepage.h"
#include "caption/sweep.h"
#include "caption/window_events.h"
#include "dialog/table_dialog.h"
#include "resources/resource.h"
#include "shell/decisions.h"
#include "shell/logo_region.h"
#include "shell/logo_scan.h"
#include "shell/shell.h"
#include "shell/texts.h"
#include "shell/tray.h"

#include <shellapi.h>

namespace shell {

HINSTANCE Instance;
HWND MainWindow;
HCURSOR LinkCursor;

namespace {

const wchar_t kClassName[] = L"VORKALUN";
const char kExitQuestion[] = "Ты в натуре, хочешь избавиться от  меня ???";
const UINT_PTR kTimerId = 1;
const UINT kTickMs = 100;
// A tick's next slice of the sweep, posted so that the window events queued meanwhile come first.
const UINT WM_SWEEPON = WM_USER + 501;

HBITMAP LogoImage;       // the logo at its size on the screen, held while it may still show
int LogoSide;            // that size, in pixels a side
unsigned LogoCountdown;  // ticks left before the logo goes; 0 when none is running

// The program's own texts, converted for the wide calls. Short enough for one size.
enum { kWideCapacity = 64 };
WCHAR WideTitle[kWideCapacity];
WCHAR WideQuestion[kWideCapacity];

void HideLogo() {
    ReleaseLogo();
    ShowWindow(MainWindow, SW_HIDE);
}

void Quit() {
    KillTimer(MainWindow, kTimerId);
    PostQuitMessage(0);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    if (LogoImage != NULL) {
        HDC source = CreateCompatibleDC(target);
        HGDIOBJ before = SelectObject(source, LogoImage);
        BitBlt(target, 0, 0, LogoSide, LogoSide, source, 0, 0, SRCCOPY);
        // As everywhere: the logo goes back out of the context before the context goes.
        SelectObject(source, before);
        DeleteDC(source);
    }
    EndPaint(window, &paint);
}

void SweepSlice(bool newTick) {
    if (caption::SweepWindows(newTick)) PostMessageW(MainWindow, WM_SWEEPON, 0, 0);
}

void OnTick() {
    caption::RefillEventBudget();
    if (CountDownTick(&LogoCountdown) == kTickHideLogo)
        HideLogo();
    else
        SweepSlice(true);
}

void AskToExit(HWND window) {
    codepage::ToWide(kExitQuestion, WideQuestion, kWideCapacity);
    // The title was converted when the window was made.
    if (MessageBoxW(window, WideQuestion, WideTitle, MB_YESNO) == IDYES) Quit();
}

// Modal and owned by the main window. Its loop dispatches the main window's messages too, so
// the sweeps and the hotkeys go on while it is open.
void OpenSettings() { DialogBoxParamW(Instance, L"Table", MainWindow, dialog::TableDlgProc, 0); }

void OnCommand(HWND window, WPARAM wParam) {
    switch (CommandFor(wParam)) {
        case kCommandExit: AskToExit(window); break;
        case kCommandSettings: OpenSettings(); break;
        case kCommandSite: OpenSite(); break;
        case kCommandNone: break;
    }
}

// The screen's DPI as this program sees it: the system's, since the program declares itself
// DPI-aware and Windows no longer scales its windows for it.
int ScreenDpi() {
    HDC screen = CreateCompatibleDC(NULL);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    DeleteDC(screen);
    return dpi;
}

}  // namespace

void CreateMainWindow() {
    // A wide class: an ANSI one would push the title through the machine's code page.
    WNDCLASSW windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS;
    windowClass.lpfnWndProc = WndProc;
    windowClass.hInstance = Instance;
    windowClass.hIcon = LoadIconW(Instance, MAKEINTRESOURCEW(IDI_MAIN));
    windowClass.hCursor = LinkCursor = LoadCursorW(Instance, MAKEINTRESOURCEW(IDC_FINGER));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);

    codepage::ToWide(AppTitle, WideTitle, kWideCapacity);
    LogoSide = LogoSideAt(ScreenDpi());
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - LogoSide / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - LogoSide / 2;
    MainWindow = CreateWindowExW(WS_EX_TOPMOST, kClassName, WideTitle, WS_POPUP, x, y, LogoSide,
                                 LogoSide, NULL, NULL, Instance, NULL);
}

bool IsRunning() { return FindWindowW(kClassName, NULL) != NULL; }

void PresentLogo(bool shown) {
    // A window that never shows needs neither the enlarged picture nor its region; at 192 DPI
    // their making alone reads 40,000 pixels.
    if (!shown) {
        LogoCountdown = 0;
        return;
    }
    HBITMAP image = LoadBitmapW(Instance, MAKEINTRESOURCEW(IDB_LOGO));
    const ShapedLogo logo = ShapeLogo(image, LogoSide);
    DeleteObject(image);
    LogoImage = logo.picture;
    // The window owns the region from here on.
    SetWindowRgn(MainWindow, logo.region, TRUE);
    // Shown without taking the focus: whatever the user types meanwhile goes where it went.
    ShowWindow(MainWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(MainWindow);
}

void RegisterHotKeys(HWND window) {
    // Without MOD_NOREPEAT a held key repeats the hotkey, and every repeat would open a dialog.
    // Windows Vista does not know the flag and refuses it; there the keys go without it.
    const UINT kNoRepeat = 0x4000;  // MOD_NOREPEAT
    static const struct {
        int id;
        UINT key;
    } kHotKeys[] = {{ID_EXIT, VK_F12}, {ID_SETTINGS, VK_F11}};
    // A hotkey another program already holds is simply not ours; the tray menu remains.
    for (const auto& hotKey : kHotKeys)
        if (!RegisterHotKey(window, hotKey.id, MOD_CONTROL | MOD_ALT | kNoRepeat, hotKey.key))
            RegisterHotKey(window, hotKey.id, MOD_CONTROL | MOD_ALT, hotKey.key);
}

void ReleaseLogo() {
    if (LogoImage == NULL) return;
    DeleteObject(LogoImage);
    LogoImage = NULL;
}

// The address is ASCII, so the narrow call passes it unchanged on any code page.
void OpenSite() { ShellExecuteA(NULL, "open", SiteAddress, NULL, NULL, SW_SHOWNORMAL); }

void StartTicking() { SetTimer(MainWindow, kTimerId, kTickMs, NULL); }

}  // namespace shell

extern "C" LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    using namespace shell;
    switch (message) {
        case WM_CREATE: LogoCountdown = kLogoTicks; return 0;
        case WM_PAINT: OnPaint(window); return 0;
        // A click hides the logo without taking the focus from the program the user works in.
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_LBUTTONDOWN: HideLogo(); return 0;
        case WM_TIMER: OnTick(); return 0;
        case WM_SWEEPON: SweepSlice(false); return 0;
        case WM_HOTKEY:
        case WM_COMMAND: OnCommand(window, wParam); return 0;
        case WM_TRAYNOTIFY: OnTrayNotify(window, wParam, lParam); return 0;
        case WM_DESTROY: Quit(); return 0;
    }
    if (IsTaskbarCreatedMessage(message)) {
        OnTaskbarCreated();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
