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
// The exit question: a message box captioned with the program's title.
HWND Question();
bool ShellHasOurIcon();

void PressKey(WORD key);
void PressCtrlAlt(WORD key);

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
