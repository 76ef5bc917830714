// The other processes of the benchmark: synthetic desktops of real windows, the latency probe
// that watches the resident program relabel its buttons, and a way to close a program politely.
//   bench_helper desktop buttons TOPS PER_TOP   TOPS windows of PER_TOP push buttons each
//   bench_helper desktop mixed TOPS PER_TOP     TOPS windows of PER_TOP descendants of mixed
//                                               classes, in panels, as dialogs nest them
//   bench_helper latency SAMPLES SEED           one button at a time with a standard caption;
//                                               prints the ms until its text is changed
//   bench_helper passes SECONDS                 a button that refuses every new text, so each
//                                               pass of the sweep relabels it once more; prints
//                                               the ms between two relabels, one a line
//   bench_helper floor SECONDS                  the floor's calls, made in the shipped
//                                               program's slices and ticks; prints the passes
//   bench_helper close CLASS                    posts WM_CLOSE to each top-level of that class
// A desktop prints "ready WINDOWS STANDARD" once built and lives until it is closed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const wchar_t kHostClass[] = L"BenchHost";
const wchar_t kPanelClass[] = L"BenchPanel";

// Standard captions as programs really write them: mnemonics, both languages.
const wchar_t* const kStandardCaptions[] = {
    L"OK",      L"Cancel", L"&Help",   L"&Apply", L"Да",  L"Нет",       L"Отмена",  L"< &Back",
    L"&Next >", L"&Retry", L"Справка", L"&Yes",   L"&No", L"Применить", L"Открыть", L"Ignore",
};
const int kStandardCount = sizeof kStandardCaptions / sizeof kStandardCaptions[0];

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kHostClass;
    RegisterClassW(&windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = kPanelClass;
    RegisterClassW(&windowClass);
}

HWND CreateTop(const wchar_t* title, int index, int width, int height) {
    return CreateWindowExW(0, kHostClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           40 + 16 * (index % 20), 40 + 12 * (index % 20), width, height, NULL,
                           NULL, GetModuleHandleW(NULL), NULL);
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                 int y, int width, int height) {
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           parent, NULL, GetModuleHandleW(NULL), NULL);
}

int Pump() {
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

// Dialog-like windows: a grid of push buttons, the first few with standard captions.
int BuildButtonDesktop(int tops, int perTop, int* standard) {
    const int kStandardPerTop = 4;
    wchar_t text[32];
    for (int t = 0; t < tops; ++t) {
        wsprintfW(text, L"Buttons %d", t);
        HWND top = CreateTop(text, t, 520, 300);
        for (int i = 0; i < perTop; ++i) {
            const wchar_t* caption = text;
            if (i < kStandardPerTop) {
                caption = kStandardCaptions[(t * kStandardPerTop + i) % kStandardCount];
                ++*standard;
            } else {
                wsprintfW(text, L"Action %d", i);
            }
            CreateChild(top, L"Button", caption, BS_PUSHBUTTON, 5 + 50 * (i % 10),
                        5 + 26 * (i / 10), 48, 24);
        }
    }
    return tops * (perTop + 1);
}

// Large forms: panels of 20 windows each (the panel and 19 controls of mixed classes); about
// one control in thirty is a push button with a standard caption.
int BuildMixedDesktop(int tops, int perTop, int* standard) {
    const int kPanelSize = 20;
    wchar_t text[32];
    int count = 0;
    for (int t = 0; t < tops; ++t) {
        wsprintfW(text, L"Form %d", t);
        HWND top = CreateTop(text, t, 640, 480);
        ++count;
        for (int p = 0; p < perTop / kPanelSize; ++p) {
            HWND panel =
                CreateChild(top, kPanelClass, L"", 0, 62 * (p % 10), 94 * (p / 10), 60, 92);
            ++count;
            for (int i = 1; i < kPanelSize; ++i, ++count) {
                const int y = 4 * i;
                if (count % 30 == 0) {
                    CreateChild(panel, L"Button", kStandardCaptions[*standard % kStandardCount],
                                BS_PUSHBUTTON, 2, y, 56, 4);
                    ++*standard;
                    continue;
                }
                wsprintfW(text, L"Field %d", count);
                switch (i % 4) {
                    case 0:
                        CreateChild(panel, L"Button", text, BS_AUTOCHECKBOX, 2, y, 56, 4);
                        break;
                    case 1: CreateChild(panel, L"Static", text, 0, 2, y, 56, 4); break;
                    case 2: CreateChild(panel, L"Edit", text, ES_AUTOHSCROLL, 2, y, 56, 4); break;
                    case 3: CreateChild(panel, kPanelClass, L"", 0, 2, y, 56, 4); break;
                }
            }
        }
    }
    return count;
}

int RunDesktop(const wchar_t* kind, int tops, int perTop) {
    int standard = 0;
    const int windows = wcscmp(kind, L"mixed") == 0 ? BuildMixedDesktop(tops, perTop, &standard)
                                                    : BuildButtonDesktop(tops, perTop, &standard);
    printf("ready %d %d\n", windows, standard);
    fflush(stdout);
    return Pump();
}

// --- Latency probe ---------------------------------------------------------------------

WNDPROC ButtonProc;
bool Armed;
LARGE_INTEGER ChangedAt;

// The button's own procedure, subclassed: the moment another process's text arrives.
LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT && Armed) {
        QueryPerformanceCounter(&ChangedAt);
        Armed = false;
    }
    return CallWindowProcW(ButtonProc, window, message, wParam, lParam);
}

