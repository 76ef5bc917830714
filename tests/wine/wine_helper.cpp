// A separate process with buttons for the tests to relabel.
//   wine_helper msgbox TITLE              a Yes/No message box; exits with the answer
//   wine_helper buttons TITLE TEXT...     a window with buttons 1, 2... with these texts; the
//                                         message WM_APP with wParam MS makes it busy for MS
//                                         milliseconds, titled "busy" meanwhile and "answering"
//                                         after
//   wine_helper hang TITLE TEXT MS [TEXT...]
//                                         a window with buttons, then MS milliseconds
//                                         without pumping messages, then normal again
//   wine_helper storm TITLE MS            for MS milliseconds creates and destroys windows
//                                         with standard buttons as fast as it can, then keeps
//                                         the last ones and shows TITLE; the host's user data
//                                         holds the number of buttons it made
//   wine_helper busy TITLE MS             shows TITLE, then for MS milliseconds adds buttons
//                                         with standard captions one after another without
//                                         pumping messages, then normal again
//   wine_helper crowd TITLE COUNT         COUNT windows: hidden top-levels of 100 buttons each,
//                                         one in ten with a standard caption (the controls
//                                         11, 21... 91); TITLE once done
//   wine_helper slow TITLE COUNT MS       COUNT buttons with standard captions that take MS
//                                         milliseconds over each new text and then refuse it;
//                                         each counts the texts it was offered in its user data
//   wine_helper silent TITLE THREADS MS   THREADS threads with a hidden window of four standard
//                                         buttons each, which all stop pumping messages for MS
//                                         milliseconds; TITLE once they all have
//   wine_helper trayprobe WINDOW ID       exits with 1 when the shell holds a notification
//                                         icon of that window (a number) and identifier, else 0
//   wine_helper url ADDRESS               stands in for the web browser: records the address
//                                         under HKEY_CURRENT_USER\Software\vorkalun-tests
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <deque>

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    SetWindowTextW(window, L"busy");
    Sleep(static_cast<DWORD>(wParam));
    SetWindowTextW(window, L"answering");
    return 0;
}

void RegisterHostClass() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"WineHelperHost";
    RegisterClassW(&windowClass);
}

HWND CreateHost(const wchar_t* title) {
    // Clear of the top-left corner, where Wine keeps its notification area.
    return CreateWindowExW(0, L"WineHelperHost", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 60,
                           400, 150, NULL, NULL, GetModuleHandleW(NULL), NULL);
}

// The buttons' control identifiers are 1, 2, 3... in the order of the texts.
void AddButton(HWND host, const wchar_t* text, int index) {
    CreateWindowExW(0, L"Button", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                    10 + 120 * (index % 3), 10 + 30 * (index / 3), 110, 25, host,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(index + 1)),
                    GetModuleHandleW(NULL), NULL);
}

int Pump(HWND host) {
    MSG message;
    while (IsWindow(host) && GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < ms) {
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(5);
    }
}

const wchar_t* const kStandard[] = {L"OK", L"Cancel", L"Да", L"Нет", L"&Help", L"Отмена", L"Retry"};
const int kStandardCount = sizeof kStandard / sizeof kStandard[0];

HWND CreateHidden(const wchar_t* title) {
    return CreateWindowExW(0, L"WineHelperHost", title, WS_POPUP, 0, 0, 400, 300, NULL, NULL,
                           GetModuleHandleW(NULL), NULL);
}

HWND AddChild(HWND parent, const wchar_t* text, int index) {
    return CreateWindowExW(0, L"Button", text, WS_CHILD | BS_PUSHBUTTON, 0, 0, 60, 20, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(index + 1)),
                           GetModuleHandleW(NULL), NULL);
}

// Hidden windows, made and destroyed as fast as the platform allows, while messages are still
// answered between them, as a busy but healthy program does. The host's own children come and
// go as well, so a sweep meets both vanishing top-levels and vanishing children.
int Storm(const wchar_t* title, DWORD ms) {
    HWND host = CreateHost(L"");
    std::deque<HWND> topLevels, children;
    LONG_PTR made = 0;
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < ms) {
        HWND top = CreateHidden(L"storm");
        for (int i = 0; i < 8; ++i) AddChild(top, kStandard[made++ % kStandardCount], i);
        topLevels.push_back(top);
        if (topLevels.size() > 6) {
            DestroyWindow(topLevels.front());
            topLevels.pop_front();
        }
        children.push_back(AddChild(host, kStandard[made++ % kStandardCount], 0));
        if (children.size() > 20) {
            DestroyWindow(children.front());
            children.pop_front();
        }
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    SetWindowLongPtrW(host, GWLP_USERDATA, made);
    SetWindowTextW(host, title);
    return Pump(host);
}

// A program busy building a large window: it makes button after button and answers no message
// until it is done.
int Busy(const wchar_t* title, DWORD ms) {
    HWND host = CreateHost(title);
    PumpFor(100);
    const DWORD start = GetTickCount();
    for (int made = 0; GetTickCount() - start < ms; ++made) {
        AddChild(host, kStandard[made % kStandardCount], made);
        Sleep(5);
    }
    return Pump(host);
}

// A crowded desktop: the sweep has to read every one of these buttons on every tick.
int Crowd(const wchar_t* title, int count) {
    HWND first = CreateHidden(L"");
    HWND top = first;
    wchar_t text[32];
    for (int i = 1; i < count; ++i) {
        if (i % 100 == 0) {
            top = CreateHidden(L"crowd");
            continue;
        }
        if (i % 10 == 0) {
            AddChild(top, kStandard[(i / 10) % kStandardCount], i % 100);
        } else {
            swprintf(text, 32, L"Кнопка %d", i);
            AddChild(top, text, i % 100);
        }
    }
    SetWindowTextW(first, title);
    return Pump(first);
}

