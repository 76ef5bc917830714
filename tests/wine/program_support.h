// What the tests of the real program share: finding its windows, pressing its hotkeys, and a
// fixture that starts it on a clean registry and ends it afterwards.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace program_support {

extern const wchar_t kClass[];
extern const wchar_t kTitle[];
extern const wchar_t kQuestion[];

HWND MainWindow();
// Whether the text is one of the twelve standard captions the program relabels.
bool IsStandardCaption(const std::wstring& text);
// The exit question: a message box captioned with the program's title.
HWND Question();
bool ShellHasOurIcon();

void PressKey(WORD key);
void PressCtrlAlt(WORD key);

// The settings dialogs open on the screen, by their caption.
std::vector<HWND> OpenDialogs();
// Opens one more dialog with the hotkey and returns it once it has settled; NULL if none came.
HWND OpenSettingsWithHotkey();
bool ClosesSoon(HWND dialog);
// A control of another process's dialog. An edit field keeps its text to itself: another
// process has to ask it for the text.
std::wstring Item(HWND dialog, int id);
void SetItem(HWND dialog, int id, const std::wstring& text);
void Click(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);

// Windows that processes create, seen through the platform's own notifications. A window
// destroyed before its notification is read no longer names its process; its thread still
// shows in the notification.
class WindowCreations {
public:
    WindowCreations();
    ~WindowCreations();
    int By(DWORD process) const;
    int ByThread(DWORD thread) const;

private:
    static void CALLBACK Record(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD thread,
                                DWORD);
    struct Creation {
        DWORD process;
        DWORD thread;
    };
    static WindowCreations* Instance;
    HWINEVENTHOOK hook_;
    std::vector<Creation> creations_;
};

// While it lives, the test helper stands in for the web browser: the shell hands it the
// addresses it is asked to open, and it records the last one.
class BrowserStandIn {
public:
    BrowserStandIn();
    ~BrowserStandIn();
    std::wstring LastOpened() const;

private:
    std::vector<BYTE> savedCommand_;
};

class Program : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program, with these options stored first unless they are null.
    void Start(const wchar_t* options, const wchar_t* program = L"vorkalun.exe");
    // Ends it as its window's close box would, and waits for it.
    void Stop();
    // Asks the exit question with the hotkey and waits for it.
    HWND AskToExitWithHotkey();

    HANDLE program_ = NULL;
};

}  // namespace program_support