double Ms(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Dispatches messages, sent ones included, until the time is up or the condition holds.
void PumpUntil(DWORD ms, const bool* stopWhenFalse) {
    const DWORD start = GetTickCount();
    MSG message;
    for (;;) {
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (stopWhenFalse != NULL && !*stopWhenFalse) return;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

int RunLatency(int samples, unsigned seed) {
    const DWORD kLostAfterMs = 1000;
    HWND host = CreateTop(L"Latency probe", 0, 300, 120);
    PumpUntil(200, NULL);
    for (int i = 0; i < samples; ++i) {
        // Made with its standard caption, as a program makes its buttons. The relabelling can
        // only arrive once this thread pumps messages again, so subclassing after the creation
        // misses nothing.
        LARGE_INTEGER shownAt;
        QueryPerformanceCounter(&shownAt);
        HWND button = CreateChild(host, L"Button", kStandardCaptions[i % kStandardCount],
                                  BS_PUSHBUTTON, 10, 10, 100, 30);
        ButtonProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProbeProc)));
        Armed = true;
        PumpUntil(kLostAfterMs, &Armed);
        if (Armed)
            printf("lost\n");
        else
            printf("%.3f\n", Ms(ChangedAt.QuadPart - shownAt.QuadPart));
        Armed = false;
        DestroyWindow(button);
        // A pause of random length, so the next button appears at any point of the tick.
        seed = seed * 1103515245u + 12345u;
        PumpUntil((seed >> 16) % 100, NULL);
    }
    fflush(stdout);
    DestroyWindow(host);
    return 0;
}

// --- Pass probe ------------------------------------------------------------------------

enum { kMaxRelabels = 4096 };
LARGE_INTEGER RelabelledAt[kMaxRelabels];
int RelabelCount;

LRESULT CALLBACK RefusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SETTEXT) return CallWindowProcW(ButtonProc, window, message, wParam, lParam);
    if (RelabelCount < kMaxRelabels) QueryPerformanceCounter(&RelabelledAt[RelabelCount++]);
    return TRUE;  // kept as it was: the next pass finds the caption again
}

int RunPasses(int seconds) {
    HWND host = CreateTop(L"Pass probe", 0, 300, 120);
    HWND button = CreateChild(host, L"Button", L"OK", BS_PUSHBUTTON, 10, 10, 100, 30);
    ButtonProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingProc)));
    PumpUntil(1000u * seconds, NULL);
    // The first relabel may be the window events'; the gaps after it are passes of the sweep.
    for (int i = 2; i < RelabelCount; ++i)
        printf("%.3f\n", Ms(RelabelledAt[i].QuadPart - RelabelledAt[i - 1].QuadPart));
    fflush(stdout);
    DestroyWindow(host);
    return 0;
}

// --- The floor in slices ----------------------------------------------------------------

