// The program's name as the user sees it: the main window's title, the exit question's caption
// and the notification icon's tip.
#pragma once

namespace shell {

// Windows-1251 bytes, like every text of the program.
inline constexpr char kAppTitle[] = "Фильтруй базар !!!";

}  // namespace shell
