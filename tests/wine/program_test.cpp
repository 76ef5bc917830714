// The real program, started as the user starts it and watched from outside: its command line,
// its single instance, its logo, its sweeps, its tray icon, its hotkeys and its exit question.
// The logo's tests run at 96 DPI and again at 144 and 192 (see CMakeLists.txt).
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600  // SetProcessDPIAware, for the tests; the program declares it instead
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "program_support.h"
#include "resources/resource.h"
#include "settings_support.h"
#include "shell/logo_region.h"
#include "shell/logo_scan.h"
#include "shell/shell.h"
#include "support.h"
#include "tray_support.h"

namespace {

using namespace program_support;
using namespace settings_support;
using support::WaitUntil;
using support::WindowText;

TEST_F(Program, RemovalSwitchRemovesTheSettingsAndTheAutostartEntryWithItsCopyAndShowsNothing) {
    // Where the entry cannot be deleted, the elevated copy is asked to; under Wine it has the
    // same rights and fails too, and "/c" ends as ever.
    const std::wstring copy = InstalledCopy();
    for (bool readOnly : {false, true}) {
        StoreUnits(HKEY_CURRENT_USER, kProductKey, L"Help", L"x", true);
        CreateDirectoryW(InstalledFolder().c_str(), NULL);
        ASSERT_TRUE(CopyFileW(support::BesideTests(L"vorkalun.exe").c_str(), copy.c_str(), FALSE));
        StoreUnits(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN", Quoted(copy), true);
        WindowCreations creations;
        std::unique_ptr<ReadOnlyRunKey> denied(readOnly ? new ReadOnlyRunKey : nullptr);

        HANDLE removal = support::StartProgram(L"vorkalun.exe", L"/c");
        const DWORD id = GetProcessId(removal);
        EXPECT_EQ(1u, support::WaitForExit(removal)) << readOnly;
        support::EndProcess(removal);

        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kVendorKey));
        EXPECT_EQ(readOnly, ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN").found);
        EXPECT_EQ(readOnly, Exists(copy));
        EXPECT_EQ(0, creations.By(id));
        denied.reset();
        DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN");
        RemoveInstalledCopy();
    }
}

// The elevated copy's switch, run as the UAC prompt would run it: the Run value and the
// installed copy and nothing else, no window, and no single instance either way.
TEST_F(Program, AutostartSwitchChangesOnlyTheRunValueAndTheCopyBesideARunningCopyAndShowsNothing) {
    const std::wstring copy = InstalledCopy();
    const auto runCopy = [](const wchar_t* arguments, WindowCreations* creations) {
        HANDLE process = support::StartProgram(L"vorkalun.exe", arguments);
        const DWORD id = GetProcessId(process);
        const DWORD code = support::WaitForExit(process);
        support::EndProcess(process);
        EXPECT_EQ(0, creations->By(id)) << arguments;
        return code;
    };
    const std::wstring own = support::BesideTests(L"vorkalun.exe");
    WindowCreations creations;
    // From outside the program-files folder: its copy there, never a path it is handed, and
    // no settings written.
    EXPECT_EQ(0u, runCopy(L"/autostart+ C:\\other.exe", &creations));
    EXPECT_TRUE(HoldsText(ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN"), Quoted(copy)));
    EXPECT_EQ(FileBytes(own), FileBytes(copy));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));

    // A normal start at the same moment is not stopped by it.
    HANDLE removing = support::StartProgram(L"vorkalun.exe", L"/autostart-");
    Start(nullptr);
    EXPECT_EQ(0u, support::WaitForExit(removing));
    support::EndProcess(removing);
    EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN").found);
    EXPECT_FALSE(Exists(copy));

    // Nor does a running copy stop it.
    EXPECT_EQ(0u, runCopy(L"/autostart+", &creations));
    {
        ReadOnlyRunKey readOnly;
        EXPECT_EQ(2u, runCopy(L"/autostart-", &creations));
        EXPECT_EQ(2u, runCopy(L"/autostart+", &creations));
    }
    EXPECT_TRUE(HoldsText(ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN"), Quoted(copy)));
    EXPECT_TRUE(Exists(copy));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), support::WaitForExit(program_, 0));
}

TEST_F(Program, FirstStartWritesTheDefaultsAndASecondStartEndsAtOnceChangingNothing) {
    WindowCreations creations;
    Start(nullptr);
    EXPECT_GT(creations.By(GetProcessId(program_)), 0);  // the watch does see windows made
    EXPECT_TRUE(HoldsText(ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Help"), L"Памагите"));
    EXPECT_EQ(std::wstring(L"yyyyyyy\0", 8),
              ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Options").Units());

    // A second copy that loaded the settings would write the missing value back.
    DeleteValue(HKEY_CURRENT_USER, kProductKey, L"Help");
    HANDLE second = support::StartProgram(L"vorkalun.exe", L"");
    const DWORD id = GetProcessId(second);
    EXPECT_EQ(0u, support::WaitForExit(second));
    support::EndProcess(second);
    EXPECT_EQ(0, creations.By(id));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Help").found);
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), support::WaitForExit(program_, 0));
}

// The screen's DPI as a program that declares itself aware of it sees it, as the program does.
int ScreenDpi() {
    SetProcessDPIAware();
    HDC screen = GetDC(NULL);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    return dpi;
}

TEST_F(Program, LogoShowsShapedCentredAndOnTopThenGoesAfterAboutTwoSeconds) {
    const int side = shell::LogoSideAt(ScreenDpi());
    Start(L"yyyyyyy");
    HWND logo = MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(logo) != FALSE; }));
    const double shown = support::NowMs();

    RECT rect;
    GetWindowRect(logo, &rect);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - side / 2,
              y = GetSystemMetrics(SM_CYSCREEN) / 2 - side / 2;
    EXPECT_EQ(x, rect.left);
    EXPECT_EQ(y, rect.top);
    EXPECT_EQ(side, rect.right - rect.left);
    EXPECT_EQ(side, rect.bottom - rect.top);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST),
              static_cast<DWORD>(GetWindowLongW(logo, GWL_EXSTYLE)));
    // A popup and nothing more; the platform clips every top-level window by its siblings.
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP), static_cast<DWORD>(GetWindowLongW(logo, GWL_STYLE)) &
                                                ~(WS_VISIBLE | WS_CLIPSIBLINGS));
    EXPECT_EQ(kTitle, WindowText(logo));
    // Its class, as far as another process can read it.
    EXPECT_EQ(static_cast<DWORD>(CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS),
              GetClassLongW(logo, GCL_STYLE));
    EXPECT_EQ(0u, GetClassLongW(logo, GCL_CBCLSEXTRA));
    EXPECT_EQ(0u, GetClassLongW(logo, GCL_CBWNDEXTRA));
    // Shaped: the black background at (1, 1) is cut away, the middle of the picture stays.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(logo, shape));
    EXPECT_FALSE(PtInRegion(shape, 1, 1));
    EXPECT_TRUE(PtInRegion(shape, side / 2, side * 2 / 5));
    DeleteObject(shape);

    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(logo); }));
    // Twenty ticks of a tenth of a second cannot pass in less than one.
    EXPECT_GT(support::NowMs() - shown, 1000.0);
}

