// The caption comparison and lookup, the bounds of the replacement texts, the account of
// what relabelling may wait on other programs, and the memory of what it changed.
#include "caption/caption_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "caption/remembered.h"
#include "caption/wait_account.h"

using caption::CompareCaptions;
using caption::FindCaptionRow;
using caption::kNoRow;

namespace {

struct CompareCase {
    const char* a;
    const char* b;
    bool equal;
};

const CompareCase kCompareCases[] = {
    {"OK", "OK", true},    {"O&K", "OK", true},
    {"&OK", "OK", true},   {"&&OK", "OK", true},
    {"OK&", "OK", false},   // a trailing ampersand is never skipped
    {"OK&", "OK&", false},  // not even against itself
    {"&", "&", false},     {"&", "", false},
    {"", "", true},        {"&O&K", "O&&K", true},  // ampersands on both sides
    {"ok", "OK", false},                            // case matters
    {"OK", "OKAY", false}, {"Cancel", "&Cancel", true},
};

TEST(CompareCaptions, FollowsTheAmpersandRulesInBothOrders) {
    for (const CompareCase& c : kCompareCases) {
        EXPECT_EQ(c.equal, CompareCaptions(c.a, c.b)) << c.a << " vs " << c.b;
        EXPECT_EQ(c.equal, CompareCaptions(c.b, c.a)) << c.b << " vs " << c.a;
    }
}

std::string WithoutAmpersands(const std::string& s) {
    std::string out;
    for (char ch : s)
        if (ch != '&') out += ch;
    return out;
}

bool EndsInAmpersand(const std::string& s) { return !s.empty() && s.back() == '&'; }

// Every string of up to five characters over a small alphabet, ampersands included.
std::vector<std::string> AllShortStrings() {
    const char alphabet[] = {'&', 'O', 'K', '\xC4'};
    std::vector<std::string> out{""};
    for (size_t begin = 0, length = 0; length < 5; ++length) {
        const size_t end = out.size();
        for (size_t i = begin; i < end; ++i)
            for (char ch : alphabet) out.push_back(out[i] + ch);
        begin = end;
    }
    return out;
}

TEST(CompareCaptions, EqualExactlyWhenEqualWithoutAmpersandsAndNeitherEndsInOne) {
    const std::vector<std::string> strings = AllShortStrings();
    ASSERT_EQ(1u + 4 + 16 + 64 + 256 + 1024, strings.size());
    for (const std::string& a : strings) {
        for (const std::string& b : strings) {
            const bool expected = WithoutAmpersands(a) == WithoutAmpersands(b) &&
                                  !EndsInAmpersand(a) && !EndsInAmpersand(b);
            ASSERT_EQ(expected, CompareCaptions(a.c_str(), b.c_str())) << a << " vs " << b;
        }
    }
}

struct LookupCase {
    const char* text;
    int row;
};

const LookupCase kLookupCases[] = {
    {"Нет", 0},
    {"No", 0},
    {"Отмена", 1},
    {"Cancel", 1},
    {"&Cancel", 1},
    {"C&ancel", 1},
    {"Ca&ncel", 1},
    {"Can&cel", 1},
    {"Canc&el", 1},
    {"Cance&l", 1},
    {"CANCEL", kNoRow},
    {"cancel", kNoRow},
    {"Да", 2},
    {"&Да", 2},
    {"Yes", 2},
    {"ОК", 3},
    {"O&K", 3},
    {"&&OK", 3},
    {"OK&", kNoRow},
    {"Ok", kNoRow},
    {"oK", kNoRow},
    {"Стоп", 4},
    {"Abort", 4},
    {"Повтор", 5},
    {"Retry", 5},
    {"Пропустить", 6},
    {"Ignore", 6},
    {"Открыть", 7},
    {"Open", 7},
    {"Справка", 8},
    {"&Help", 8},
    {"HELP", kNoRow},
    {"Применить", 9},
    {"Apply", 9},
    {"Далее >", 10},
    {"Next >", 10},
    {"< Назад", 11},
    {"< Back", 11},
    {"", kNoRow},
    {"&", kNoRow},
    // The replacement column is never searched.
    {"Пофиг", kNoRow},
    {"В натуре", kNoRow},
};

// By the captions' comparison, whole names only; the names toolkits give the button are each
// tried on real windows under Wine. Windows Forms' buttons are not among them.
TEST(IsButtonClass, KnowsTheButtonByItsWholeNamesAndNothingElse) {
    for (const char* name : {"Button", "B&utton", "ThunderOptionButton", "TRadioButton"})
        EXPECT_TRUE(caption::IsButtonClass(name)) << name;
    for (const char* name : {"button", "WindowsForms10.BUTTON.app.0.1", "Buttons", "ThunderRT6",
                             "ThunderRT4CommandButton", "", "Button&"})
        EXPECT_FALSE(caption::IsButtonClass(name)) << name;
}

TEST(FindCaptionRow, FindsEachCaptionInEitherColumn) {
    for (const LookupCase& c : kLookupCases) EXPECT_EQ(c.row, FindCaptionRow(c.text)) << c.text;
}

TEST(FindCaptionRow, CyrillicAndLatinOkAreDifferentBytes) {
    EXPECT_STREQ("\xCE\xCA", caption::RussianCaption(3));
    EXPECT_STREQ("OK", caption::EnglishCaption(3));
}

TEST(CaptionTable, HoldsTheDefaultPhrasesInWindows1251) {
    const char* const defaults[caption::kRowCount] = {
        "&\xCD\xE0\xF4\xE8\xE3",  // &Нафиг, spelled out to prove the literals are 1251
        "Н&ефиг",
        "Пофиг",
        "В натуре",
        "С&тоять",
        "&Не понял",
        "&Проехали",
        "Отворяй",
        "Памагите",
        "Забей!!!",
        "Круто >",
        "< Фуфло",
    };
    for (int row = 0; row < caption::kRowCount; ++row)
        EXPECT_STREQ(defaults[row], caption::ReplacementText(row)) << row;
}

class Replacement : public ::testing::Test {
protected:
    void SetUp() override { saved_ = caption::ReplacementText(kRow); }
    void TearDown() override { caption::SetReplacementText(kRow, saved_.c_str(), 20); }
    static constexpr int kRow = 4;
    std::string saved_;
};

TEST_F(Replacement, TakesAtMostTwentyBytesAndStaysTerminated) {
    // Exactly sized buffers, so the sanitizer sees any read past what was given.
    std::vector<char> twentyFive(25, 'x');
    caption::SetReplacementText(kRow, twentyFive.data(), 25);
    EXPECT_EQ(std::string(20, 'x'), caption::ReplacementText(kRow));

    std::vector<char> unterminated(20, 'y');
    caption::SetReplacementText(kRow, unterminated.data(), 20);
    EXPECT_EQ(std::string(20, 'y'), caption::ReplacementText(kRow));

    std::vector<char> two{'a', 'b'};
    caption::SetReplacementText(kRow, two.data(), 2);
    EXPECT_STREQ("ab", caption::ReplacementText(kRow));
}

TEST_F(Replacement, StopsAtTheFirstNulAndAcceptsEmptyText) {
    caption::SetReplacementText(kRow, "abc\0def", 7);
    EXPECT_STREQ("abc", caption::ReplacementText(kRow));
    caption::SetReplacementText(kRow, "", 0);
    EXPECT_STREQ("", caption::ReplacementText(kRow));
}

TEST_F(Replacement, IgnoresRowsOutsideTheTable) {
    caption::SetReplacementText(-1, "x", 1);
    caption::SetReplacementText(caption::kRowCount, "x", 1);
    EXPECT_STREQ("", caption::ReplacementText(caption::kRowCount));
    EXPECT_STREQ("", caption::RussianCaption(-1));
    EXPECT_EQ(saved_, caption::ReplacementText(kRow));
}

TEST_F(Replacement, IsReplacementTextComparesWholeTextsByteForByte) {
    EXPECT_TRUE(caption::IsReplacementText("Пофиг"));
    EXPECT_TRUE(caption::IsReplacementText("&Нафиг"));
    EXPECT_FALSE(caption::IsReplacementText("Нафиг"));  // ampersands count here
    EXPECT_FALSE(caption::IsReplacementText("Пофи"));
    EXPECT_FALSE(caption::IsReplacementText("Пофигг"));
    EXPECT_FALSE(caption::IsReplacementText("Yes"));
    EXPECT_FALSE(caption::IsReplacementText(""));
    caption::SetReplacementText(kRow, "", 0);
    EXPECT_TRUE(caption::IsReplacementText(""));
}

TEST_F(Replacement, IsFoundOnlyWhereItEqualsACaptionAndThenThroughThatCaption) {
    // A text of its own is found nowhere, though a row now holds it.
    caption::SetReplacementText(kRow, "Стой!", 20);
    EXPECT_EQ(kNoRow, FindCaptionRow("Стой!"));
    // One set to another row's caption is that row's, not its own.
    caption::SetReplacementText(kRow, "Yes", 20);
    EXPECT_EQ(2, FindCaptionRow("Yes"));
    // One set to its own row's caption is found there, as that caption.
    caption::SetReplacementText(kRow, "&Abort", 20);
    EXPECT_EQ(kRow, FindCaptionRow("&Abort"));
}

class Account : public ::testing::Test {
protected:
    void SetUp() override { caption::OpenAccount(&account_, 50, 20); }
    bool MayWaitOn(unsigned long process) const { return caption::MayWaitOn(account_, process); }
    void Book(unsigned long process, unsigned ms, bool failed = false) {
        caption::BookWait(&account_, process, ms, failed);
    }
    caption::WaitAccount account_;
};

TEST_F(Account, PassesOverAProgramThatWaitedItsShareOrFailedAndNoOther) {
    Book(7, 15);
    EXPECT_TRUE(MayWaitOn(7));
    Book(7, 5);
    EXPECT_FALSE(MayWaitOn(7));
    Book(8, 0, true);  // a failure books the whole share, whatever a coarse clock saw
    EXPECT_FALSE(MayWaitOn(8));
    Book(9, 0);  // a prompt answer books nothing
    EXPECT_TRUE(MayWaitOn(9));
    EXPECT_TRUE(caption::HasTimeLeft(account_));
}

TEST_F(Account, OnceItsLimitIsSpentNobodyWaitsUntilItIsOpenedAgain) {
    // Programs beyond those it tells apart are never passed over alone, but count in the total.
    for (unsigned long process = 1; process <= caption::kProgramsTracked; ++process)
        Book(process, 1);
    Book(100, 30);
    EXPECT_TRUE(MayWaitOn(100));
    Book(100, 12);
    EXPECT_FALSE(caption::HasTimeLeft(account_));
    EXPECT_FALSE(MayWaitOn(101));
    caption::OpenAccount(&account_, 50, 20);
    EXPECT_TRUE(MayWaitOn(100));
}

// Windows as the table sees them: what each shows (none once gone), and what was put.
std::map<caption::WindowKey, std::string> Shown;
std::vector<std::pair<caption::WindowKey, std::string>> Puts;
int Reads;
// Windows whose program passes every put over, and windows that would show any letter past
// ASCII garbled (made by the single-byte calls, on a Western Windows).
std::set<caption::WindowKey> Refusing, Western;

caption::WindowKey Key(int n) {
    return reinterpret_cast<caption::WindowKey>(static_cast<std::uintptr_t>(n));
}

// The window shows `text`, is relabelled with `row`'s phrase and shows that.
void Relabel(int n, const char* text, int row) {
    caption::Remember(Key(n), text, row);
    Shown[Key(n)] = caption::ReplacementText(row);
}

class Memory : public Replacement {
protected:
    void SetUp() override {
        std::memset(&caption::Remembered, 0, sizeof caption::Remembered);
        Shown.clear();
        Puts.clear();
        Refusing.clear();
        Western.clear();
        Reads = 0;
        Replacement::SetUp();
    }
};

using Put = std::pair<caption::WindowKey, std::string>;

}  // namespace

