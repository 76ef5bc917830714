// The program's resource identifiers, shared by the resource script and the code. The
// numbers are fixed: other programs and older builds may look the resources up by them.
#pragma once

// Icons
#define IDI_MAIN 100  // the window class icon, 32 x 32, 16 colours
#define IDI_TRAY 150  // the notification-area icon, 32 x 32, two colours

// Bitmaps
#define IDB_LOGO 101  // 100 x 100, 256 colours; black is cut away from the window's shape

// Cursors
#define IDC_FINGER 151  // 32 x 32, 16 colours, hot spot at the fingertip (13, 9)

// Menus
#define IDM_TRAY 345  // one popup; its submenu is the notification icon's menu

// Dialogs: the settings dialog's template is the named resource "TABLE".

// Controls of the settings dialog; the grid's identifiers are a base plus the row (0 to 11).
#define IDC_TABLE_OK 100
#define IDC_TABLE_CANCEL 101
#define IDC_AUTOSTART 102
#define IDC_SHOW_LOGO 103
#define IDC_SHOW_TRAY 104
#define IDC_RUSSIAN_CAPTION 200
#define IDC_ENGLISH_CAPTION 300
#define IDC_REPLACEMENT 400

// Commands, shared by the tray menu, the hotkeys, the window procedure and the dialog's link
#define ID_SETTINGS 256
#define ID_EXIT 512
#define ID_SITE 1024

// The notification icon's identifier within the main window
#define ID_TRAY 5555

// The sponsors' site: the menu shows the whole address, the dialog's link the host alone.
#define SITE_ADDRESS "http://vorkalun.example.org/"
#define SITE_HOST "vorkalun.example.org"