// Whole pixels of bitmap 101, as many as the screen's DPI asks for, shaped by the picture itself:
// the window's region and what the screen shows are the enlarged logo's, pixel by pixel.
TEST_F(Program, LogoIsItsPictureEnlargedForTheScreensDpiPixelByPixel) {
    const int side = shell::LogoSideAt(ScreenDpi());
    HMODULE file = LoadLibraryExW(support::BesideTests(L"vorkalun.exe").c_str(), NULL,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, file);
    HBITMAP image = LoadBitmapW(file, MAKEINTRESOURCEW(IDB_LOGO));
    ASSERT_NE(nullptr, image);
    // The enlargement itself is proven on made-up pictures (logo_region_test.cpp).
    const shell::ShapedLogo expected = shell::ShapeLogo(image, side);
    const std::vector<COLORREF> picture = support::PixelsOf(expected.picture, side, side);

    Start(L"yyyyyyy");
    HWND logo = MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(logo) != FALSE; }));
    RECT rect;
    GetWindowRect(logo, &rect);
    ASSERT_EQ(side, rect.right - rect.left);
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(logo, shape));

    int outline = 0, painted = 0, kept = 0;
    // Painted once the window has had its first WM_PAINT; wait for it, within the two seconds.
    WaitUntil(
        [&] {
            const std::vector<COLORREF> screen = support::ScreenPixels(rect);
            outline = painted = kept = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    const bool shown = PtInRegion(shape, x, y) != FALSE;
                    outline += shown != (PtInRegion(expected.region, x, y) != FALSE);
                    if (!shown) continue;
                    ++kept;
                    painted += screen[y * side + x] != picture[y * side + x];
                }
            return outline == 0 && painted == 0;
        },
        1500);
    EXPECT_EQ(0, outline) << "pixels where the shape and the picture disagree";
    EXPECT_EQ(0, painted) << "shown pixels other than the picture's";
    EXPECT_GT(kept, side * side / 2);

    DeleteObject(shape);
    DeleteObject(expected.region);
    DeleteObject(expected.picture);
    DeleteObject(image);
    FreeLibrary(file);
}

