// Our own 1251 table against the platform's: they must agree on every byte and every unit.
#include <gtest/gtest.h>
#include <windows.h>

#include "caption/codepage.h"

namespace {

TEST(CodepageAgainstPlatform, EveryByteWidensAsTheSystemWidensIt) {
    for (int byte = 0; byte < 256; ++byte) {
        const char narrow = static_cast<char>(byte);
        wchar_t wide = 0;
        ASSERT_EQ(1, MultiByteToWideChar(1251, 0, &narrow, 1, &wide, 1));
        EXPECT_EQ(wide, codepage::WidenByte(static_cast<unsigned char>(byte))) << byte;
    }
}

TEST(CodepageAgainstPlatform, EveryUnitNarrowsAsTheSystemNarrowsItWithoutBestFit) {
    for (int unit = 1; unit < 0x10000; ++unit) {
        const wchar_t wide = static_cast<wchar_t>(unit);
        char narrow = 0;
        ASSERT_EQ(1,
                  WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, &wide, 1, &narrow, 1, "?", NULL));
        ASSERT_EQ(narrow, codepage::NarrowUnit(wide)) << unit;
    }
}

}  // namespace
