// The settings dialog of the real program: how it opens, what it shows, and what OK, Cancel,
// the keys and the link do.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "program_support.h"
#include "resources/resource.h"
#include "settings_support.h"
#include "support.h"
#include "tray_support.h"

namespace {

using namespace program_support;
using namespace settings_support;
using support::WaitUntil;
using support::WindowText;

const wchar_t* const kRussian[12] = {L"Нет",     L"Отмена",    L"Да",         L"ОК",
                                     L"Стоп",    L"Повтор",    L"Пропустить", L"Открыть",
                                     L"Справка", L"Применить", L"Далее >",    L"< Назад"};

std::wstring Stored(const wchar_t* name) {
    return ReadRaw(HKEY_CURRENT_USER, kProductKey, name).Units().c_str();
}

class Dialog : public Program {
protected:
    static HWND Open() { return OpenSettingsWithHotkey(); }
    bool StaysOpen(HWND dialog) {
        const double start = support::NowMs();
        WaitUntil([&] { return support::NowMs() - start > 500; });
        return IsWindow(dialog) != FALSE;
    }
};

TEST_F(Dialog, HotkeyOpensTheWholeTableAndTheSweepsRelabelItsOwnButtons) {
    Start(L"nyyyyyy");
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    for (int row = 0; row < 12; ++row) {
        EXPECT_EQ(kRussian[row], Item(dialog, IDC_RUSSIAN_CAPTION + row)) << row;
        EXPECT_EQ(kDefaults[row].name, Item(dialog, IDC_ENGLISH_CAPTION + row)) << row;
        EXPECT_EQ(kDefaults[row].units, Item(dialog, IDC_REPLACEMENT + row)) << row;
    }
    // The template's own texts, whatever the machine's code page.
    EXPECT_EQ(L"Вставить в автозагрузку", Item(dialog, IDC_AUTOSTART));
    EXPECT_EQ(L"Показывать логотип при загрузке", Item(dialog, IDC_SHOW_LOGO));
    EXPECT_EQ(L"Показывать иконку в SysTray", Item(dialog, IDC_SHOW_TRAY));
    EXPECT_EQ(L"vorkalun.example.org", Item(dialog, ID_SITE));
    // No autostart entry, the logo off, the icon on.
    EXPECT_FALSE(IsChecked(dialog, IDC_AUTOSTART));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_AUTOSTART)));
    EXPECT_FALSE(IsChecked(dialog, IDC_SHOW_LOGO));
    EXPECT_TRUE(IsChecked(dialog, IDC_SHOW_TRAY));
    EXPECT_TRUE(WaitUntil([&] {
        return Item(dialog, IDC_TABLE_OK) == L"В натуре" &&
               Item(dialog, IDC_TABLE_CANCEL) == L"Н&ефиг";
    }));
}

// The manifest gives the program the themed common controls: the dialog's buttons, boxes and
// fields come from comctl32 of the common controls 6 assembly, which the platform loads into
// the program for them.
TEST_F(Dialog, TakesItsControlsFromCommonControlsSix) {
    Start(L"nyyyyyy");
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    HMODULE modules[256];
    DWORD bytes = 0;
    ASSERT_TRUE(EnumProcessModules(program_, modules, sizeof modules, &bytes));
    std::vector<std::wstring> controls;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 256; ++i) {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameExW(program_, modules[i], path, MAX_PATH);
        std::wstring lower = path;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::towlower);
        if (lower.size() > 12 && lower.compare(lower.size() - 12, 12, L"comctl32.dll") == 0)
            controls.push_back(lower);
    }
    std::wstring seen;
    bool six = false;
    for (const std::wstring& path : controls) {
        seen += path + L" ";
        six |= path.find(L"microsoft.windows.common-controls") != std::wstring::npos &&
               path.find(L"_6.0.") != std::wstring::npos;
    }
    EXPECT_TRUE(six) << std::string(seen.begin(), seen.end());
}

