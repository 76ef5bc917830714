// The shell's command line, logo countdown and command dispatch.
#include <gtest/gtest.h>

#include "shell/decisions.h"

namespace {

struct CommandLineCase {
    const char16_t* commandLine;
    bool removal;
};

const CommandLineCase kCommandLines[] = {
    {u"vorkalun.exe /c", true},
    {u"\"C:\\Program Files\\vorkalun.exe\" /c", true},
    {u"vorkalun.exe /cat", true},  // more letters after the c still count
    {u"vorkalun.exe /C", false},   // upper case is not the switch
    {u"vorkalun.exe -c", false},
    {u"vorkalun.exe /d /c", false},        // only the first slash is looked at
    {u"vorkalun.exe -d /c", true},         // dashes are not slashes
    {u"C:/tools/vorkalun.exe /c", false},  // a slash in the path hides the switch
    {u"C:/code/vorkalun.exe", true},       // ...and a path whose first slash precedes a c is one
    {u"vorkalun.exe", false},
    {u"vorkalun.exe /", false},
    {u"", false},
};

TEST(IsRemovalRequested, LooksOnlyAtTheFirstSlash) {
    for (const CommandLineCase& c : kCommandLines)
        EXPECT_EQ(c.removal, shell::IsRemovalRequested(c.commandLine))
            << std::u16string(c.commandLine).size();
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
