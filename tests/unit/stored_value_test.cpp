// The registry's data as the settings store's bytes: limits, the end of a text, the quoting of
// the autostart command. Buffers are sized exactly, so AddressSanitizer sees any overrun.
#include "settings/stored_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using codepage::WideChar;
using settings::kDoesNotFit;

namespace {

// Runs StoredBytes on `size` bytes of data into a buffer of exactly `limit` bytes, primed
// with '#'. The data is padded with NULs to its size, as the read returned it.
std::string Stored(std::u16string units, unsigned long size, bool isString, int limit, int* count) {
    units.resize((size + 1) / 2, u'\0');
    std::unique_ptr<char[]> out(new char[limit]);
    for (int i = 0; i < limit; ++i) out[i] = '#';
    *count = settings::StoredBytes(units.data(), size, isString, out.get(), limit);
    return std::string(out.get(), limit);
}

struct StringCase {
    const char16_t* units;
    unsigned long size;  // bytes, as the wide read reports them
    int expectedCount;
    const char* expectedBytes;
};

const StringCase kStringData[] = {
    {u"", 0, 0, ""},
    {u"Пофиг", 10, 5, "Пофиг"},
    {u"Пофиг", 12, 6, "Пофиг\0"},                               // the terminator is a byte too
    {u"ab", 5, 2, "ab"},                                        // an odd byte is no character
    {u"Памагите, люди добры", 40, 20, "Памагите, люди добры"},  // 20 units, no terminator
    {u"Памагите, люди добр", 40, 20, "Памагите, люди добр\0"},  // 19 and the terminator
    {u"Памагите, люди добр", 41, 20, "Памагите, люди добр\0"},
    {u"Памагите, люди добры", 42, kDoesNotFit, ""},
    {u"é中\U0001F600", 8, 4, "????"},  // outside 1251, a surrogate pair counts two
};

TEST(StoredBytes, StringDataNarrowsUnitByUnitWithinTheLimit) {
    for (const StringCase& c : kStringData) {
        int count = 0;
        const std::string out = Stored(c.units, c.size, true, settings::kTextReadLimit, &count);
        EXPECT_EQ(c.expectedCount, count) << c.expectedBytes;
        if (count == kDoesNotFit) {
            EXPECT_EQ(std::string(20, '#'), out);  // a rejected read leaves the buffer alone
        } else {
            EXPECT_EQ(std::string(c.expectedBytes, count), out.substr(0, count));
            EXPECT_EQ(std::string(20 - count, '#'), out.substr(count));
        }
    }
}

TEST(StoredBytes, OtherTypesArriveByteForByte) {
    // A DWORD 0x00636261 and binary data with a NUL inside and none at the end.
    const char dword[] = {'a', 'b', 'c', '\0'};
    std::u16string units(2, u'\0');
    std::memcpy(&units[0], dword, 4);
    int count = 0;
    std::string out = Stored(units, 4, false, settings::kTextReadLimit, &count);
    EXPECT_EQ(4, count);
    EXPECT_EQ(std::string("abc\0", 4), out.substr(0, 4));

    const std::string binary = std::string("x\0", 2) + std::string(18, '\xC9');
    units.assign(10, u'\0');
    std::memcpy(&units[0], binary.data(), 20);
    out = Stored(units, 20, false, settings::kTextReadLimit, &count);
    EXPECT_EQ(20, count);
    EXPECT_EQ(binary, out);

    units.assign(11, u'\0');
    out = Stored(units, 21, false, settings::kTextReadLimit, &count);
    EXPECT_EQ(kDoesNotFit, count);
    EXPECT_EQ(std::string(20, '#'), out);
}

TEST(TextLength, EndsAtTheFirstNulOrAfterTheLastByte) {
    EXPECT_EQ(0, settings::TextLength("", 0));
    EXPECT_EQ(0, settings::TextLength("\0ab", 3));
    EXPECT_EQ(2, settings::TextLength("ab\0cd", 5));
    EXPECT_EQ(2, settings::TextLength("abафиг", 2));  // no terminator of its own
    EXPECT_EQ(6, settings::TextLength("&Нафиг", 7));
}

struct OptionsCase {
    const char* bytes;
    int count;
    bool accepted;
};

const OptionsCase kOptions[] = {
    {"yyyyyyy", 8, true},   {"nnnnnnn", 7, true},   {"yn", 3, true},
    {"yn", 2, true},        {"", 0, true},          {"yyy\0yyyy", 8, true},
    {"yyyyyyyy", 8, false}, {"yyyyyyyy", 9, false}, {"\0\0\0\0\0\0\0\0", 9, false},
};

TEST(OptionsValue, AcceptsAtMostSevenCharactersInEightBytes) {
    for (const OptionsCase& c : kOptions)
        EXPECT_EQ(c.accepted, settings::IsOptionsAccepted(c.bytes, c.count))
            << std::string(c.bytes, c.count) << " / " << c.count;
}

struct CommandCase {
    const char16_t* path;
    const char16_t* command;
};

const CommandCase kCommands[] = {
    {u"C:\\vorkalun.exe", u"C:\\vorkalun.exe"},
    {u"C:\\Program Files\\vorkalun.exe", u"\"C:\\Program Files\\vorkalun.exe\""},
    {u"C:\\Программы\\Вор калун\\vorkalun.exe", u"\"C:\\Программы\\Вор калун\\vorkalun.exe\""},
    {u"C:\\tab\there\\v.exe", u"C:\\tab\there\\v.exe"},
    {u" ", u"\" \""},
    {u"", u""},
};

TEST(AutostartCommand, QuotesAPathThatHoldsASpace) {
    for (const CommandCase& c : kCommands) {
        const std::u16string path(c.path);
        const int length = static_cast<int>(path.size());
        std::unique_ptr<WideChar[]> out(new WideChar[length + 3]);
        const int written = settings::AutostartCommand(path.data(), length, out.get());
        EXPECT_EQ(std::u16string(c.command), std::u16string(out.get(), written));
        EXPECT_EQ(0, out[written]);
    }
}

TEST(AutostartCommand, QuotesOnlyWhileTheEntryAndItsTerminatorStillReadBack) {
    // The entry is written without a terminator and the platform stores one after it, so
    // what the read takes back is one unit longer than the command. The longest path the
    // program takes is 255 characters.
    const struct {
        int length;
        bool quoted;
    } cases[] = {{252, true}, {253, true}, {254, false}, {255, false}};
    for (const auto& c : cases) {
        std::u16string path = u"C:\\Program Files\\";
        path.resize(c.length - 4, u'x');
        path += u".exe";
        std::unique_ptr<WideChar[]> out(new WideChar[c.length + 3]);
        const int written = settings::AutostartCommand(path.data(), c.length, out.get());
        EXPECT_EQ(c.quoted, out[0] == u'"') << c.length;
        EXPECT_EQ(c.quoted ? c.length + 2 : c.length, written) << c.length;
        EXPECT_LE(written + 1, settings::kRunReadLimit) << c.length;
    }
}

}  // namespace