TEST_F(Dialog, OpeningItShowsTheTextsInMemoryButTheOptionsReloadedFromTheRegistry) {
    Start(L"yyyyyyy");
    // The icon comes after the hotkeys: once it is there, so are they.
    ASSERT_TRUE(WaitUntil([] { return ShellHasOurIcon(); }));
    HANDLE before = support::StartProgram(L"wine_helper.exe", L"buttons \"Before the reload\" No");
    HWND earlier = support::WaitForWindow(L"Before the reload");
    ASSERT_NE(nullptr, earlier);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(earlier, 1)) == L"&Нафиг"; }));
    // Written while the program runs: the grid was filled before the reload, the boxes after.
    StoreUnits(HKEY_CURRENT_USER, kProductKey, L"No", L"Новое", false);
    StoreUnits(HKEY_CURRENT_USER, kProductKey, L"Options", L"nnyyyyy", true);
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"&Нафиг", Item(dialog, IDC_REPLACEMENT));
    EXPECT_FALSE(IsChecked(dialog, IDC_SHOW_LOGO));
    EXPECT_FALSE(IsChecked(dialog, IDC_SHOW_TRAY));
    // The reload reached the memory: a new button gets the new text, and so does one that
    // showed the old.
    HANDLE helper = support::StartProgram(L"wine_helper.exe", L"buttons \"After the reload\" No");
    HWND host = support::WaitForWindow(L"After the reload");
    ASSERT_NE(nullptr, host);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(host, 1)) == L"Новое"; }));
    EXPECT_EQ(L"Новое", WindowText(GetDlgItem(earlier, 1)));
    support::EndProcess(helper);
    support::EndProcess(before);
}

TEST_F(Dialog, MenuPropertiesOpensIt) {
    Start(L"nyyyyyy");
    HWND icon = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (icon = tray_support::ShellIconWithTip(kTitle)) != NULL; }));
    support::ClickAt(tray_support::CentreOf(icon));
    ASSERT_TRUE(WaitUntil([] { return tray_support::OpenPopupMenu() != NULL; }));
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);  // "Свойства"
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([] { return OpenDialogs().size() == 1; }));
}

