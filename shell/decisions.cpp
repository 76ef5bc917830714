// No platform code: these run natively in the unit tests.
#include "shell/decisions.h"

#include "resources/resource.h"

namespace shell {

namespace {

// Both switches are read at the command line's first '/', the program's own path included;
// the terminator when there is none.
const codepage::WideChar* FirstSlash(const codepage::WideChar* commandLine) {
    while (*commandLine != 0 && *commandLine != '/') ++commandLine;
    return commandLine;
}

// The two switches differ in their last character only.
const codepage::WideChar kAddSwitch[] = WIDE_TEXT("/autostart+");
const codepage::WideChar kRemoveSwitch[] = WIDE_TEXT("/autostart-");
enum { kSwitchLength = sizeof kAddSwitch / sizeof kAddSwitch[0] - 1 };

}  // namespace

bool IsRemovalRequested(const codepage::WideChar* commandLine) {
    const codepage::WideChar* slash = FirstSlash(commandLine);
    return *slash == '/' && slash[1] == 'c';
}

AutostartChange AutostartChangeFor(const codepage::WideChar* commandLine) {
    const codepage::WideChar* p = FirstSlash(commandLine);
    for (int i = 0; i < kSwitchLength - 1; ++i)
        if (p[i] != kAddSwitch[i]) return kAutostartUnchanged;
    const codepage::WideChar last = p[kSwitchLength - 1];
    if (last != '+' && last != '-') return kAutostartUnchanged;
    const codepage::WideChar after = p[kSwitchLength];
    if (after != 0 && after != ' ') return kAutostartUnchanged;
    return last == '+' ? kAutostartAdd : kAutostartRemove;
}

const codepage::WideChar* AutostartSwitch(bool add) { return add ? kAddSwitch : kRemoveSwitch; }

OkAction AutostartOkAction(bool checked, bool set, bool writable) {
    // The enumeration's order: a change in the high bit, a key that cannot be written low.
    return static_cast<OkAction>((checked != set) << 1 | !writable);
}

TickAction CountDownTick(unsigned* countdown) {
    if (*countdown == 0) return kTickSweep;
    --*countdown;
    return *countdown == 0 ? kTickHideLogo : kTickSweep;
}

Command CommandFor(std::uintptr_t wParam) {
    switch (wParam) {
        case ID_SETTINGS: return kCommandSettings;
        case ID_EXIT: return kCommandExit;
        case ID_SITE: return kCommandSite;
        default: return kCommandNone;
    }
}

}  // namespace shell
