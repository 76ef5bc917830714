// What relabelling may cost in waiting on other programs, and which programs have made it
// wait: the sweep keeps one account, the reported windows between two ticks another. No
// platform code: this runs natively in the unit tests.
#pragma once

namespace caption {

enum {
    kRelabelTimeoutMs = 20,  // the longest a relabel waits for its button to take the text
    // Programs whose waits an account tells apart. Any further ones still count in its total.
    kProgramsTracked = 8,
};

struct WaitAccount {
    unsigned limitMs;   // what all relabels together may wait
    unsigned shareMs;   // what the relabels of one program may
    unsigned waitedMs;  // what they have waited so far
    int programCount;
    struct {
        unsigned long process;
        unsigned waitedMs;
    } programs[kProgramsTracked];
};

// Starts the account afresh: no waiting so far, no program passed over. A program that has
// kept it waiting its share, in one relabel or in several, is passed over until then.
void OpenAccount(WaitAccount* account, unsigned limitMs, unsigned shareMs);

// Whether any relabel may still wait.
bool HasTimeLeft(const WaitAccount& account);

// Whether a relabel of a button of this process may wait now: there is time left, and the
// program has not used up its share.
bool MayWaitOn(const WaitAccount& account, unsigned long process);

// Books what a relabel waited. One that failed, a timeout among them, books the program's
// whole share on top, whatever a coarse clock made of the wait.
void BookWait(WaitAccount* account, unsigned long process, unsigned waitedMs, bool failed);

}  // namespace caption