// The logo shows at start-up, at logon say, while the user may already be typing elsewhere.
TEST_F(Program, LogoLeavesTheKeyboardFocusWhereItWasAndAClickOnItToo) {
    ScreenDpi();
    HWND field = CreateWindowExW(0, L"Edit", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 60, 300,
                                 120, NULL, NULL, GetModuleHandleW(NULL), NULL);
    ASSERT_NE(nullptr, field);
    SetForegroundWindow(field);
    SetFocus(field);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == field; }));
    auto type = [&](const wchar_t* keys, const wchar_t* expected) {
        for (const wchar_t* key = keys; *key; ++key) PressKey(static_cast<WORD>(*key));
        return WaitUntil([&] { return WindowText(field) == expected; }, 3000);
    };

    Start(L"yyyyyyy");
    HWND logo = MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(logo) != FALSE; }));
    EXPECT_TRUE(type(L"AB", L"ab")) << "typed into the logo instead";
    EXPECT_EQ(field, GetForegroundWindow());

    RECT rect;
    GetWindowRect(logo, &rect);
    support::ClickAt({(rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) * 2 / 5});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(logo); }));
    EXPECT_TRUE(type(L"C", L"abc")) << "the click took the focus";
    EXPECT_EQ(field, GetForegroundWindow());
    DestroyWindow(field);
}

TEST_F(Program, AClickHidesTheLogoAtOnce) {
    Start(L"yyyyyyy");
    HWND logo = MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(logo) != FALSE; }));
    RECT rect;
    GetWindowRect(logo, &rect);
    support::ClickAt({(rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) * 2 / 5});
    const double clicked = support::NowMs();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(logo); }));
    EXPECT_LT(support::NowMs() - clicked, 1000.0);
}

TEST_F(Program, WithTheLogoOffNothingShowsAndTheSweepsRelabelAnotherProgram) {
    Start(L"nyyyyyy");
    HWND window = MainWindow();
    HANDLE helper = support::StartProgram(L"wine_helper.exe", L"msgbox \"Box of another program\"");
    HWND box = support::WaitForWindow(L"Box of another program");
    ASSERT_NE(nullptr, box);
    HWND yes = GetDlgItem(box, IDYES), no = GetDlgItem(box, IDNO);
    bool everShown = false;
    EXPECT_TRUE(WaitUntil([&] {
        everShown |= IsWindowVisible(window) != FALSE;
        return WindowText(yes) == L"Пофиг" && WindowText(no) == L"&Нафиг";
    }));
    // Two seconds and more, without the logo once.
    const double start = support::NowMs();
    WaitUntil([&] {
        everShown |= IsWindowVisible(window) != FALSE;
        return support::NowMs() - start > 2500;
    });
    EXPECT_FALSE(everShown);
    // Nor was the logo made for it: a window shaped after the logo has a region.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(window, shape));
    DeleteObject(shape);
    support::EndProcess(helper);
}

