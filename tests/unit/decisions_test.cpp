// The shell's command line, the autostart box's OK, logo countdown and command dispatch.
#include <gtest/gtest.h>

#include "shell/decisions.h"

namespace {

struct CommandLineCase {
    const char16_t* commandLine;
    bool removal;
    shell::AutostartChange change;
};

const shell::AutostartChange kNone = shell::kAutostartUnchanged;
const shell::AutostartChange kAdd = shell::kAutostartAdd;
const shell::AutostartChange kRemove = shell::kAutostartRemove;

const CommandLineCase kCommandLines[] = {
    {u"vorkalun.exe /c", true, kNone},
    {u"\"C:\\Program Files\\vorkalun.exe\" /c", true, kNone},
    {u"vorkalun.exe /cat", true, kNone},  // more letters after the c still count
    {u"vorkalun.exe /C", false, kNone},   // upper case is not the switch
    {u"vorkalun.exe -c", false, kNone},
    {u"vorkalun.exe /d /c", false, kNone},        // only the first slash is looked at
    {u"vorkalun.exe -d /c", true, kNone},         // dashes are not slashes
    {u"C:/tools/vorkalun.exe /c", false, kNone},  // a slash in the path hides the switch
    {u"C:/code/vorkalun.exe", true, kNone},       // ...and a path whose first slash precedes a c is one
    {u"vorkalun.exe", false, kNone},
    {u"vorkalun.exe /", false, kNone},
    {u"", false, kNone},
    // The elevated copy's switches, read at the same first slash.
    {u"vorkalun.exe /autostart+", false, kAdd},
    {u"\"C:\\Program Files\\vorkalun.exe\" /autostart-", false, kRemove},
    {u"vorkalun.exe /autostart+ C:\\other.exe", false, kAdd},  // nothing after it is taken
    {u"vorkalun.exe /autostart", false, kNone},
    {u"vorkalun.exe /autostart+x", false, kNone},
    {u"vorkalun.exe /autostart*", false, kNone},
    {u"vorkalun.exe /autos", false, kNone},
    {u"vorkalun.exe -autostart+", false, kNone},
    {u"vorkalun.exe /c /autostart+", true, kNone},  // never both
    {u"vorkalun.exe /d /autostart+", false, kNone},
    {u"C:/tools/vorkalun.exe /autostart+", false, kNone},
};

TEST(IsRemovalRequested, LooksOnlyAtTheFirstSlash) {
    for (const CommandLineCase& c : kCommandLines)
        EXPECT_EQ(c.removal, shell::IsRemovalRequested(c.commandLine))
            << std::u16string(c.commandLine).size();
}

TEST(AutostartChangeFor, TakesOnlyTheWholeSwitchAtTheFirstSlash) {
    for (const CommandLineCase& c : kCommandLines)
        EXPECT_EQ(c.change, shell::AutostartChangeFor(c.commandLine))
            << std::u16string(c.commandLine).size();
    // What the program hands its copy is what the copy recognises.
    const std::u16string program = u"\"C:\\vorkalun.exe\" ";
    EXPECT_EQ(kAdd, shell::AutostartChangeFor((program + shell::AutostartSwitch(true)).c_str()));
    EXPECT_EQ(kRemove,
              shell::AutostartChangeFor((program + shell::AutostartSwitch(false)).c_str()));
}

struct OkCase {
    bool checked, set, writable;
    shell::OkAction action;
};

TEST(AutostartOkAction, PromptsOnlyToChangeWhatTheProgramCannot) {
    const OkCase cases[] = {
        {true, true, true, shell::kOkRewrite},    {false, false, true, shell::kOkRewrite},
        {true, true, false, shell::kOkNothing},   {false, false, false, shell::kOkNothing},
        {true, false, true, shell::kOkChange},    {false, true, true, shell::kOkChange},
        {true, false, false, shell::kOkElevate},  {false, true, false, shell::kOkElevate},
    };
    for (const OkCase& c : cases)
        EXPECT_EQ(c.action, shell::AutostartOkAction(c.checked, c.set, c.writable))
            << c.checked << c.set << c.writable;
}

TEST(CountDownTick, TheTwentiethTickHidesTheLogoAndEveryOtherTickSweeps) {
    unsigned countdown = shell::kLogoTicks;
    for (int tick = 1; tick <= 19; ++tick)
        EXPECT_EQ(shell::kTickSweep, shell::CountDownTick(&countdown)) << tick;
    EXPECT_EQ(shell::kTickHideLogo, shell::CountDownTick(&countdown));
    EXPECT_EQ(0u, countdown);
    for (int tick = 21; tick <= 100; ++tick)
        EXPECT_EQ(shell::kTickSweep, shell::CountDownTick(&countdown)) << tick;
    EXPECT_EQ(0u, countdown);
}

TEST(CountDownTick, WithoutACountdownEveryTickSweeps) {
    unsigned countdown = 0;
    for (int tick = 0; tick < 50; ++tick)
        EXPECT_EQ(shell::kTickSweep, shell::CountDownTick(&countdown));
}

TEST(CommandFor, MatchesTheWholeValue) {
    EXPECT_EQ(shell::kCommandSettings, shell::CommandFor(256));
    EXPECT_EQ(shell::kCommandExit, shell::CommandFor(512));
    EXPECT_EQ(shell::kCommandSite, shell::CommandFor(1024));
    EXPECT_EQ(shell::kCommandNone, shell::CommandFor(0));
    EXPECT_EQ(shell::kCommandNone, shell::CommandFor(2));              // IDCANCEL
    EXPECT_EQ(shell::kCommandNone, shell::CommandFor(0x10000 | 512));  // a notification code above
    EXPECT_EQ(shell::kCommandNone, shell::CommandFor(768));
    if (sizeof(std::uintptr_t) > 4) {  // bits a 32-bit type would drop
        EXPECT_EQ(shell::kCommandNone, shell::CommandFor(std::uintptr_t{1} << 32 | 512));
    }
}

}  // namespace
