// Test support for the notification icon.
#include "tray_support.h"

#include <commctrl.h>
#include <shellapi.h>

#include "support.h"

namespace tray_support {

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32768" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

HWND OpenPopupMenu() {
    HWND popup = NULL;
    EnumWindows(FindMenuWindow, reinterpret_cast<LPARAM>(&popup));
    return popup;
}

// Whether the shell holds an icon of this window and identifier, asked by another process.
bool ShellHasIcon(HWND window, UINT id) {
    HANDLE probe = support::StartProgram(
        L"wine_helper.exe", L"trayprobe " + std::to_wstring(reinterpret_cast<UINT_PTR>(window)) +
                                L" " + std::to_wstring(id));
    const DWORD code = support::WaitForExit(probe);
    support::EndProcess(probe);
    return code == 1;
}

void RestartNotificationArea(HWND owner, UINT id) {
    NOTIFYICONDATAW icon = {};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = owner;
    icon.uID = id;
    Shell_NotifyIconW(NIM_DELETE, &icon);
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

// Wine's notification area is a top-level window with one child per icon. The tips live in
// the shell's memory, so the tooltip is asked to copy each one into a buffer placed there.
std::vector<ShellIcon> ShellIcons() {
    std::vector<ShellIcon> icons;
    HWND tray = FindWindowW(NULL, L"Wine System Tray");
    if (tray == NULL) return icons;
    DWORD shellProcess = 0;
    GetWindowThreadProcessId(tray, &shellProcess);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shellProcess);
    if (process == NULL) return icons;
    const SIZE_T kTextUnits = 2048;  // more than a tooltip ever copies
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, NULL, sizeof(TTTOOLINFOW) + kTextUnits * sizeof(wchar_t),
                       MEM_COMMIT, PAGE_READWRITE));
    wchar_t* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));

    std::vector<HWND> iconWindows, topLevels;
    EnumChildWindows(tray, CollectWindow, reinterpret_cast<LPARAM>(&iconWindows));
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&topLevels));
    for (HWND tooltip : topLevels) {
        wchar_t name[64] = L"";
        GetClassNameW(tooltip, name, 64);
        DWORD owner = 0;
        GetWindowThreadProcessId(tooltip, &owner);
        if (owner != shellProcess || std::wstring(name) != TOOLTIPS_CLASSW) continue;
        const int tools = static_cast<int>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < tools; ++i) {
            TTTOOLINFOW tool = {};
            tool.cbSize = sizeof tool;
            tool.lpszText = remoteText;
            WriteProcessMemory(process, remote, &tool, sizeof tool, NULL);
            if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote)))
                continue;
            std::vector<wchar_t> text(kTextUnits + 1, 0);
            ReadProcessMemory(process, remote, &tool, sizeof tool, NULL);
            ReadProcessMemory(process, remoteText, text.data(), kTextUnits * sizeof(wchar_t), NULL);
            for (HWND icon : iconWindows)
                if (icon == tool.hwnd) icons.push_back({icon, text.data()});
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return icons;
}

HWND ShellIconWithTip(const std::wstring& tip) {
    HWND found = NULL;
    for (const ShellIcon& icon : ShellIcons())
        if (icon.tip == tip) {
            if (found != NULL) return NULL;
            found = icon.window;
        }
    return found;
}

POINT CentreOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void MenuWatcher::Watch() {
    HWND popup = NULL;
    while (!stop_ && (popup = OpenPopupMenu()) == NULL) Sleep(10);
    if (popup == NULL) return;
    opened = true;
    foreground = GetForegroundWindow();
    GetWindowRect(popup, &rect);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = L"";
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 128;
        GetMenuItemInfoW(menu, i, TRUE, &item);
        entries.push_back({item.wID, (item.fType & MFT_SEPARATOR) != 0, text});
    }
    RECT target = {};
    if (click_ == kClickBeside) {
        target = {rect.right + 40, rect.bottom + 40, rect.right + 41, rect.bottom + 41};
    } else {
        GetMenuItemRect(NULL, menu, click_, &target);
    }
    support::ClickAt({(target.left + target.right) / 2, (target.top + target.bottom) / 2});
    closedByClick = support::WaitUntil([popup] { return !IsWindowVisible(popup); }, 3000);
    if (!closedByClick) PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    finished = true;
}

}  // namespace tray_support