TEST_F(Program, ExitQuestionAnsweredNoKeepsItRunningAndYesEndsItWithItsIcon) {
    Start(L"nyyyyyy");
    EXPECT_TRUE(ShellHasOurIcon());

    HWND box = AskToExitWithHotkey();
    ASSERT_NE(nullptr, box);
    // The box is found by its title as soon as it exists, its text a moment later.
    EXPECT_TRUE(WaitUntil([&] {
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (WindowText(child) == kQuestion) return true;
        return false;
    }));
    // The question's own buttons are relabelled like any other.
    HWND yes = GetDlgItem(box, IDYES), no = GetDlgItem(box, IDNO);
    EXPECT_TRUE(
        WaitUntil([&] { return WindowText(yes) == L"Пофиг" && WindowText(no) == L"&Нафиг"; }));
    PostMessageW(no, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Question() == NULL; }));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), support::WaitForExit(program_, 500));

    box = AskToExitWithHotkey();
    ASSERT_NE(nullptr, box);
    HWND mainWindow = MainWindow();
    PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, support::WaitForExit(program_));
    EXPECT_FALSE(tray_support::ShellHasIcon(mainWindow, ID_TRAY));
}

TEST_F(Program, YesPutsBackTheExactCaptionsOfButtonsStillShowingTheirPhrases) {
    // Buttons of this process: the last one's owner sets a text of its own once relabelled.
    const wchar_t* const kTexts[] = {L"&OK", L"Can&cel", L"&&Да", L"&Справка", L"Нет"};
    const wchar_t* const kPhrases[] = {L"В натуре", L"Н&ефиг", L"Пофиг", L"Памагите", L"&Нафиг"};
    HWND host = CreateWindowExW(0, L"Static", L"Put back", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600,
                                300, 200, 200, NULL, NULL, NULL, NULL);
    std::vector<HWND> buttons;
    for (int i = 0; i < 6; ++i)  // a check box among them, and one destroyed before the end
        buttons.push_back(CreateWindowExW(0, L"Button", i < 5 ? kTexts[i] : L"Retry",
                                          WS_CHILD | (i == 3 ? BS_AUTOCHECKBOX : 0), 0, 25 * i, 150,
                                          22, host, NULL, NULL, NULL));
    Start(L"nyyyyyy");
    ASSERT_TRUE(WaitUntil([&] {
        for (int i = 0; i < 5; ++i)
            if (WindowText(buttons[i]) != kPhrases[i]) return false;
        return WindowText(buttons[5]) == L"&Не понял";
    }));
    SetWindowTextW(buttons[4], L"Нет уж");
    DestroyWindow(buttons[5]);

    HWND box = AskToExitWithHotkey();
    ASSERT_NE(nullptr, box);
    PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    // The texts come back as messages to this thread, which answers them at once.
    while (MsgWaitForMultipleObjects(1, &program_, FALSE, 10000, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1)
        support::PumpMessages();
    EXPECT_EQ(0u, support::WaitForExit(program_));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(kTexts[i], WindowText(buttons[i]));
    EXPECT_EQ(L"Нет уж", WindowText(buttons[4]));
    DestroyWindow(host);
}

BOOL CALLBACK CollectQuestion(HWND window, LPARAM found) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770" && WindowText(window) == kTitle)
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

std::vector<HWND> Questions() {
    std::vector<HWND> found;
    EnumWindows(CollectQuestion, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(Program, ASecondExitHotkeyAsksASecondQuestionAndNoToBothKeepsItRunning) {
    Start(L"nyyyyyy");
    // The icon comes after the hotkeys: once it is there, so are they.
    ASSERT_TRUE(WaitUntil([] { return ShellHasOurIcon(); }));
    HWND first = AskToExitWithHotkey();
    ASSERT_NE(nullptr, first);
    PressCtrlAlt(VK_F12);
    ASSERT_TRUE(WaitUntil([] { return Questions().size() == 2; }));
    std::vector<HWND> questions = Questions();
    HWND second = questions[0] == first ? questions[1] : questions[0];

    PostMessageW(GetDlgItem(second, IDNO), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(second); }));
    EXPECT_TRUE(IsWindow(first));
    PostMessageW(GetDlgItem(first, IDNO), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Questions().empty(); }));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), support::WaitForExit(program_, 500));
    EXPECT_NE(nullptr, AskToExitWithHotkey());
}

