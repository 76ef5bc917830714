// The waiting account of relabels. No platform code: this runs natively in the unit tests.
#include "caption/wait_account.h"

namespace caption {

namespace {

// The program's entry, or -1 when it has none.
int FindProgram(const WaitAccount& account, unsigned long process) {
    for (int i = 0; i < account.programCount; ++i)
        if (account.programs[i].process == process) return i;
    return -1;
}

}  // namespace

void OpenAccount(WaitAccount* account, unsigned limitMs, unsigned shareMs) {
    account->limitMs = limitMs;
    account->shareMs = shareMs;
    account->waitedMs = 0;
    account->programCount = 0;
}

bool HasTimeLeft(const WaitAccount& account) { return account.waitedMs < account.limitMs; }

bool MayWaitOn(const WaitAccount& account, unsigned long process) {
    if (!HasTimeLeft(account)) return false;
    const int i = FindProgram(account, process);
    return i < 0 || account.programs[i].waitedMs < account.shareMs;
}

void BookWait(WaitAccount* account, unsigned long process, unsigned waitedMs, bool failed) {
    account->waitedMs += waitedMs;
    // A failure books the whole share on top, which passes the program over whatever it waited.
    if (failed) waitedMs += account->shareMs;
    if (waitedMs == 0) return;
    int i = FindProgram(*account, process);
    if (i < 0) {
        if (account->programCount == kProgramsTracked) return;
        i = account->programCount++;
        account->programs[i].process = process;
        account->programs[i].waitedMs = 0;
    }
    account->programs[i].waitedMs += waitedMs;
}

}  // namespace caption
