// Test support for the notification icon: asking the shell whether an icon is there, reading
// the tips it shows, and driving a popup menu from a second thread with real clicks.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tray_support {

// Whether the shell holds an icon of this window and identifier, asked by another process.
bool ShellHasIcon(HWND window, UINT id);

// What a restarted notification area looks like to a program: it has forgotten the icon, and
// it tells every top-level window with the registered message "TaskbarCreated".
void RestartNotificationArea(HWND owner, UINT id);

// An icon as the notification area shows it: a window of the shell's process, and the tip
// its tooltip control holds for that window.
struct ShellIcon {
    HWND window;
    std::wstring tip;
};
std::vector<ShellIcon> ShellIcons();

// The one icon the shell shows with this tip, or NULL when there is none or more than one.
HWND ShellIconWithTip(const std::wstring& tip);

POINT CentreOf(HWND window);

// The popup menu window on the screen, of whichever process; NULL when none is open.
HWND OpenPopupMenu();

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

    // Set once the watcher has read the menu and clicked: for menus of other processes.
    std::atomic<bool> finished{false};
    bool opened = false;
    bool closedByClick = false;
    std::vector<Entry> entries;
    RECT rect = {};
    HWND foreground = NULL;

private:
    void Watch();

    const int click_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tray_support
