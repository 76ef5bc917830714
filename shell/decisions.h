// The resident shell's decisions that need no platform: the command line, the autostart box's
// OK, the logo's countdown and the command dispatch.
#pragma once

#include <cstdint>

#include "caption/codepage.h"

namespace shell {

// The removal switch: the first '/' anywhere in the command line, the program's own path
// included, followed by a lower-case 'c'. Nothing after that first '/' is looked at.
bool IsRemovalRequested(const codepage::WideChar* commandLine);

// The elevated copy's switches: "/autostart+" adds the autostart entry, "/autostart-" removes
// it. Looked for at that same first '/', so a command line is never both this and the removal,
// and every line the removal rule reads keeps its meaning. The switch ends the line or a word.
enum AutostartChange { kAutostartUnchanged, kAutostartAdd, kAutostartRemove };
AutostartChange AutostartChangeFor(const codepage::WideChar* commandLine);
// The parameters that ask a copy for `add`'s change; what AutostartChangeFor recognises.
const codepage::WideChar* AutostartSwitch(bool add);

// The elevated copy's exit codes.
enum { kCopyChanged = 0, kCopyUnchanged = 2 };

enum OkAction { kOkRewrite, kOkNothing, kOkChange, kOkElevate };  // in this order

// What OK does with the autostart entry: the box `checked`, the entry `set` as read, the Run
// key `writable` by this process. Where the key cannot be written, a box that agrees with the
// entry asks nothing; one that differs starts the elevated copy.
OkAction AutostartOkAction(bool checked, bool set, bool writable);

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
