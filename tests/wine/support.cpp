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
    return StartProgramAt(BesideTests(fileName), arguments, threadId);
}

HANDLE StartProgramAt(const std::wstring& path, const std::wstring& arguments, DWORD* threadId) {
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
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

std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int width, int height) {
    std::vector<DWORD> bgr(width * height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(NULL);
    GetDIBits(screen, bitmap, 0, height, bgr.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    std::vector<COLORREF> pixels;
    for (DWORD p : bgr) pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return pixels;
}

std::vector<COLORREF> ScreenPixels(const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(NULL);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ before = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(copy, before);
    DeleteDC(copy);
    ReleaseDC(NULL, screen);
    std::vector<COLORREF> pixels = PixelsOf(bitmap, width, height);
    DeleteObject(bitmap);
    return pixels;
}

namespace {

void** ImportSlot(const char* dll, const char* function) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(NULL));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + module->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void Store(void** slot, void* value) {
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

}  // namespace

ImportSwap::ImportSwap(const char* dll, const char* function, void* standIn)
    : slot_(ImportSlot(dll, function)) {
    if (slot_ == nullptr) return;
    real_ = *slot_;
    Store(slot_, standIn);
}

ImportSwap::~ImportSwap() {
    if (slot_ != nullptr) Store(slot_, real_);
}

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace support