TEST_F(Dialog, OkStoresTheGridCutToNineteenCharactersAndNewButtonsGetTheTexts) {
    Start(L"nyyyyyy");
    // Buttons relabelled before OK: a phrase matches no caption, so only OK itself can reach them.
    HANDLE before =
        support::StartProgram(L"wine_helper.exe", L"buttons \"Before OK\" Yes OK Да Abort");
    HWND earlier = support::WaitForWindow(L"Before OK");
    ASSERT_NE(nullptr, earlier);
    const wchar_t* const kGiven[] = {L"Пофиг", L"В натуре", L"Пофиг", L"С&тоять"};
    ASSERT_TRUE(WaitUntil([&] {
        for (int id = 1; id <= 4; ++id)
            if (WindowText(GetDlgItem(earlier, id)) != kGiven[id - 1]) return false;
        return true;
    }));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    SetItem(dialog, IDC_REPLACEMENT + 2, L"Ага");                        // Yes
    SetItem(dialog, IDC_REPLACEMENT + 3, L"абвгдеёжзийклмнопрстуфхцч");  // OK: 25 characters
    SetItem(dialog, IDC_REPLACEMENT + 4, L"");                           // Abort
    // Changed behind its back: OK writes all thirteen values again, untouched rows included.
    DeleteValue(HKEY_CURRENT_USER, kProductKey, L"Help");
    StoreUnits(HKEY_CURRENT_USER, kProductKey, L"Options", L"ynnnnnn", true);
    Click(dialog, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(dialog));

    EXPECT_EQ(L"Ага", Stored(L"Yes"));
    EXPECT_EQ(L"абвгдеёжзийклмнопрс", Stored(L"OK"));
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Abort").found);
    EXPECT_EQ(L"", Stored(L"Abort"));
    EXPECT_TRUE(HoldsText(ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Help"), L"Памагите"));
    EXPECT_EQ(std::wstring(L"nyyyyyy\0", 8),
              ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Options").Units());
    EXPECT_EQ(L"Ага", WindowText(GetDlgItem(earlier, 1)));
    EXPECT_EQ(L"абвгдеёжзийклмнопрс", WindowText(GetDlgItem(earlier, 2)));
    EXPECT_EQ(L"Ага", WindowText(GetDlgItem(earlier, 3)));
    EXPECT_EQ(L"", WindowText(GetDlgItem(earlier, 4)));
    support::EndProcess(before);

    HANDLE helper = support::StartProgram(L"wine_helper.exe", L"buttons \"After OK\" Yes OK Abort");
    HWND host = support::WaitForWindow(L"After OK");
    ASSERT_NE(nullptr, host);
    ASSERT_TRUE(WaitUntil([&] { return GetDlgItem(host, 3) != NULL; }));
    HWND yes = GetDlgItem(host, 1), ok = GetDlgItem(host, 2), abort = GetDlgItem(host, 3);
    WaitUntil([&] { return WindowText(yes) == L"Ага" && WindowText(abort) == L""; });
    EXPECT_EQ(L"Ага", WindowText(yes));
    EXPECT_EQ(L"абвгдеёжзийклмнопрс", WindowText(ok));
    EXPECT_EQ(L"", WindowText(abort));
    support::EndProcess(helper);
}

// OK gives an edited phrase to the buttons relabelled with the old one, and a program too busy
// to take it then is offered it again until it does: once it answers, within a second. At the
// end its buttons get their captions back.
TEST_F(Dialog, AProgramBusyWhileOkPassesOnAPhraseGetsItOnceItAnswersAndItsCaptionsAtTheEnd) {
    Start(L"nyyyyyy");
    const std::vector<std::wstring> captions = {L"OK", L"&OK", L"O&K", L"OK"};
    HANDLE helper =
        support::StartProgram(L"wine_helper.exe", L"buttons \"Busy at OK\" OK &OK O&K OK");
    HWND host = support::WaitForWindow(L"Busy at OK");
    ASSERT_NE(nullptr, host);
    const auto all = [&](const wchar_t* text) {
        for (int id = 1; id <= 4; ++id)
            if (WindowText(GetDlgItem(host, id)) != text) return false;
        return true;
    };
    ASSERT_TRUE(WaitUntil([&] { return all(L"В натуре"); }));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    SetItem(dialog, IDC_REPLACEMENT + 3, L"Ладно");
    PostMessageW(host, WM_APP, 1500, 0);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(host) == L"busy"; }));
    Click(dialog, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(dialog));
    ASSERT_NE(L"Ладно", WindowText(GetDlgItem(host, 2))) << "it took the text while busy";
    ASSERT_TRUE(WaitUntil([&] { return WindowText(host) == L"answering"; }));
    const double awake = support::NowMs();
    EXPECT_TRUE(WaitUntil([&] { return all(L"Ладно"); }));
    const double reached = support::NowMs() - awake;
    EXPECT_LT(reached, 1000.0);
    Stop();
    for (int id = 1; id <= 4; ++id)
        EXPECT_EQ(captions[id - 1], WindowText(GetDlgItem(host, id))) << id;
    support::EndProcess(helper);
    printf(
        "a program busy while OK passed on a phrase: all its buttons had it %.0f ms after it "
        "answered again\n",
        reached);
}

