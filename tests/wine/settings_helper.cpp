// A separate process that runs the settings store as a fresh start of the program would:
//   settings_helper load        LoadSettings over the built-in defaults
//   settings_helper autostart   AddAutostart, for the path this copy was started from; exit
//                               code 0 when the entry was written, 1 when not
//   settings_helper wait        nothing for a minute: a program file that is running
#include <windows.h>

#include <cwchar>

#include "settings/settings.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    if (wcscmp(commandLine, L"load") == 0) {
        settings::LoadSettings();
        return 0;
    }
    if (wcscmp(commandLine, L"autostart") == 0) return settings::AddAutostart() ? 0 : 1;
    if (wcscmp(commandLine, L"wait") == 0) {
        Sleep(60000);
        return 0;
    }
    return 2;
}
