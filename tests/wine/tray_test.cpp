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
#include "tray_support.h"

namespace {

using namespace tray_support;

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
        case WM_APP: Inbox.push_back({message, wParam, lParam}); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

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

// Not the 32-pixel picture shrunk: the image drawn for the size the notification area shows.
TEST_F(Tray, IconIsTheSmallIconSizeTheSystemReports) {
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(shell::TrayIcon.hIcon, &info));
    BITMAP mask = {};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), mask.bmWidth);
    EXPECT_EQ(2 * GetSystemMetrics(SM_CYSMICON), mask.bmHeight);  // two colours: one bitmap
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

// An elevated copy lets "TaskbarCreated" through the filter that keeps the messages of the
// unelevated shell away from it: with the process-wide call wherever there is a filter (Vista,
// and 7 and later beside their per-window one, which goes unused), and not at all where there
// is none. The functions are looked up at run time; here the look-up is answered by stand-ins
// that record their calls.
struct FilterCall {
    HWND window;
    UINT message;
    DWORD action;
};
std::vector<FilterCall> FilterCalls;
bool HasFilterPerWindow, HasFilterPerProcess;
FARPROC(WINAPI* RealGetProcAddress)(HMODULE, LPCSTR);

BOOL WINAPI FilterPerWindow(HWND window, UINT message, DWORD action, void*) {
    FilterCalls.push_back({window, message, action});
    return TRUE;
}
BOOL WINAPI FilterPerProcess(UINT message, DWORD action) {
    FilterCalls.push_back({NULL, message, action});
    return TRUE;
}
FARPROC WINAPI LookUp(HMODULE module, LPCSTR name) {
    if (!IS_INTRESOURCE(name) && lstrcmpA(name, "ChangeWindowMessageFilterEx") == 0)
        return HasFilterPerWindow
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FilterPerWindow))
                   : nullptr;
    if (!IS_INTRESOURCE(name) && lstrcmpA(name, "ChangeWindowMessageFilter") == 0)
        return HasFilterPerProcess
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FilterPerProcess))
                   : nullptr;
    return RealGetProcAddress(module, name);
}

TEST_F(Tray, TaskbarCreatedPassesTheFilterOfAnElevatedProcess) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    const DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD
    const struct {
        bool perWindow, perProcess;
        std::vector<FilterCall> calls;
    } kSystems[] = {
        {true, true, {{NULL, taskbarCreated, kAllow}}},   // Windows 7 and later
        {false, true, {{NULL, taskbarCreated, kAllow}}},  // Windows Vista
        {false, false, {}},                               // no filter at all
    };
    for (const auto& system : kSystems) {
        FilterCalls.clear();
        HasFilterPerWindow = system.perWindow;
        HasFilterPerProcess = system.perProcess;
        {
            support::ImportSwap swap("kernel32.dll", "GetProcAddress",
                                     reinterpret_cast<void*>(LookUp));
            ASSERT_TRUE(swap.found());
            RealGetProcAddress = reinterpret_cast<decltype(RealGetProcAddress)>(swap.real());
            ASSERT_NE(nullptr, RealGetProcAddress);
            shell::PrepareTray(owner_);
        }
        ASSERT_EQ(system.calls.size(), FilterCalls.size()) << system.perWindow << system.perProcess;
        for (size_t i = 0; i < FilterCalls.size(); ++i) {
            EXPECT_EQ(system.calls[i].window, FilterCalls[i].window);
            EXPECT_EQ(system.calls[i].message, FilterCalls[i].message);
            EXPECT_EQ(system.calls[i].action, FilterCalls[i].action);
        }
    }
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
    HWND icon = ShellIconWithTip(kTitle);
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
    HWND icon = ShellIconWithTip(kTitle);
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