TEST_F(Dialog, TheBoxesApplyTheTrayIconAndTheAutostartEntryAtOnceAndStoreTheLogoChoice) {
    Start(L"nyyyyyy");
    ASSERT_TRUE(ShellHasOurIcon());
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    Click(dialog, IDC_SHOW_TRAY);
    Click(dialog, IDC_AUTOSTART);
    Click(dialog, IDC_SHOW_LOGO);
    Click(dialog, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(dialog));
    EXPECT_FALSE(ShellHasOurIcon());
    // Started from outside the program-files folder: the entry names the program's copy there.
    const std::wstring copy = InstalledCopy();
    EXPECT_TRUE(HoldsText(ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN"), Quoted(copy)));
    EXPECT_EQ(FileBytes(support::BesideTests(L"vorkalun.exe")), FileBytes(copy));
    EXPECT_EQ(std::wstring(L"yny"
                           L"yyyy\0",
                           8),
              ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Options").Units());

    dialog = Open();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(IsChecked(dialog, IDC_AUTOSTART));
    EXPECT_TRUE(IsChecked(dialog, IDC_SHOW_LOGO));
    EXPECT_FALSE(IsChecked(dialog, IDC_SHOW_TRAY));
    Click(dialog, IDC_SHOW_TRAY);
    Click(dialog, IDC_AUTOSTART);
    Click(dialog, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(dialog));
    EXPECT_TRUE(ShellHasOurIcon());
    EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN").found);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(copy.c_str()));
}

// The processes a program starts, seen through a job it is put in: the job's port hears of
// each start and each end, however short the process's life.
class ChildProcesses {
public:
    explicit ChildProcesses(HANDLE parent) : parent_(GetProcessId(parent)) {
        job_ = CreateJobObjectW(NULL, NULL);
        port_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, NULL, 0, 1);
        JOBOBJECT_ASSOCIATE_COMPLETION_PORT link = {job_, port_};
        SetInformationJobObject(job_, JobObjectAssociateCompletionPortInformation, &link,
                                sizeof link);
        AssignProcessToJobObject(job_, parent);
    }
    ~ChildProcesses() { CloseHandle(job_), CloseHandle(port_); }
    // The next child that starts within the time, 0 if none.
    DWORD Started(DWORD timeoutMs) { return Next(JOB_OBJECT_MSG_NEW_PROCESS, timeoutMs); }
    bool Ends(DWORD child) { return Next(JOB_OBJECT_MSG_EXIT_PROCESS, 10000) == child; }

private:
    DWORD Next(DWORD wanted, DWORD timeoutMs) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED data = NULL;
        while (GetQueuedCompletionStatus(port_, &message, &key, &data, timeoutMs)) {
            const DWORD process = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
            if (message == wanted && process != parent_) return process;
        }
        return 0;
    }
    DWORD parent_;
    HANDLE job_, port_;
};

TEST_F(Dialog, WhereTheRunKeyCannotBeWrittenTheBoxShowsTheEntryAndOnlyAChangeStartsTheCopy) {
    Start(L"nyyyyyy");
    ChildProcesses children(program_);
    for (bool entry : {false, true}) {
        if (entry) StoreUnits(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN", L"C:\\vorkalun.exe", true);
        ReadOnlyRunKey readOnly;
        HWND dialog = Open();
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(entry, IsChecked(dialog, IDC_AUTOSTART));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_AUTOSTART)));
        // An OK that changes nothing asks nothing.
        Click(dialog, IDC_TABLE_OK);
        ASSERT_TRUE(ClosesSoon(dialog));
        EXPECT_EQ(0u, children.Started(1000)) << entry;

        // A change goes to the elevated copy, which Wine starts with the same rights: it fails
        // and ends, and the program goes on.
        dialog = Open();
        ASSERT_NE(nullptr, dialog);
        Click(dialog, IDC_AUTOSTART);
        Click(dialog, IDC_TABLE_OK);
        ASSERT_TRUE(ClosesSoon(dialog));
        const DWORD copy = children.Started(10000);
        EXPECT_NE(0u, copy) << entry;
        EXPECT_TRUE(children.Ends(copy)) << entry;
        const RawValue stored = ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN");
        EXPECT_EQ(entry, stored.found);
        EXPECT_TRUE(!entry || HoldsText(stored, L"C:\\vorkalun.exe"));
        EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), support::WaitForExit(program_, 0));
    }
}