// A program slow to take a new text: it answers each one just inside the time the relabelling
// program waits, and keeps its caption, so that every sweep finds it again.
DWORD SlowMs;
WNDPROC ButtonProc;

LRESULT CALLBACK SlowButton(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SETTEXT) return CallWindowProcW(ButtonProc, button, message, wParam, lParam);
    Sleep(SlowMs);
    SetWindowLongPtrW(button, GWLP_USERDATA, GetWindowLongPtrW(button, GWLP_USERDATA) + 1);
    return TRUE;
}

int Slow(const wchar_t* title, int count, DWORD ms) {
    SlowMs = ms;
    HWND host = CreateHost(title);
    for (int i = 0; i < count; ++i) {
        HWND button = AddChild(host, kStandard[i % kStandardCount], i);
        ButtonProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SlowButton)));
    }
    return Pump(host);
}

// Threads that all stop answering at once, each with a window of its own. They set up one
// after another: Wine 8 corrupts its heap when thirty threads start on windows all at once.
struct Silence {
    DWORD ms;
    HANDLE ready;  // one thread has made its window
    HANDLE go;     // all have: set the captions and fall silent
    volatile LONG silent;
};

DWORD WINAPI SilentThread(void* parameter) {
    Silence* silence = static_cast<Silence*>(parameter);
    HWND window = CreateHidden(L"silent");
    for (int i = 0; i < 4; ++i) AddChild(window, L"", i);
    PumpFor(20);
    SetEvent(silence->ready);
    WaitForSingleObject(silence->go, INFINITE);
    // The captions come once the thread has stopped pumping, so that nothing is relabelled
    // before the silence.
    for (int i = 0; i < 4; ++i) SetWindowTextW(GetDlgItem(window, i + 1), kStandard[i]);
    InterlockedIncrement(&silence->silent);
    Sleep(silence->ms);
    return Pump(window);
}

int Silent(const wchar_t* title, int threads, DWORD ms) {
    static Silence silence = {ms, CreateEventW(NULL, FALSE, FALSE, NULL),
                              CreateEventW(NULL, TRUE, FALSE, NULL), 0};
    HWND host = CreateHost(L"");
    for (int i = 0; i < threads; ++i) {
        CloseHandle(CreateThread(NULL, 0, SilentThread, &silence, 0, NULL));
        WaitForSingleObject(silence.ready, INFINITE);
    }
    SetEvent(silence.go);
    while (silence.silent < threads) PumpFor(10);
    SetWindowTextW(host, title);
    return Pump(host);
}

// The shell modifies only an icon it holds: an empty modification tells whether it is there,
// from outside the process that added it.
int ProbeTrayIcon(const wchar_t* window, const wchar_t* id) {
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoul(window, NULL, 10)));
    probe.uID = static_cast<UINT>(wcstoul(id, NULL, 10));
    return Shell_NotifyIconA(NIM_MODIFY, &probe) ? 1 : 0;
}

int RecordAddress(const wchar_t* address) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\vorkalun-tests", 0, NULL, 0, KEY_ALL_ACCESS,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return 1;
    RegSetValueExW(key, L"opened", 0, REG_SZ, reinterpret_cast<const BYTE*>(address),
                   static_cast<DWORD>((wcslen(address) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count < 3) return 2;
    const wchar_t* mode = args[1];
    const wchar_t* title = args[2];

    if (wcscmp(mode, L"trayprobe") == 0 && count >= 4) return ProbeTrayIcon(args[2], args[3]);
    if (wcscmp(mode, L"url") == 0) return RecordAddress(args[2]);
    if (wcscmp(mode, L"msgbox") == 0)
        return MessageBoxW(NULL, L"Сохранить изменения в документе?", title, MB_YESNO);

    RegisterHostClass();
    if (wcscmp(mode, L"storm") == 0 && count >= 4) return Storm(title, _wtoi(args[3]));
    if (wcscmp(mode, L"busy") == 0 && count >= 4) return Busy(title, _wtoi(args[3]));
    if (wcscmp(mode, L"crowd") == 0 && count >= 4) return Crowd(title, _wtoi(args[3]));
    if (wcscmp(mode, L"slow") == 0 && count >= 5)
        return Slow(title, _wtoi(args[3]), _wtoi(args[4]));
    if (wcscmp(mode, L"silent") == 0 && count >= 5)
        return Silent(title, _wtoi(args[3]), _wtoi(args[4]));

    const bool hang = wcscmp(mode, L"hang") == 0 && count >= 5;
    // A hanging helper shows its title only once it has stopped pumping, so that a test
    // that finds the title knows the helper no longer answers.
    HWND host = CreateHost(hang ? L"" : title);
    if (wcscmp(mode, L"buttons") == 0) {
        for (int i = 3; i < count; ++i) AddButton(host, args[i], i - 3);
        return Pump(host);
    }
    if (hang) {
        // The captions come once it has stopped pumping, so that a running program cannot
        // have relabelled them before the hang.
        AddButton(host, L"", 0);
        for (int i = 5; i < count; ++i) AddButton(host, L"", i - 4);
        PumpFor(100);
        SetWindowTextW(GetDlgItem(host, 1), args[3]);
        for (int i = 5; i < count; ++i) SetWindowTextW(GetDlgItem(host, i - 3), args[i]);
        SetWindowTextW(host, title);
        Sleep(static_cast<DWORD>(_wtoi(args[4])));
        return Pump(host);
    }
    return 2;
}
