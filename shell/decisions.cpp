// No platform code: these run natively in the unit tests.
#include "shell/decisions.h"

#include "resources/resource.h"

namespace shell {

bool IsRemovalRequested(const codepage::WideChar* commandLine) {
    for (const codepage::WideChar* p = commandLine; *p != 0; ++p)
        if (*p == '/') return p[1] == 'c';
    return false;
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
