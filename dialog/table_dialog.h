// The settings dialog: the caption table as an editable grid, and the three options.
#pragma once

#include <windows.h>

namespace dialog {

INT_PTR CALLBACK TableDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the captions and replacement texts of all twelve rows in the grid.
void FillTableDialog(HWND dialog);

// Takes each row's replacement text from its edit field, cut to 19 characters.
void ReadTableDialog(HWND dialog);

}  // namespace dialog
