// The program's entry and its window procedure.
#include <windows.h>

#include "caption/sweep.h"

extern "C" LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// The entry takes no arguments and never returns; there is no C runtime to return to.
extern "C" void WINAPI Start() {
    caption::SweepWindows();
    ExitProcess(0);
}