// The calls no sweep can avoid, the same as sweep_bench's floor, made as the shipped program
// makes its own: each window listed once a pass, then gone through 5 ms at a time, two slices a
// tick of 100 ms with the queue served between. Set beside the program's pass, this leaves only
// what the program adds: the floor made in one go runs with warm caches, which a few
// milliseconds every tenth of a second never have.
enum { kFloorSliceMs = 5, kFloorTickMs = 100, kFloorCapacity = 8192 };
HWND FloorTops[kFloorCapacity];
HWND FloorWindows[kFloorCapacity];
int FloorTopCount, FloorTopNext, FloorWindowCount, FloorWindowNext;
bool FloorListed;
wchar_t FloorClass[256];
wchar_t FloorText[256];

struct FloorList {
    HWND* out;
    int count;
};

BOOL CALLBACK CollectForFloor(HWND window, LPARAM parameter) {
    FloorList* list = reinterpret_cast<FloorList*>(parameter);
    if (list->count < kFloorCapacity) list->out[list->count++] = window;
    return TRUE;
}

// A slice; true when the pass ended in it.
bool FloorSlice() {
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    for (;;) {
        if (!FloorListed) {
            FloorList list = {FloorTops, 0};
            EnumWindows(CollectForFloor, reinterpret_cast<LPARAM>(&list));
            FloorTopCount = list.count;
            FloorTopNext = FloorWindowCount = FloorWindowNext = 0;
            FloorListed = true;
        }
        if (FloorWindowNext < FloorWindowCount) {
            QueryPerformanceCounter(&now);
            if (Ms(now.QuadPart - start.QuadPart) >= kFloorSliceMs) return false;
            HWND window = FloorWindows[FloorWindowNext++];
            GetClassNameW(window, FloorClass, 256);
            if (wcscmp(FloorClass, L"Button") == 0) GetWindowTextW(window, FloorText, 256);
            continue;
        }
        if (FloorTopNext == FloorTopCount) {
            FloorListed = false;
            return true;
        }
        FloorList list = {FloorWindows, 0};
        EnumChildWindows(FloorTops[FloorTopNext++], CollectForFloor,
                         reinterpret_cast<LPARAM>(&list));
        FloorWindowCount = list.count;
        FloorWindowNext = 0;
    }
}

int RunFloor(int seconds) {
    const UINT kNextSlice = WM_APP;
    SetTimer(NULL, 1, kFloorTickMs, NULL);
    const DWORD end = GetTickCount() + 1000u * seconds;
    int passes = 0;
    MSG message;
    while (GetTickCount() < end && GetMessageW(&message, NULL, 0, 0) > 0) {
        if (message.message == WM_TIMER) {
            if (FloorSlice())
                ++passes;
            else
                PostThreadMessageW(GetCurrentThreadId(), kNextSlice, 0, 0);
        } else if (message.message == kNextSlice && FloorSlice()) {
            ++passes;
        }
    }
    printf("%d\n", passes);
    fflush(stdout);
    return 0;
}

// The list is taken before the first post, so windows closing meanwhile cannot cut it short.
BOOL CALLBACK CloseIfOfClass(HWND window, LPARAM className) {
    wchar_t name[64];
    if (GetClassNameW(window, name, 64) && wcscmp(name, reinterpret_cast<wchar_t*>(className)) == 0)
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

int Close(const wchar_t* className) {
    EnumWindows(CloseIfOfClass, reinterpret_cast<LPARAM>(className));
    return 0;
}

}  // namespace

int wmain(int count, wchar_t** args) {
    if (count < 3) return 2;
    RegisterClasses();
    if (wcscmp(args[1], L"desktop") == 0 && count >= 5)
        return RunDesktop(args[2], _wtoi(args[3]), _wtoi(args[4]));
    if (wcscmp(args[1], L"latency") == 0 && count >= 4)
        return RunLatency(_wtoi(args[2]), static_cast<unsigned>(_wtoi(args[3])));
    if (wcscmp(args[1], L"passes") == 0) return RunPasses(_wtoi(args[2]));
    if (wcscmp(args[1], L"floor") == 0) return RunFloor(_wtoi(args[2]));
    if (wcscmp(args[1], L"close") == 0) return Close(args[2]);
    return 2;
}
