// A separate process that runs the settings store as a fresh start of the program would:
//   settings_helper load        LoadSettings over the built-in defaults
//   settings_helper autostart   AddAutostart, for the path this copy was started from
#include <windows.h>

#include <cwchar>

#include "settings/settings.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    if (wcscmp(commandLine, L"load") == 0) {
        settings::LoadSettings();
        return 0;
    }
    if (wcscmp(commandLine, L"autostart") == 0) {
        settings::AddAutostart();
        return 0;
    }
    return 2;
}
