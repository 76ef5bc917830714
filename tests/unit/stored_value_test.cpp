// The registry's data as the settings store's bytes: limits, the end of a text; the file the
// autostart entry names and the quoting of its command. Buffers are sized exactly, so
// AddressSanitizer sees any overrun.
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
    {u"C:\\vorkalun.exe", u"\"C:\\vorkalun.exe\""},
    {u"C:\\Program Files\\vorkalun.exe", u"\"C:\\Program Files\\vorkalun.exe\""},
    {u"C:\\Программы\\Вор калун\\vorkalun.exe", u"\"C:\\Программы\\Вор калун\\vorkalun.exe\""},
    {u"", u"\"\""},
};

TEST(AutostartCommand, QuotesThePath) {
    for (const CommandCase& c : kCommands) {
        const std::u16string path(c.path);
        const int length = static_cast<int>(path.size());
        std::unique_ptr<WideChar[]> out(new WideChar[length + 3]);
        const int written = settings::AutostartCommand(path.data(), length, out.get());
        EXPECT_EQ(std::u16string(c.command), std::u16string(out.get(), written));
        EXPECT_EQ(0, out[written]);
    }
}

TEST(AutostartCommand, APathTooLongToQuoteGoesBareWithoutASpaceAndNotAtAllWithOne) {
    // The entry is written without a terminator and the platform stores one after it, so
    // what the read takes back is one unit longer than the command. The longest path the
    // program takes is 255 characters.
    const struct {
        int length;
        bool spaced;
        int written;  // 0: nothing may be written
    } cases[] = {{253, true, 255},  {254, true, 0},     {255, true, 0},
                 {253, false, 255}, {254, false, 254},  {255, false, 255}};
    for (const auto& c : cases) {
        std::u16string path = c.spaced ? u"C:\\Program Files\\" : u"C:\\Programs\\";
        path.resize(c.length - 4, u'x');
        path += u".exe";
        std::unique_ptr<WideChar[]> out(new WideChar[c.length + 3]);
        const int written = settings::AutostartCommand(path.data(), c.length, out.get());
        EXPECT_EQ(c.written, written) << c.length << c.spaced;
        if (written == 0) continue;
        EXPECT_EQ(written == c.length + 2, out[0] == u'"') << c.length;
        EXPECT_LE(written + 1, settings::kRunReadLimit) << c.length;
    }
}

struct InsideCase {
    const char16_t* path;
    const char16_t* folder;
    bool inside;
};

const InsideCase kInside[] = {
    {u"C:\\Program Files\\VORKALUN\\vorkalun.exe", u"C:\\Program Files", true},
    {u"c:\\PROGRAM FILES\\x.exe", u"C:\\Program Files", true},
    {u"D:\\Apps\\x.exe", u"D:\\Apps\\", true},
    {u"C:\\x.exe", u"C:\\", true},
    {u"\\\\server\\share\\x.exe", u"\\\\server\\share", true},
    // Whole folder names only.
    {u"C:\\Program Files Evil\\x.exe", u"C:\\Program Files", false},
    {u"C:\\Program Files (x86)\\x.exe", u"C:\\Program Files", false},
    {u"C:\\Program Files", u"C:\\Program Files", false},
    {u"C:\\Progra", u"C:\\Program Files", false},
    // Steps out, or to somewhere else.
    {u"C:\\Program Files\\..\\Users\\x.exe", u"C:\\Program Files", false},
    {u"C:\\Program Files\\.\\x.exe", u"C:\\Program Files", false},
    {u"C:\\Program Files\\a/../../x.exe", u"C:\\Program Files", false},
    {u"C:\\Program Files\\\\x.exe", u"C:\\Program Files", false},
    {u"C:\\Program Files\\x.exe:stream", u"C:\\Program Files", false},
    // Letters outside ASCII are compared as they are; other paths to the same file are not
    // recognised, and the program is then copied in rather than trusted.
    {u"C:\\ПРОГРАММЫ\\x.exe", u"C:\\Программы", false},
    {u"C:\\PROGRA~1\\x.exe", u"C:\\Program Files", false},
    {u"\\\\?\\C:\\Program Files\\x.exe", u"C:\\Program Files", false},
    // A folder the platform did not give: nothing is inside it.
    {u"x.exe", u"", false},
    {u"Program Files\\x.exe", u"Program Files", false},
};

