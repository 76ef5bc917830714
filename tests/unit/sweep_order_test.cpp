// The sweep's order over a fake desktop whose windows come and go, on a fake clock, and the
// set of windows known to be no buttons that spares it their class names.
#include "caption/sweep_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "caption/not_buttons.h"

namespace {

using caption::SweepOrder;
using caption::Window;

const unsigned kUnitsPerMs = 1000;
const unsigned kExamineUnits = 100;  // what the sweep's own work on one window takes

struct FakeWindow {
    int id;
    int top;
    int program;   // 0: answers at once
    bool refuses;  // its program never takes a text: every relabel times out
    bool button = true;
};

std::vector<FakeWindow> Desktop;  // every descendant, in the platform's order
std::vector<int> Examined;        // in the order examined, this tick
unsigned Clock;
unsigned ListUnits;  // what the platform takes to list one window
unsigned Waited;     // this tick
int Listed;          // descendants listed, in all
int Gone;            // windows whose class was asked after they were gone, in all
int ClassReads;      // class names read of windows that were there, in all
int Slices;          // slices that asked for another, in all
int Retries;         // windows retried at the start of a tick, in all
int Waiting;         // the windows a tick's retries would offer a text; each takes an examination
SweepOrder Order;
void (*DuringExamine)(int id);

Window Handle(int id) { return reinterpret_cast<Window>(static_cast<std::uintptr_t>(id)); }
int Id(Window window) { return static_cast<int>(reinterpret_cast<std::uintptr_t>(window)); }

const FakeWindow* Find(int id) {
    for (const FakeWindow& w : Desktop)
        if (w.id == id) return &w;
    return nullptr;
}

// As the platform lists them, from the one after the first `skip`: the top-level windows in
// order, or a top-level window's descendants as they are now.
int List(Window parent, int skip, Window* out, int capacity) {
    std::vector<int> ids;
    for (const FakeWindow& w : Desktop) {
        const int id = parent == nullptr ? w.top : w.id;
        if ((parent == nullptr || Handle(w.top) == parent) &&
            std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    int count = 0;
    for (size_t i = skip; i < ids.size() && count < capacity; ++i) {
        out[count++] = Handle(ids[i]);
        Clock += ListUnits;
        if (parent != nullptr) ++Listed;
    }
    return count;
}

// A button's class name costs nothing here: its examination is what takes the time.
const char* ClassName(Window window) {
    const FakeWindow* found = Find(Id(window));
    if (found != nullptr && found->button) {
        ++ClassReads;
        return "Button";
    }
    Clock += kExamineUnits;
    if (found == nullptr) {
        ++Gone;
        return "";
    }
    ++ClassReads;
    return "Static";
}

// A relabel as the real one books it: passed over once its program has used up its share.
bool Examine(Window window) {
    const FakeWindow& w = *Find(Id(window));
    Clock += kExamineUnits;
    Examined.push_back(w.id);
    if (DuringExamine) DuringExamine(w.id);
    if (!w.refuses) return true;
    if (!caption::MayWaitOn(Order.account, w.program)) return false;
    Clock += caption::kRelabelTimeoutMs * kUnitsPerMs;
    Waited += caption::kRelabelTimeoutMs;
    caption::BookWait(&Order.account, w.program, caption::kRelabelTimeoutMs, true);
    return true;
}

unsigned Now() { return Clock; }

// Retries take the slice's time like examinations, as many as it has.
void Retry() {
    for (; Waiting > 0 && !caption::IsSliceSpent(Order); --Waiting, ++Retries)
        Clock += kExamineUnits;
}

const caption::SweepSeam kFake = {List, ClassName, Examine, Now, Retry};

class SweepOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Desktop.clear();
        Order = SweepOrder();
        Order.unitsPerMs = kUnitsPerMs;
        Clock = ListUnits = 0;
        Slices = Listed = Gone = ClassReads = Retries = Waiting = 0;
        caption::NotButtons = caption::NotButtonSet();
        caption::UseNotButtons(true);
        DuringExamine = nullptr;
        caption::SweepSliceMs = caption::kSweepSliceMs;
    }
    static int Add(int top, int program = 0, bool refuses = false) {
        Desktop.push_back({NextId, top, program, refuses});
        return NextId++;
    }
    static int AddNoButton(int top) {
        Desktop.push_back({NextId, top, 0, false, false});
        return NextId++;
    }
    // As the program's ticks run it: a slice, and more while the sweep asks for them.
    static void Tick() {
        Examined.clear();
        Waited = 0;
        for (bool newTick = true; caption::RunSweep(&Order, kFake, newTick); newTick = false)
            ++Slices;
    }
    static int NextId;
};
int SweepOrderTest::NextId = 1;

// How many windows a tick's slices cover when none of them waits.
const int kPerTick = caption::kSlicesPerTick * caption::kSweepSliceMs * kUnitsPerMs / kExamineUnits;

TEST_F(SweepOrderTest, ADesktopThatFitsTheSliceIsSweptWholeOnEveryTick) {
    std::vector<int> all;
    for (int i = 0; i < kPerTick / 2; ++i) all.push_back(Add(100 + i / 3));
    for (int tick = 0; tick < 3; ++tick) {
        Tick();
        EXPECT_EQ(all, Examined) << tick;
    }
}

TEST_F(SweepOrderTest, ACrowdedDesktopIsSweptInSlicesThatGoOnWhereTheLastStopped) {
    std::vector<int> all;
    for (int i = 0; i < 5 * kPerTick / 2; ++i) all.push_back(Add(100 + i / 10));
    std::vector<int> seen;
    for (int tick = 0; tick < 3; ++tick) {
        Tick();
        EXPECT_LE(Examined.size(), static_cast<size_t>(kPerTick)) << tick;
        if (tick < 2) {
            EXPECT_GE(Examined.size(), static_cast<size_t>(kPerTick - 2)) << tick;
        }
        EXPECT_FALSE(Examined.empty());
        seen.insert(seen.end(), Examined.begin(), Examined.end());
    }
    // Three ticks make one whole pass, each window once; the next pass starts at the first.
    EXPECT_EQ(all, seen);
    // Each full tick's slices but the last ask for another; the pass ended in the third's first.
    EXPECT_EQ(2 * (caption::kSlicesPerTick - 1), Slices);
    // Listing a window costs a call to the window server: the pass lists each window once, and
    // every slice takes up the list where the last one stopped.
    EXPECT_EQ(static_cast<int>(all.size()), Listed);
    Tick();
    EXPECT_EQ(all.front(), Examined.front());
}

// Listing a window of many descendants takes a while, and it is done once: the slice that
// lists it still works its whole length, and the ones after it go on from where it stopped.
TEST_F(SweepOrderTest, AWindowOfManyButtonsIsGoneThroughAtTheSlicesFullPace) {
    ListUnits = kExamineUnits / 2;
    const int kButtons = 20 * kPerTick;
    for (int i = 0; i < kButtons; ++i) Add(100);
    int examined = 0, ticks = 0;
    for (; examined < kButtons && ticks < 100; ++ticks) {
        Tick();
        examined += static_cast<int>(Examined.size());
    }
    EXPECT_EQ(kButtons, examined);
    EXPECT_EQ(kButtons, Listed);
    EXPECT_LE(ticks, 20);
}

TEST_F(SweepOrderTest, WaitsOnOtherProgramsDoNotCountAgainstTheSlice) {
    Add(100, 7, true);
    for (int i = 0; i < kPerTick / 2; ++i) Add(101);
    Tick();
    EXPECT_EQ(caption::kRelabelTimeoutMs, Waited);
    EXPECT_EQ(Desktop.size(), Examined.size());
}

TEST_F(SweepOrderTest, AWindowPassedOverStartsTheNextPassWhichWrapsRoundToIt) {
    const int a = Add(100), slow1 = Add(101, 7, true), slow2 = Add(101, 7, true), b = Add(102);
    Tick();  // slow1 uses up its program's share; slow2 is passed over
    EXPECT_EQ((std::vector<int>{a, slow1, slow2, b}), Examined);
    Tick();
    EXPECT_EQ((std::vector<int>{slow2, b, a, slow1}), Examined);
}

// A button that keeps putting its caption back is reached on every pass, however many windows
// are created ahead of it: here the foreground program opens windows at the top of the order on
// every tick, and silent programs ahead of the button use up a tick's waiting in turn.
TEST_F(SweepOrderTest, AButtonIsReachedOnEveryPassHoweverWindowsAreCreatedAheadOfIt) {
    for (int i = 0; i < 20; ++i) Add(100);
    for (int program = 1; program <= 12; ++program) Add(200 + program, program, true);
    const int target = Add(300);
    int lastSeen = 0, longestGap = 0;
    for (int tick = 1; tick <= 24; ++tick) {
        for (int i = 0; i < 5; ++i, ++NextId)  // each a top-level window of its own
            Desktop.insert(Desktop.begin(), {NextId, 1000 + NextId, 0, false});
        Tick();
        if (std::find(Examined.begin(), Examined.end(), target) == Examined.end()) continue;
        longestGap = std::max(longestGap, tick - lastSeen);
        lastSeen = tick;
    }
    // A pass: three ticks for the silent programs, one or two for the rest.
    EXPECT_GT(lastSeen, 18);
    EXPECT_LE(longestGap, 6);
}

// The list is taken once a pass: windows gone since are found gone when their turn comes (here
// the one where the last tick stopped, and the rest of its top-level window), and windows made
// since wait for the next pass, as the window events relabel them meanwhile.
TEST_F(SweepOrderTest, WindowsGoneOrMadeSinceTheListingCostTheirTurnAndTheNextPassHasThem) {
    for (int i = 0; i < 3 * kPerTick / 2; ++i) Add(100 + i / 30);
    Tick();
    ASSERT_EQ(static_cast<size_t>(kPerTick), Examined.size());  // ten of the fourth window's 30
    const int top = Desktop[kPerTick].top;
    Desktop.erase(std::remove_if(Desktop.begin(), Desktop.end(),
                                 [&](const FakeWindow& w) { return w.top == top; }),
                  Desktop.end());
    const int late = Add(100);
    Tick();
    EXPECT_EQ(20, Gone);
    ASSERT_FALSE(Examined.empty());
    EXPECT_EQ(Desktop[90].id, Examined.front());
    EXPECT_EQ(Examined.end(), std::find(Examined.begin(), Examined.end(), late));
    Tick();
    EXPECT_NE(Examined.end(), std::find(Examined.begin(), Examined.end(), late));
}

// What waits for the sweep's time at the start of a tick takes it from the tick's first slice.
TEST_F(SweepOrderTest, RetriesAtTheStartOfATickTakeTheirTimeFromItsSlice) {
    for (int i = 0; i < kPerTick; ++i) Add(100 + i / 10);
    Waiting = 1000;
    Tick();
    EXPECT_EQ(kPerTick / 2, Retries);
    // The one window a slice always examines, and the second slice's.
    EXPECT_EQ(static_cast<size_t>(1 + kPerTick / 2), Examined.size());
}

// Silent programs, each with a button that keeps every relabel waiting its whole timeout.
TEST_F(SweepOrderTest, ATickWaitsNoLongerThanItsLimitAndTheNextGoesOnWhereTheTimeRanOut) {
    for (int program = 1; program <= 40; ++program) Add(100 + program, program, true);
    Tick();
    EXPECT_GE(Waited, 80u);
    EXPECT_LE(Waited, 120u);  // about a tick: the hotkeys and the menu wait no longer
    // Nothing more is examined once the waiting is spent; the next tick starts there.
    ASSERT_LT(Examined.size(), 10u);
    const int stoppedAt = Desktop[Examined.size()].id;
    Tick();
    EXPECT_EQ(stoppedAt, Examined.front());
}

// As a modal loop run inside a relabel's wait would: the next tick, once.
void SweepAgain(int) {
    DuringExamine = nullptr;
    const std::vector<int> outer = Examined;
    EXPECT_FALSE(caption::RunSweep(&Order, kFake, true));
    EXPECT_EQ(outer, Examined) << "a sweep ran inside a sweep";
}

TEST_F(SweepOrderTest, ASweepCalledInsideASweepDoesNothing) {
    for (int i = 0; i < 4; ++i) Add(100);
    DuringExamine = SweepAgain;
    Tick();
    EXPECT_EQ(4u, Examined.size());
    Tick();  // and the next tick sweeps as ever
    EXPECT_EQ(4u, Examined.size());
}

// A window's class never changes while it lives: one that is no button's costs its class name
// once, while buttons are examined on every pass. Where the platform would not report a handle
// given to a new window, the sweep keeps nothing and reads every class name every time.
TEST_F(SweepOrderTest, AWindowKnownToBeNoButtonCostsNoClassNameOnTheNextPass) {
    const int first = Add(100);
    AddNoButton(100);
    AddNoButton(101);
    const int second = Add(101);
    Tick();
    EXPECT_EQ(4, ClassReads);
    Tick();
    EXPECT_EQ(6, ClassReads);
    EXPECT_EQ((std::vector<int>{first, second}), Examined);
    caption::UseNotButtons(false);
    Tick();
    EXPECT_EQ(10, ClassReads);
}

// A handle the platform gives to a new window, a button this time: until its creation is
// reported the sweep takes it for what the handle named before, and then reads it again.
TEST_F(SweepOrderTest, AButtonUnderAHandleThatNamedAnotherWindowIsReadAgainOnceReported) {
    const int reused = AddNoButton(100);
    Add(100);
    Tick();
    std::find_if(Desktop.begin(), Desktop.end(), [&](const FakeWindow& w) {
        return w.id == reused;
    })->button = true;
    Tick();
    EXPECT_EQ(Examined.end(), std::find(Examined.begin(), Examined.end(), reused));
    caption::ForgetWindow(Handle(reused));
    Tick();
    EXPECT_NE(Examined.end(), std::find(Examined.begin(), Examined.end(), reused));
}

bool Known(int handle) { return caption::IsKnownNotButton(Handle(handle)); }

// Against a model, over handles spaced as the platform spaces them and enough of them that runs
// form and meet: every handle noted is found until it is forgotten, and no other is.
TEST(NotButtons, FindsWhatWasNotedUntilItIsForgottenWhateverTheCollisions) {
    caption::NotButtons = caption::NotButtonSet();
    caption::UseNotButtons(true);
    const int kHandles = caption::kNotButtonLimit - 1;
    std::set<int> noted;
    for (int i = 1; i <= kHandles; ++i) {
        caption::NoteNotButton(Handle(4 * i));
        noted.insert(4 * i);
    }
    unsigned seed = 1;
    for (int round = 0; round < 2 * kHandles; ++round) {
        seed = seed * 1103515245u + 12345u;
        const int handle = 4 * (1 + static_cast<int>((seed >> 8) % kHandles));
        caption::ForgetWindow(Handle(handle));
        noted.erase(handle);
    }
    ASSERT_LT(noted.size(), static_cast<size_t>(kHandles / 2));
    for (int i = 1; i <= kHandles + 100; ++i) ASSERT_EQ(noted.count(4 * i) == 1, Known(4 * i)) << i;
    EXPECT_EQ(static_cast<int>(noted.size()), caption::NotButtons.count);
}

TEST(NotButtons, AFullSetIsEmptiedAndFilledAgain) {
    caption::NotButtons = caption::NotButtonSet();
    caption::UseNotButtons(true);
    for (int i = 1; i <= caption::kNotButtonLimit; ++i) caption::NoteNotButton(Handle(2 * i));
    EXPECT_EQ(caption::kNotButtonLimit, caption::NotButtons.count);
    EXPECT_TRUE(Known(2));
    caption::NoteNotButton(Handle(1));
    EXPECT_EQ(1, caption::NotButtons.count);
    EXPECT_TRUE(Known(1));
    EXPECT_FALSE(Known(2));
}

}  // namespace