TEST_F(Program, ClosingTheWindowEndsItWithoutAQuestion) {
    Start(L"nyyyyyy");
    bool asked = false;
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] {
        asked |= Question() != NULL;
        return WaitForSingleObject(program_, 0) == WAIT_OBJECT_0;
    }));
    EXPECT_FALSE(asked);
    EXPECT_EQ(0u, support::WaitForExit(program_));
}

TEST_F(Program, MenuExitAsksTheSameQuestion) {
    Start(L"nyyyyyy");
    HWND icon = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (icon = tray_support::ShellIconWithTip(kTitle)) != NULL; }));
    support::ClickAt(tray_support::CentreOf(icon));
    ASSERT_TRUE(WaitUntil([] { return tray_support::OpenPopupMenu() != NULL; }));
    // The menu belongs to the program's process, so it is driven by keys: the last entry.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([] { return Question() != NULL; }));
}

TEST_F(Program, MenuSiteOpensTheSponsorsAddressInTheBrowser) {
    BrowserStandIn browser;
    Start(L"nyyyyyy");
    HWND icon = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (icon = tray_support::ShellIconWithTip(kTitle)) != NULL; }));
    support::ClickAt(tray_support::CentreOf(icon));
    ASSERT_TRUE(WaitUntil([] { return tray_support::OpenPopupMenu() != NULL; }));
    PressKey(VK_DOWN);  // the first entry, the address itself
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return browser.LastOpened() == L"http://vorkalun.example.org/"; }));
}

// Registered on the program's window as it starts: Windows repeats neither hotkey for a held
// key, and where it does not know the flag (Windows Vista) the keys are registered without it.
// Wine takes the flag and ignores it, so only the registration shows here.
struct HotKey {
    int id;
    UINT modifiers, key;
    bool operator==(const HotKey& other) const {
        return id == other.id && modifiers == other.modifiers && key == other.key;
    }
};
std::vector<HotKey> Registered;
bool RefusesNoRepeat;
const UINT kNoRepeat = 0x4000;  // MOD_NOREPEAT

BOOL WINAPI RecordHotKey(HWND, int id, UINT modifiers, UINT key) {
    Registered.push_back({id, modifiers, key});
    return !(RefusesNoRepeat && (modifiers & kNoRepeat));
}

TEST(HotKeys, AreRegisteredNotToRepeatAndWithoutTheFlagWhereItIsRefused) {
    const UINT ctrlAlt = MOD_CONTROL | MOD_ALT;
    const struct {
        bool refused;
        std::vector<HotKey> calls;
    } kCases[] = {
        {false,
         {{ID_EXIT, ctrlAlt | kNoRepeat, VK_F12}, {ID_SETTINGS, ctrlAlt | kNoRepeat, VK_F11}}},
        {true,
         {{ID_EXIT, ctrlAlt | kNoRepeat, VK_F12},
          {ID_EXIT, ctrlAlt, VK_F12},
          {ID_SETTINGS, ctrlAlt | kNoRepeat, VK_F11},
          {ID_SETTINGS, ctrlAlt, VK_F11}}},
    };
    for (const auto& c : kCases) {
        Registered.clear();
        RefusesNoRepeat = c.refused;
        {
            support::ImportSwap swap("user32.dll", "RegisterHotKey",
                                     reinterpret_cast<void*>(RecordHotKey));
            ASSERT_TRUE(swap.found());
            shell::RegisterHotKeys(NULL);
        }
        EXPECT_TRUE(c.calls == Registered) << c.refused;
    }
}

TEST_F(Program, WithTheSecondOptionOffThereIsNoIconButTheHotkeysAnswer) {
    Start(L"ynyyyyy");
    EXPECT_FALSE(ShellHasOurIcon());
    EXPECT_NE(nullptr, AskToExitWithHotkey());
}

}  // namespace
