// The program's own texts that more than one part of it shows.
#pragma once

#include "resources/resource.h"

namespace shell {

// The program's name as the user sees it: the main window's title, the exit question's
// caption and the notification icon's tip. Windows-1251 bytes, like every text of the program.
inline constexpr char AppTitle[] = "Фильтруй базар !!!";

// The sponsors' web site, opened from the tray menu and from the settings dialog's link.
inline constexpr char SiteAddress[] = SITE_ADDRESS;

}  // namespace shell
