// The settings dialog's procedure. The grid's texts cross to the platform wide, converted
// from and to 1251, so the dialog reads right on a Windows of any code page.
#include "dialog/table_dialog.h"

#include "caption/caption_table.h"
#include "caption/codepage.h"
#include "caption/remembered.h"
#include "caption/restore.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "shell/decisions.h"
#include "shell/shell.h"
#include "shell/tray.h"

namespace dialog {

namespace {

// An edit field gives back at most 19 characters and the terminator.
enum { kFieldCapacity = caption::kReplacementLimit };
enum { kWideCapacity = 32 };

WCHAR WideText[kWideCapacity];
char Text[kWideCapacity];

const COLORREF kLinkColour = RGB(0, 0, 255);
const UINT kSetShield = 0x160C;  // BCM_SETSHIELD, which headers for Windows XP do not define

void SetItemText(HWND dialog, int id, const char* text) {
    codepage::ToWide(text, WideText, kWideCapacity);
    SetDlgItemTextW(dialog, id, WideText);
}

// BST_CHECKED is 1, BST_UNCHECKED 0: the boxes start unchecked.
void CheckIf(HWND dialog, int id, bool checked) { CheckDlgButton(dialog, id, checked); }

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Read afresh each time: the entry may have changed since the dialog opened.
shell::OkAction AutostartAction(HWND dialog) {
    return shell::AutostartOkAction(IsChecked(dialog, IDC_AUTOSTART), settings::IsAutostartSet(),
                                    settings::CanChangeAutostart());
}

// OK bears the shield, as Windows' own dialogs show it, while it would bring the UAC prompt.
// Posted rather than sent: the same message, and no other import. Wine draws no shield.
void ShowShieldIfNeeded(HWND dialog) {
    PostMessageW(GetDlgItem(dialog, IDC_TABLE_OK), kSetShield, 0,
                 AutostartAction(dialog) == shell::kOkElevate);
}

void OnInitDialog(HWND dialog) {
    // The cursor belongs to the class, so every static text of the program shows it.
    SetClassLongPtrW(GetDlgItem(dialog, ID_SITE), GCLP_HCURSOR,
                     reinterpret_cast<LONG_PTR>(shell::LinkCursor));
    FillTableDialog(dialog);
    // After the fill: the grid shows the texts in memory, the boxes the reloaded options. A
    // phrase the reload changes reaches the buttons showing the old one as OK's edits do.
    caption::OpenPutAccount();
    settings::LoadSettings();
    const bool set = settings::IsAutostartSet();
    CheckIf(dialog, IDC_AUTOSTART, set);
    // Greyed only where no entry could be made at all, this user's or an elevated copy's: the
    // program's path is too long for it. An entry that is there can always be asked to go.
    if (!set && !settings::CanMakeAutostart())
        EnableWindow(GetDlgItem(dialog, IDC_AUTOSTART), FALSE);
    ShowShieldIfNeeded(dialog);
    CheckIf(dialog, IDC_SHOW_LOGO, settings::Options[0] != 'n');
    CheckIf(dialog, IDC_SHOW_TRAY, settings::Options[1] != 'n');
}

// The link is drawn in blue on the dialog's face; every other static keeps its colours.
INT_PTR OnCtlColorStatic(HDC context, HWND control) {
    // Known by its identifier rather than a kept handle: a second dialog open at the same
    // time has a link of its own.
    if (GetDlgCtrlID(control) != ID_SITE) return FALSE;
    SetTextColor(context, kLinkColour);
    SetBkColor(context, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

void ApplyAutostart(HWND dialog) {
    const bool wanted = IsChecked(dialog, IDC_AUTOSTART);
    switch (AutostartAction(dialog)) {
        case shell::kOkRewrite:
        case shell::kOkChange: wanted ? settings::AddAutostart() : settings::RemoveAutostart(); break;
        // Started, not waited for: the prompt may stay open for minutes.
        case shell::kOkElevate: shell::StartAutostartCopy(wanted, false, dialog); break;
        case shell::kOkNothing: break;  // never a prompt for an OK that changes nothing
    }
}

void ApplyOptions(HWND dialog) {
    ApplyAutostart(dialog);
    settings::Options[0] = IsChecked(dialog, IDC_SHOW_LOGO) ? 'y' : 'n';
    if (IsChecked(dialog, IDC_SHOW_TRAY)) {
        settings::Options[1] = 'y';
        shell::AddTrayIcon();
    } else {
        settings::Options[1] = 'n';
        shell::RemoveTrayIcon();
    }
}

void OnOk(HWND dialog) {
    ReadTableDialog(dialog);
    ApplyOptions(dialog);
    settings::SaveSettings();
    EndDialog(dialog, 0);
}

}  // namespace

void FillTableDialog(HWND dialog) {
    for (int row = 0; row < caption::kRowCount; ++row) {
        SetItemText(dialog, IDC_RUSSIAN_CAPTION + row, caption::RussianCaption(row));
        SetItemText(dialog, IDC_ENGLISH_CAPTION + row, caption::EnglishCaption(row));
        SetItemText(dialog, IDC_REPLACEMENT + row, caption::ReplacementText(row));
    }
}

void ReadTableDialog(HWND dialog) {
    caption::OpenPutAccount();
    for (int row = 0; row < caption::kRowCount; ++row) {
        WideText[0] = 0;
        GetDlgItemTextW(dialog, IDC_REPLACEMENT + row, WideText, kFieldCapacity);
        const int length = codepage::FromWide(WideText, Text, kFieldCapacity);
        caption::ChangePhrase(row, Text, length);
    }
}

INT_PTR CALLBACK TableDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(dialog); return FALSE;  // no initial keyboard focus
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_COMMAND:
            switch (wParam) {
                case IDC_TABLE_OK: OnOk(dialog); return TRUE;
                case IDC_TABLE_CANCEL: EndDialog(dialog, 0); return TRUE;
                case IDC_AUTOSTART: ShowShieldIfNeeded(dialog); return FALSE;
                case ID_SITE: shell::OpenSite(); return FALSE;
            }
            return FALSE;  // Esc's IDCANCEL among them: the dialog stays open
        case WM_CLOSE:
        case WM_DESTROY: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}

}  // namespace dialog