const char* caption::ShownText(WindowKey window) {
    ++Reads;
    const auto found = Shown.find(window);
    return found == Shown.end() ? nullptr : found->second.c_str();
}

caption::PutResult caption::PutText(WindowKey window, const char* text) {
    if (Puts.size() == 12) return kPutNoTime;
    const auto past = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
    if (Western.count(window) && std::any_of(text, text + std::strlen(text), past))
        return kPutUnfit;
    if (Refusing.count(window)) return kPutPassedOver;
    Puts.emplace_back(window, text);
    Shown[window] = text;
    return kPutTaken;
}

namespace {

TEST_F(Memory, PutsBackExactTextsWhereItsPhraseStillShowsOnly) {
    Relabel(1, "&OK", 3);
    Relabel(2, "&&Да", 2);
    Relabel(3, "Cancel", 1);
    Shown[Key(3)] = "Отмена";  // its owner's own text now
    Relabel(4, "No", 0);
    Shown.erase(Key(4));  // gone
    // The longest text that fits, and one longer: not cut, but left out.
    const std::string longest = std::string(caption::kOriginalCapacity - 3, '&') + "OK";
    Relabel(5, longest.c_str(), 3);
    Relabel(6, ("&" + longest).c_str(), 3);
    caption::RestoreRemembered();
    EXPECT_EQ((std::vector<Put>{{Key(1), "&OK"}, {Key(2), "&&Да"}, {Key(5), longest}}), Puts);
    EXPECT_EQ(nullptr, caption::Remembered.windows[3]);  // the gone one's entry is free
}

TEST_F(Memory, RelabelledAgainKeepsTheOwnersLatestCaption) {
    Relabel(1, "OK", 3);
    Relabel(1, "&Cancel", 1);  // the owner put a caption back
    // A phrase that is another row's caption is relabelled by that row in turn.
    caption::SetReplacementText(kRow, "OK", 20);
    Relabel(2, "Abort", kRow);
    Relabel(2, "OK", 3);
    caption::RestoreRemembered();
    EXPECT_EQ((std::vector<Put>{{Key(1), "&Cancel"}, {Key(2), "Abort"}}), Puts);
}

TEST_F(Memory, AnEditedOrEmptiedPhraseReachesItsRowsButtonsShowingTheOldOne) {
    Relabel(1, "Abort", kRow);
    Relabel(2, "Стоп", kRow);
    Shown[Key(2)] = "своё";
    Relabel(3, "OK", 3);
    caption::ChangePhrase(kRow, "Ну да", 20);
    caption::ChangePhrase(3, caption::ReplacementText(3), 20);  // unchanged: not even read
    EXPECT_EQ((std::vector<Put>{{Key(1), "Ну да"}}), Puts);
    EXPECT_EQ(2, Reads);
    caption::ChangePhrase(kRow, "", 20);
    caption::RestoreRemembered();  // an emptied phrase is still the one a button was given
    EXPECT_EQ(
        (std::vector<Put>{{Key(1), "Ну да"}, {Key(1), ""}, {Key(1), "Abort"}, {Key(3), "OK"}}),
        Puts);
}

TEST_F(Memory, AFullTableTakesAGoneWindowsPlaceWithinAFewLooksOrRemembersNothing) {
    for (int n = 1; n <= caption::kRememberedCapacity; ++n) Relabel(n, "OK", 3);
    Relabel(100000, "Да", 2);
    EXPECT_EQ(caption::kGoneChecks, Reads);
    // The looks go on where they stopped: a window gone a little further on is found.
    Shown.erase(Key(caption::kGoneChecks + 3));
    Relabel(100001, "Нет", 0);
    EXPECT_EQ(caption::kGoneChecks + 3, Reads);
    caption::RestoreRemembered();  // and time runs out after twelve
    ASSERT_EQ(12u, Puts.size());
    EXPECT_EQ(Put(Key(100001), "Нет"), Puts[caption::kGoneChecks + 2]);
}

// A put its program refuses leaves the button showing what it was given before, which the end
// still puts its caption back over; later ticks offer it the phrase again, until it shows it
// (a text can arrive late), is gone, or shows its owner's text.
TEST_F(Memory, AButtonAPhraseChangeCannotReachIsRetriedAndStillGetsItsCaptionBack) {
    for (int n = 1; n <= 5; ++n) Relabel(n, n == 1 ? "&Abort" : "Abort", kRow);
    Refusing = {Key(1), Key(2), Key(3), Key(4)};
    caption::ChangePhrase(kRow, "Стой", 20);
    EXPECT_EQ((std::vector<Put>{{Key(5), "Стой"}}), Puts);
    Refusing.erase(Key(2));
    Shown[Key(3)] = "Стой";
    Shown.erase(Key(4));
    Shown[Key(5)] = "своё";
    caption::RetryPhrases([] { return false; });  // no time: nothing is even read
    Reads = 0;
    caption::RetryPhrases([] { return true; });
    EXPECT_EQ((std::vector<Put>{{Key(5), "Стой"}, {Key(2), "Стой"}}), Puts);
    EXPECT_EQ(4, Reads);  // each marked one once
    Reads = 0;
    caption::RetryPhrases([] { return true; });
    EXPECT_EQ(1, Reads);  // only the refusing one is left marked
    Refusing.clear();
    caption::RestoreRemembered();
    EXPECT_EQ((std::vector<Put>{{Key(5), "Стой"},
                                {Key(2), "Стой"},
                                {Key(1), "&Abort"},
                                {Key(2), "Abort"},
                                {Key(3), "Abort"}}),
              Puts);
}

// A window that would show the new phrase garbled gets its caption back instead, as the sweep
// leaves the caption of such a button, and it is no longer the program's to put back.
TEST_F(Memory, APhraseAWindowWouldShowGarbledGivesItsButtonItsCaptionBack) {
    caption::SetReplacementText(kRow, "Halt", 20);
    Relabel(1, "Abort", kRow);
    Relabel(2, "Abort", kRow);
    Western = {Key(1)};
    caption::ChangePhrase(kRow, "Стой", 20);
    caption::RestoreRemembered();
    EXPECT_EQ((std::vector<Put>{{Key(1), "Abort"}, {Key(2), "Стой"}, {Key(2), "Abort"}}), Puts);
}

}  // namespace
