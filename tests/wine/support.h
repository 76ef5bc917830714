// What the Win32 tests share: waiting with a bound, texts of windows, helper processes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace support {

// Polls the condition, pumping this thread's messages, until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
void PumpMessages();

std::wstring WindowText(HWND window);

// A file next to the test program: the built executable and the test helpers live there.
std::wstring BesideTests(const wchar_t* fileName);

// The shipped program: vorkalun.exe of the 32-bit build. The tests of the executable file judge
// it whatever the width of the test itself; a 64-bit test build is told where it lies.
std::wstring ShippedProgram();

// Starts a program of the build by file name with the given arguments; gives the id of its
// first thread too when asked.
HANDLE StartProgram(const wchar_t* fileName, const std::wstring& arguments,
                    DWORD* threadId = nullptr);
// The same for a program anywhere, by its full path.
HANDLE StartProgramAt(const std::wstring& path, const std::wstring& arguments,
                      DWORD* threadId = nullptr);
// Its exit code, or STILL_ACTIVE when it has not ended within the time.
DWORD WaitForExit(HANDLE process, DWORD timeoutMs = 10000);
// Ends a helper that is still running and closes the handle.
void EndProcess(HANDLE process);

// Every window of class "Button" in the windows of a process.
std::vector<HWND> ButtonsOf(HANDLE process);

// The top-level window with this title, waiting for it to appear.
HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs = 10000);

// A click with real input at a point on the screen, as the user's mouse would make it.
void ClickAt(POINT point, bool rightButton = false);

// Milliseconds from a steady clock.
double NowMs();

// A bitmap's pixels as the display holds them, row by row from the top, read without GetPixel.
std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int width, int height);
// What the screen shows in a rectangle, the same way.
std::vector<COLORREF> ScreenPixels(const RECT& rect);

// While it lives, this program's own calls of a function imported from a system DLL go to a
// stand-in instead, through the slot of the import address table they use; real() is the
// function itself, for the stand-in to call on.
class ImportSwap {
public:
    ImportSwap(const char* dll, const char* function, void* standIn);
    ~ImportSwap();
    bool found() const { return slot_ != nullptr; }
    void* real() const { return real_; }

private:
    void** slot_ = nullptr;
    void* real_ = nullptr;
};

}  // namespace support
