// The notification icon and its menu against Wine's own notification area, driven with real
// input. The icon's presence is asked of the shell from another process.
#include "shell/tray.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "resources/resource.h"
#include "support.h"

namespace {

const wchar_t kOwnerClass[] = L"TrayTestOwner";
const wchar_t kTitle[] = L"Фильтруй базар !!!";

// The messages the tests look at, in the order the owner window received them.
struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> Inbox;

bool Arrived(UINT message, LPARAM lParam = 0) {
    for (const Received& r : Inbox)
        if (r.message == message && (lParam == 0 || r.lParam == lParam)) return true;
    return false;
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (shell::IsTaskbarCreatedMessage(message)) {
        shell::OnTaskbarCreated();
        return 0;
    }
    switch (message) {
        case shell::WM_TRAYNOTIFY:
            Inbox.push_back({message, wParam, lParam});
            shell::OnTrayNotify(window, wParam, lParam);
            return 0;
        case WM_COMMAND:
        case WM_NULL:
        case WM_APP:
            Inbox.push_back({message, wParam, lParam});
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
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

// An icon as the notification area shows it: a window of the shell's process, and the tip
// its tooltip control holds for that window.
struct ShellIcon {
    HWND window;
    std::wstring tip;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
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

// The one icon the shell shows with our tip; the tests add no other.
HWND OurShellIcon() {
    HWND found = NULL;
    for (const ShellIcon& icon : ShellIcons())
        if (icon.tip == kTitle) {
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

struct Entry {
    UINT id;
    bool separator;
    std::wstring text;
};

// Watches, from a second thread, for the popup menu that OnTrayNotify tracks on the test's
// thread; reads it and then clicks one of its entries, or clicks beside it. A menu that the
// click does not close is closed with Esc, so that a failing test does not hang.
class MenuWatcher {
public:
    static const int kClickBeside = -1;

    explicit MenuWatcher(int clickPosition) : click_(clickPosition) {
        thread_ = std::thread([this] { Watch(); });
    }
    ~MenuWatcher() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

    bool opened = false;
    bool closedByClick = false;
    std::vector<Entry> entries;
    RECT rect = {};
    HWND foreground = NULL;

private:
    static BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found) {
        wchar_t name[16] = L"";
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32768" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    void Watch() {
        HWND popup = NULL;
        while (!stop_ && popup == NULL) {
            EnumWindows(FindMenuWindow, reinterpret_cast<LPARAM>(&popup));
            if (popup == NULL) Sleep(10);
        }
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
    }

    const int click_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.hInstance = GetModuleHandleW(NULL);
        windowClass.lpszClassName = kOwnerClass;
        RegisterClassW(&windowClass);
        // Like the program's main window once the logo is gone: a hidden popup.
        owner_ = CreateWindowExW(0, kOwnerClass, L"Tray test owner", WS_POPUP, 300, 300, 100, 100,
                                 NULL, NULL, GetModuleHandleW(NULL), NULL);
        ASSERT_NE(nullptr, owner_);
        shell::PrepareTray(owner_);
        Inbox.clear();
    }
    void TearDown() override {
        shell::RemoveTrayIcon();
        DestroyWindow(owner_);
    }

    // A notification as the shell delivers it, with the pointer where the user would have it.
    void Notify(WPARAM id, LPARAM mouseMessage, POINT pointer = {400, 300}) {
        SetCursorPos(pointer.x, pointer.y);
        SendMessageW(owner_, shell::WM_TRAYNOTIFY, id, mouseMessage);
    }

    // Returns once the owner has handled everything posted to it before.
    void Drain() {
        PostMessageW(owner_, WM_APP, 0, 0);
        ASSERT_TRUE(
            support::WaitUntil([] { return !Inbox.empty() && Inbox.back().message == WM_APP; }));
    }

    HWND owner_ = NULL;
};

TEST_F(Tray, IconIsThereFromAddUntilRemove) {
    EXPECT_FALSE(ShellHasIcon(owner_, ID_TRAY));
    shell::AddTrayIcon();
    EXPECT_TRUE(ShellHasIcon(owner_, ID_TRAY));
    // The probe tells icons apart by window and identifier, not just "some icon is there".
    EXPECT_FALSE(ShellHasIcon(owner_, ID_TRAY + 1));
    EXPECT_FALSE(ShellHasIcon(GetDesktopWindow(), ID_TRAY));
    shell::RemoveTrayIcon();
    EXPECT_FALSE(ShellHasIcon(owner_, ID_TRAY));
}

TEST_F(Tray, ShellShowsTheTitleAsTipOnEveryCodePage) {
    shell::AddTrayIcon();
    const std::vector<ShellIcon> icons = ShellIcons();
    ASSERT_EQ(1u, icons.size());
    EXPECT_EQ(kTitle, icons[0].tip);
}

TEST_F(Tray, LeftButtonDownOpensTheMenuAtThePointer) {
    MenuWatcher watcher(MenuWatcher::kClickBeside);
    Notify(ID_TRAY, WM_LBUTTONDOWN, {420, 310});
    watcher.Stop();
    ASSERT_TRUE(watcher.opened);

    const Entry expected[] = {{ID_SITE, false, L"http://vorkalun.example.org/"},
                              {ID_SETTINGS, false, L"Свойства"},
                              {0, true, L""},
                              {ID_EXIT, false, L"Выход"}};
    ASSERT_EQ(4u, watcher.entries.size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].separator, watcher.entries[i].separator) << i;
        EXPECT_EQ(expected[i].text, watcher.entries[i].text) << i;
        if (!expected[i].separator) {
            EXPECT_EQ(expected[i].id, watcher.entries[i].id) << i;
        }
    }
    EXPECT_EQ(420, watcher.rect.left);
    EXPECT_EQ(310, watcher.rect.top);
    // Unless its owner was put in front, a click elsewhere would leave the menu open.
    EXPECT_TRUE(watcher.closedByClick);
}

TEST_F(Tray, LeftClickOnTheShellsIconOpensTheMenuAndDeliversTheChoice) {
    shell::AddTrayIcon();
    HWND icon = OurShellIcon();
    ASSERT_NE(nullptr, icon);
    MenuWatcher watcher(1);
    support::ClickAt(CentreOf(icon));
    EXPECT_TRUE(support::WaitUntil([] { return Arrived(WM_COMMAND); }));
    watcher.Stop();
    EXPECT_TRUE(watcher.opened);
    EXPECT_TRUE(watcher.closedByClick);
    EXPECT_TRUE(Arrived(shell::WM_TRAYNOTIFY, WM_LBUTTONDOWN));
    for (const Received& r : Inbox) {
        if (r.message == WM_COMMAND) {
            EXPECT_EQ(static_cast<WPARAM>(ID_SETTINGS), r.wParam);
        }
    }
}

TEST_F(Tray, RightClickOnTheShellsIconOpensNothing) {
    shell::AddTrayIcon();
    HWND icon = OurShellIcon();
    ASSERT_NE(nullptr, icon);
    MenuWatcher watcher(MenuWatcher::kClickBeside);
    support::ClickAt(CentreOf(icon), true);
    ASSERT_TRUE(support::WaitUntil([] { return Arrived(shell::WM_TRAYNOTIFY, WM_RBUTTONUP); }));
    Drain();
    watcher.Stop();
    EXPECT_FALSE(watcher.opened);
}

TEST_F(Tray, ChoosingAnEntryDeliversItsCommand) {
    const struct {
        int position;
        UINT id;
    } kChoices[] = {{0, ID_SITE}, {1, ID_SETTINGS}, {3, ID_EXIT}};
    for (const auto& choice : kChoices) {
        Inbox.clear();
        MenuWatcher watcher(choice.position);
        Notify(ID_TRAY, WM_LBUTTONDOWN);
        watcher.Stop();
        ASSERT_TRUE(watcher.opened);
        EXPECT_TRUE(watcher.closedByClick);
        support::PumpMessages();
        ASSERT_EQ(3u, Inbox.size()) << choice.id;
        EXPECT_EQ(static_cast<UINT>(WM_COMMAND), Inbox[1].message);
        EXPECT_EQ(choice.id, Inbox[1].wParam);
        EXPECT_EQ(static_cast<UINT>(WM_NULL), Inbox[2].message);
    }
}

TEST_F(Tray, MenuTakesTheForegroundClosesOnAClickElsewhereAndNudgesItsOwner) {
    // Another window is in front when the user clicks the icon.
    HWND other =
        CreateWindowExW(0, kOwnerClass, L"Tray test other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 620,
                        300, 300, 200, NULL, NULL, GetModuleHandleW(NULL), NULL);
    SetForegroundWindow(other);
    ASSERT_TRUE(support::WaitUntil([&] { return GetForegroundWindow() == other; }));

    MenuWatcher watcher(MenuWatcher::kClickBeside);
    Notify(ID_TRAY, WM_LBUTTONDOWN);
    watcher.Stop();
    ASSERT_TRUE(watcher.opened);
    EXPECT_EQ(owner_, watcher.foreground);
    EXPECT_TRUE(watcher.closedByClick);

    // Closed without a choice: no command, only the message posted after the menu.
    support::PumpMessages();
    ASSERT_EQ(2u, Inbox.size());
    EXPECT_EQ(static_cast<UINT>(WM_NULL), Inbox[1].message);
    DestroyWindow(other);
}

TEST_F(Tray, OtherNotificationsOpenNoMenu) {
    const struct {
        WPARAM id;
        LPARAM message;
    } kIgnored[] = {
        {ID_TRAY, WM_RBUTTONDOWN},     {ID_TRAY, WM_RBUTTONUP}, {ID_TRAY, WM_LBUTTONUP},
        {ID_TRAY, WM_LBUTTONDBLCLK},   {ID_TRAY, WM_MOUSEMOVE}, {ID_TRAY, WM_MBUTTONDOWN},
        {ID_TRAY + 1, WM_LBUTTONDOWN}, {0, WM_LBUTTONDOWN},
    };
    for (const auto& notification : kIgnored) {
        MenuWatcher watcher(MenuWatcher::kClickBeside);
        Notify(notification.id, notification.message);
        watcher.Stop();
        EXPECT_FALSE(watcher.opened) << notification.id << " " << notification.message;
    }
    // Nothing is done around a menu that is not shown.
    support::PumpMessages();
    EXPECT_FALSE(Arrived(WM_NULL));
}

TEST_F(Tray, RestartedTaskbarGetsTheIconBackOnlyWhenItIsWanted) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    EXPECT_FALSE(shell::IsTaskbarCreatedMessage(WM_NULL));
    EXPECT_FALSE(shell::IsTaskbarCreatedMessage(shell::WM_TRAYNOTIFY));

    shell::AddTrayIcon();
    ASSERT_TRUE(ShellHasIcon(owner_, ID_TRAY));
    // A restarted taskbar has forgotten the icon, then announces itself to every window.
    Shell_NotifyIconW(NIM_DELETE, &shell::TrayIcon);
    ASSERT_FALSE(ShellHasIcon(owner_, ID_TRAY));
    PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    Drain();
    EXPECT_TRUE(ShellHasIcon(owner_, ID_TRAY));

    // Once the icon has been taken away on purpose, a restart leaves it away.
    shell::RemoveTrayIcon();
    PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    Drain();
    EXPECT_FALSE(ShellHasIcon(owner_, ID_TRAY));
}

}  // namespace
