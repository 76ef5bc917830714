// The settings dialog drawn in this process, where its pixels can be read: the link's colours
// and cursor.
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

}  // namespace
