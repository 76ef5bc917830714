#include "support.h"

namespace support {

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const double deadline = NowMs() + timeoutMs;
    for (;;) {
        PumpMessages();
        if (condition()) return true;
        if (NowMs() > deadline) return false;
        Sleep(10);
    }
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring BesideTests(const wchar_t* fileName) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring directory(path, length);
    directory.erase(directory.find_last_of(L"\\/") + 1);
    return directory + fileName;
}

std::wstring ShippedProgram() {
#ifdef VORKALUN_SHIPPED_PROGRAM
    return VORKALUN_SHIPPED_PROGRAM;
#else
    return BesideTests(L"vorkalun.exe");
#endif
}

HANDLE StartProgram(const wchar_t* fileName, const std::wstring& arguments, DWORD* threadId) {
    std::wstring commandLine = L"\"" + BesideTests(fileName) + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process))
        return NULL;
    if (threadId != nullptr) *threadId = process.dwThreadId;
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD WaitForExit(HANDLE process, DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    return code;
}

void EndProcess(HANDLE process) {
    if (process == NULL) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

namespace {

BOOL CALLBACK CollectButton(HWND window, LPARAM buttons) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"Button")
        reinterpret_cast<std::vector<HWND>*>(buttons)->push_back(window);
    return TRUE;
}

struct ProcessButtons {
    DWORD process;
    std::vector<HWND> buttons;
};

BOOL CALLBACK CollectButtonsOfProcess(HWND window, LPARAM found) {
    ProcessButtons* wanted = reinterpret_cast<ProcessButtons*>(found);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == wanted->process)
        EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&wanted->buttons));
    return TRUE;
}

}  // namespace

std::vector<HWND> ButtonsOf(HANDLE process) {
    ProcessButtons found = {GetProcessId(process), {}};
    EnumWindows(CollectButtonsOfProcess, reinterpret_cast<LPARAM>(&found));
    return found.buttons;
}

HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs) {
    HWND found = NULL;
    WaitUntil([&] { return (found = FindWindowW(NULL, title)) != NULL; }, timeoutMs);
    return found;
}

void ClickAt(POINT point, bool rightButton) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = point.x * 65535 / (width - 1);
        input.mi.dy = point.y * 65535 / (height - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    inputs[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    inputs[1].mi.dwFlags |= rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags |= rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace support
