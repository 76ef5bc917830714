// The program's windows made in this process, where what another process cannot read can be:
// the settings dialog's link, its colours and cursor; the main window's class, its icon, cursor
// and brush.
#include <gtest/gtest.h>

#include "dialog/table_dialog.h"
#include "resources/resource.h"
#include "settings_support.h"
#include "shell/shell.h"
#include "support.h"

namespace {

struct Colours {
    int blue = 0;
    int face = 0;
};

Colours ColoursOf(HWND control) {
    Colours colours;
    RECT rect;
    GetClientRect(control, &rect);
    HDC context = GetDC(control);
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            const COLORREF pixel = GetPixel(context, x, y);
            colours.blue += pixel == RGB(0, 0, 255);
            colours.face += pixel == GetSysColor(COLOR_BTNFACE);
        }
    }
    ReleaseDC(control, context);
    return colours;
}

TEST(DialogFace, TheLinkAloneIsPureBlueOnTheDialogsFaceWithTheProgramsCursor) {
    HINSTANCE instance = GetModuleHandleW(NULL);
    shell::LinkCursor = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_FINGER));
    HWND dialog = CreateDialogParamW(instance, L"Table", NULL, dialog::TableDlgProc, 0);
    ASSERT_NE(nullptr, dialog);
    UpdateWindow(dialog);
    support::PumpMessages();

    HWND link = GetDlgItem(dialog, ID_SITE);
    const Colours linkColours = ColoursOf(link);
    EXPECT_GT(linkColours.blue, 20);
    EXPECT_GT(linkColours.face, linkColours.blue);
    EXPECT_EQ(0, ColoursOf(GetDlgItem(dialog, IDC_SHOW_LOGO)).blue);
    EXPECT_EQ(0, ColoursOf(GetDlgItem(dialog, IDC_RUSSIAN_CAPTION)).blue);

    // The cursor belongs to the class: every static control shows it.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(shell::LinkCursor), GetClassLongPtrW(link, GCLP_HCURSOR));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(shell::LinkCursor),
              GetClassLongPtrW(GetDlgItem(dialog, IDC_RUSSIAN_CAPTION), GCLP_HCURSOR));

    DestroyWindow(dialog);
    RegDeleteKeyW(HKEY_CURRENT_USER, settings_support::kProductKey);
}

TEST(MainWindowClass, HasTheProgramsIconAndCursorOnTheWindowColour) {
    shell::Instance = GetModuleHandleW(NULL);
    shell::CreateMainWindow();
    ASSERT_NE(nullptr, shell::MainWindow);
    WNDCLASSW registered = {};
    ASSERT_TRUE(GetClassInfoW(shell::Instance, L"VORKALUN", &registered));
    EXPECT_EQ(static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS), registered.style);
    EXPECT_EQ(WndProc, registered.lpfnWndProc);
    EXPECT_EQ(0, registered.cbClsExtra);
    EXPECT_EQ(0, registered.cbWndExtra);
    // Shared handles: loading the resource again gives the same one.
    EXPECT_EQ(LoadIconW(shell::Instance, MAKEINTRESOURCEW(IDI_MAIN)), registered.hIcon);
    EXPECT_NE(nullptr, registered.hIcon);
    EXPECT_EQ(LoadCursorW(shell::Instance, MAKEINTRESOURCEW(IDC_FINGER)), registered.hCursor);
    EXPECT_EQ(shell::LinkCursor, registered.hCursor);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), registered.hbrBackground);
    EXPECT_EQ(nullptr, registered.lpszMenuName);
    DestroyWindow(shell::MainWindow);
    support::PumpMessages();  // the quit message the window's end posts
}

}  // namespace
