// The resident shell's decisions that need no platform: the command line, the logo's
// countdown and the command dispatch.
#pragma once

#include <cstdint>

#include "caption/codepage.h"

namespace shell {

// The removal switch: the first '/' anywhere in the command line, the program's own path
// included, followed by a lower-case 'c'. Nothing after that first '/' is looked at.
bool IsRemovalRequested(const codepage::WideChar* commandLine);

enum { kLogoTicks = 20 };  // two seconds of 100-millisecond ticks

enum TickAction { kTickSweep, kTickHideLogo };

// One timer tick. A running countdown is decreased; the tick that brings it to zero hides
// the logo instead of sweeping, every other tick sweeps.
TickAction CountDownTick(unsigned* countdown);

enum Command { kCommandNone, kCommandSettings, kCommandExit, kCommandSite };

// Menu items and hotkeys carry the same identifiers; the whole wParam must match, all 64 bits
// of it in a 64-bit build (where a long has 32).
Command CommandFor(std::uintptr_t wParam);

}  // namespace shell