TEST(ProgramFiles, APathIsInsideOnlyUnderTheWholeFolderName) {
    for (const InsideCase& c : kInside)
        EXPECT_EQ(c.inside, settings::IsInsideFolder(c.path, c.folder))
            << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
}

struct PlacementCase {
    const char16_t* program;
    const char16_t* folder;
    const char16_t* file;  // empty: none
    bool copy;
};

const PlacementCase kPlacements[] = {
    {u"C:\\Users\\Ира\\Downloads\\vorkalun.exe", u"C:\\Program Files (x86)",
     u"C:\\Program Files (x86)\\VORKALUN\\vorkalun.exe", true},
    {u"D:\\Tools\\v.exe", u"C:\\", u"C:\\VORKALUN\\vorkalun.exe", true},
    {u"C:\\Program Files\\Jokes\\v.exe", u"C:\\Program Files", u"C:\\Program Files\\Jokes\\v.exe",
     false},
    {u"C:\\Program Files Evil\\vorkalun.exe", u"C:\\Program Files",
     u"C:\\Program Files\\VORKALUN\\vorkalun.exe", true},
    // The copy in place already names itself.
    {u"C:\\Program Files\\VORKALUN\\vorkalun.exe", u"C:\\Program Files",
     u"C:\\Program Files\\VORKALUN\\vorkalun.exe", false},
    // No folder, or none the platform would give: no file at all, never the program's own.
    {u"C:\\Tools\\v.exe", u"", u"", true},
    {u"C:\\Tools\\v.exe", u"Tools", u"", true},
};

TEST(AutostartFile, IsTheProgramInsideTheFolderOrItsCopyThereAndNeverOutside) {
    for (const PlacementCase& c : kPlacements) {
        WideChar out[settings::kPathCapacity];
        bool copy = !c.copy;
        const int length = settings::AutostartFile(c.program, c.folder, out, &copy);
        const std::u16string expected(c.file);
        EXPECT_EQ(static_cast<int>(expected.size()), length);
        if (length != 0) {
            EXPECT_EQ(expected, std::u16string(out, length));
        }
        EXPECT_EQ(c.copy, copy);
    }
}

TEST(AutostartFile, NoneWhereThePathDoesNotFit) {
    WideChar out[settings::kPathCapacity];
    bool copy = false;
    // The copy's path is the folder and 22 units: 255 fit, 256 do not.
    std::u16string folder = u"C:\\";
    folder.resize(233, u'f');
    EXPECT_EQ(255, settings::AutostartFile(u"C:\\v.exe", folder.c_str(), out, &copy));
    folder += u'f';
    EXPECT_EQ(0, settings::AutostartFile(u"C:\\v.exe", folder.c_str(), out, &copy));
    // The program inside, 256 units long.
    std::u16string program = u"C:\\Program Files\\";
    program.resize(256, u'x');
    EXPECT_EQ(0, settings::AutostartFile(program.c_str(), u"C:\\Program Files", out, &copy));
    EXPECT_FALSE(copy);
}

TEST(NamesFile, TheStoredCommandQuotedOrBareAnyCase) {
    const char16_t file[] = u"C:\\Program Files\\VORKALUN\\vorkalun.exe";
    const struct {
        std::u16string command;
        bool names;
    } cases[] = {
        {u"\"C:\\Program Files\\VORKALUN\\vorkalun.exe\"", true},
        {std::u16string(u"\"c:\\program files\\vorkalun\\VORKALUN.EXE\"\0", 41), true},
        {u"C:\\Program Files\\VORKALUN\\vorkalun.exe", true},
        {u"\"C:\\Program Files\\VORKALUN\\vorkalun.exe\" /x", false},
        {u"\"C:\\Program Files\\VORKALUN\\vorkalun.ex\"", false},
        {u"\"C:\\Program Files\\VORKALUN\\vorkalun.exe", false},
        {u"C:\\Users\\Ира\\vorkalun.exe", false},
        {u"\"", false},
        {u"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.names, settings::NamesFile(c.command.data(), static_cast<int>(c.command.size()),
                                               file))
            << c.command.size();
}

}  // namespace
