// The Windows-1251 <-> UTF-16 conversion, and which texts reach a window through the
// machine's code page.
#include "caption/codepage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "caption/caption_table.h"

using codepage::WideChar;

namespace {

TEST(Codepage, EveryByteSurvivesTheRoundTrip) {
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(static_cast<char>(byte), codepage::NarrowUnit(codepage::WidenByte(byte))) << byte;
}

struct UnitCase {
    unsigned char byte;
    WideChar unit;
};

const UnitCase kKnownUnits[] = {
    {'A', u'A'},  {0xC0, u'А'}, {0xFF, u'я'},   {0xA8, u'Ё'},   {0xB8, u'ё'},
    {0xB9, u'№'}, {0x88, u'€'}, {0x98, 0x0098}, {0xA0, 0x00A0}, {0xA5, u'Ґ'},
};

TEST(Codepage, MapsTheLettersAsWindowsDoes) {
    for (const UnitCase& c : kKnownUnits) {
        EXPECT_EQ(c.unit, codepage::WidenByte(c.byte)) << int(c.byte);
        EXPECT_EQ(static_cast<char>(c.byte), codepage::NarrowUnit(c.unit)) << int(c.byte);
    }
}

TEST(Codepage, UnitsOutsideTheCodePageBecomeQuestionMarks) {
    const WideChar outside[] = {0x00E9, 0xFF2F, 0xD83D, 0xDE00, 0x0100, 0x4E2D, 0xFFFF};
    for (WideChar unit : outside) EXPECT_EQ('?', codepage::NarrowUnit(unit)) << int(unit);
}

TEST(Codepage, ConvertsTextsBothWays) {
    WideChar wide[16];
    EXPECT_EQ(5, codepage::ToWide("Пофиг", wide, 16));
    EXPECT_EQ(0, std::memcmp(u"Пофиг", wide, 6 * sizeof(WideChar)));

    char narrow[16];
    EXPECT_EQ(6, codepage::FromWide(u"&Нафиг", narrow, 16));
    EXPECT_STREQ("&Нафиг", narrow);
}

TEST(Codepage, CutsToTheCapacityAndTerminates) {
    WideChar wide[4] = {1, 1, 1, 1};
    EXPECT_EQ(3, codepage::ToWide("Пофиг", wide, 4));
    EXPECT_EQ(0, wide[3]);

    char narrow[1] = {'x'};
    EXPECT_EQ(0, codepage::FromWide(u"Да", narrow, 1));
    EXPECT_EQ('\0', narrow[0]);
}

TEST(Codepage, CountedConversionKeepsEmbeddedNuls) {
    const char bytes[] = {'\xC4', '\0', '\xE0'};
    WideChar units[3];
    codepage::WidenBytes(bytes, 3, units);
    EXPECT_EQ(u'Д', units[0]);
    EXPECT_EQ(0, units[1]);
    EXPECT_EQ(u'а', units[2]);

    char back[3];
    codepage::NarrowUnits(units, 3, back);
    EXPECT_EQ(0, std::memcmp(bytes, back, 3));
}

// Standing in for the platform's conversion without best fit: Western Europe's code page holds
// Latin letters only, and the others know none. The platform refuses the conversion's flags
// for UTF-8, so that code page must never be asked; nor need 1251 be.
bool Exact(unsigned codePage, const WideChar* text) {
    for (; *text != 0; ++text)
        if (codePage != 1252 || (*text >= 0x80 && *text < 0xA0) || *text > 0xFF) return false;
    return true;
}

struct FitCase {
    unsigned codePage;
    const char* phrase;
    bool reaches;
};

const FitCase kFitCases[] = {
    {1251, "&Okay!!!", true}, {1252, "&Okay!!!", true},    {1251, "№ \x98 ё", true},
    {65001, "Пофиг", true},   {1252, "Забей!!! ©", false},
};

TEST(Codepage, APhraseReachesAnAnsiWindowWhereTheMachinesCodePageHoldsItsLetters) {
    WideChar wide[32];
    for (const FitCase& c : kFitCases) {
        codepage::ToWide(c.phrase, wide, 32);
        EXPECT_EQ(c.reaches, codepage::ReachesAnsiWindow(c.codePage, wide, Exact))
            << c.codePage << " " << c.phrase;
    }
    // Every default phrase reaches such a window on a Cyrillic Windows, and none on a Western.
    for (int row = 0; row < caption::kRowCount; ++row) {
        codepage::ToWide(caption::ReplacementText(row), wide, 32);
        EXPECT_TRUE(codepage::ReachesAnsiWindow(1251, wide, Exact)) << row;
        EXPECT_FALSE(codepage::ReachesAnsiWindow(1252, wide, Exact)) << row;
    }
}

}  // namespace