TEST_F(Dialog, TheLogoChoiceTakesEffectAtTheNextStartOnly) {
    Start(L"yyyyyyy");
    HWND logo = MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(logo) != FALSE; }));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(logo); }));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    Click(dialog, IDC_SHOW_LOGO);
    Click(dialog, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(dialog));
    EXPECT_FALSE(IsWindowVisible(logo));

    Stop();
    Start(nullptr);
    const double start = support::NowMs();
    bool shown = false;
    WaitUntil([&] {
        shown |= IsWindowVisible(MainWindow()) != FALSE;
        return support::NowMs() - start > 2500;
    });
    EXPECT_FALSE(shown);
}

TEST_F(Dialog, CancelAndTheCloseBoxStoreNothing) {
    Start(L"nyyyyyy");
    for (int way = 0; way < 2; ++way) {
        HWND dialog = Open();
        ASSERT_NE(nullptr, dialog);
        const RawValue before = ReadRaw(HKEY_CURRENT_USER, kProductKey, L"No");
        SetItem(dialog, IDC_REPLACEMENT, L"Забыть");
        Click(dialog, IDC_SHOW_TRAY);
        if (way == 0)
            Click(dialog, IDC_TABLE_CANCEL);
        else
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(ClosesSoon(dialog)) << way;
        EXPECT_EQ(before, ReadRaw(HKEY_CURRENT_USER, kProductKey, L"No")) << way;
        EXPECT_TRUE(ShellHasOurIcon()) << way;
    }
    // Nothing reached the memory either: the grid shows the old text again.
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"&Нафиг", Item(dialog, IDC_REPLACEMENT));
}

TEST_F(Dialog, EscLeavesItOpenAndEnterActsAsOk) {
    Start(L"nyyyyyy");
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    HWND field = GetDlgItem(dialog, IDC_REPLACEMENT);
    PostMessageW(field, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(StaysOpen(dialog));

    SetItem(dialog, IDC_REPLACEMENT, L"Энтер");
    PostMessageW(field, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(ClosesSoon(dialog));
    EXPECT_EQ(L"Энтер", Stored(L"No"));
}

TEST_F(Dialog, ASecondHotkeyOpensASecondDialogAndTheLastOkWins) {
    Start(L"nyyyyyy");
    HWND first = Open();
    ASSERT_NE(nullptr, first);
    HWND second = Open();
    ASSERT_NE(nullptr, second);
    ASSERT_NE(first, second);
    EXPECT_EQ(2u, OpenDialogs().size());

    SetItem(first, IDC_REPLACEMENT, L"Первый");
    SetItem(second, IDC_REPLACEMENT, L"Второй");
    Click(second, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(second));
    EXPECT_EQ(L"Второй", Stored(L"No"));
    Click(first, IDC_TABLE_OK);
    ASSERT_TRUE(ClosesSoon(first));
    EXPECT_EQ(L"Первый", Stored(L"No"));
}

TEST_F(Dialog, TheLinkHasTheProgramsCursorAndOpensTheSiteKeepingTheDialog) {
    BrowserStandIn browser;
    Start(L"nyyyyyy");
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    HWND link = GetDlgItem(dialog, ID_SITE);
    EXPECT_NE(reinterpret_cast<LONG_PTR>(LoadCursorA(NULL, IDC_ARROW)),
              GetClassLongPtrW(link, GCLP_HCURSOR));

    RECT rect;
    GetWindowRect(link, &rect);
    support::ClickAt({(rect.left + rect.right) / 2, rect.top + 5});
    EXPECT_TRUE(WaitUntil([&] { return browser.LastOpened() == L"http://vorkalun.example.org/"; }));
    EXPECT_TRUE(StaysOpen(dialog));
}

}  // namespace
