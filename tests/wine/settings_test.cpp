// The settings store against the real registry: what it writes, what it accepts, how it mends
// itself, the autostart entry and the removal. Each case sets up the registry it needs.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "caption/caption_table.h"
#include "settings_support.h"
#include "support.h"

namespace {

using namespace settings_support;

// The memory as at start and no product key; the product key goes again afterwards.
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
        ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
        ResetMemory();
    }
    void TearDown() override {
        RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
        ResetMemory();
    }

    static RawValue Stored(const wchar_t* name) {
        return ReadRaw(HKEY_CURRENT_USER, kProductKey, name);
    }
    static void Store(const wchar_t* name, const std::wstring& units, bool terminated) {
        StoreUnits(HKEY_CURRENT_USER, kProductKey, name, units, terminated);
    }
    static void StoreTyped(const wchar_t* name, DWORD type, const std::string& bytes) {
        StoreRaw(HKEY_CURRENT_USER, kProductKey, name, type, bytes.data(),
                 static_cast<DWORD>(bytes.size()));
    }
    // A fresh process of the store, as a start of the program after this one has ended.
    static void StartFresh() {
        HANDLE helper = support::StartProgram(L"settings_helper.exe", L"load");
        ASSERT_NE(nullptr, helper);
        EXPECT_EQ(0u, support::WaitForExit(helper));
        CloseHandle(helper);
    }
};

TEST_F(Settings, FirstStartWritesAllThirteenValuesWithTheDefaults) {
    StartFresh();
    for (const Row& row : kDefaults)
        EXPECT_TRUE(HoldsText(Stored(row.name), row.units)) << row.name;
    const RawValue options = Stored(L"Options");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), options.type);
    EXPECT_EQ(std::wstring(L"yyyyyyy\0", 8), options.Units());  // with its terminator

    // Read back, the Cyrillic defaults arrive unchanged in any code page.
    for (int row = 0; row < caption::kRowCount; ++row) caption::SetReplacementText(row, "x", 1);
    SetOptionBytes("nnnnnnn\0");
    settings::LoadSettings();
    for (int row = 0; row < caption::kRowCount; ++row)
        EXPECT_STREQ(kDefaults[row].text, caption::ReplacementText(row)) << row;
    EXPECT_EQ(std::string("yyyyyyy\0\0", 9), OptionBytes());
}

struct TextCase {
    std::wstring stored;
    bool terminated;
    const char* expected;  // the text afterwards, in 1251
    bool rewritten;        // whether the value then holds the text in memory instead
};

const TextCase kTexts[] = {
    {L"Памагите, люди добр", true, "Памагите, люди добр", false},  // 19 and the terminator
    {L"Памагите, люди добры", true, "&Нафиг", true},               // 20 and the terminator
    {L"Памагите, люди добры", false, "Памагите, люди добры", false},
    {L"Памагите, люди добры!", false, "&Нафиг", true},
    {L"ab", false, "ab", false},  // never "abафиг"
    {L"", false, "", false},
    {L"", true, "", false},
    {std::wstring(L"ab\0cd", 5), false, "ab", false},
};

TEST_F(Settings, TextsAreTakenUpToTwentyBytesAndEndWhereTheirDataEnds) {
    for (const TextCase& c : kTexts) {
        ResetMemory();
        Store(L"No", c.stored, c.terminated);
        const RawValue before = Stored(L"No");
        settings::LoadSettings();
        EXPECT_STREQ(c.expected, caption::ReplacementText(0)) << c.stored.c_str();
        if (c.rewritten)
            EXPECT_TRUE(HoldsText(Stored(L"No"), L"&Нафиг")) << c.stored.c_str();
        else
            EXPECT_EQ(before, Stored(L"No")) << c.stored.c_str();
    }
}

TEST_F(Settings, ADeletedValueIsWrittenBackAtTheNextStart) {
    StartFresh();
    Store(L"No", L"Свой текст", false);
    DeleteValue(HKEY_CURRENT_USER, kProductKey, L"Help");
    ASSERT_FALSE(Stored(L"Help").found);

    StartFresh();
    EXPECT_TRUE(HoldsText(Stored(L"Help"), L"Памагите"));
    EXPECT_EQ(std::wstring(L"Свой текст"), Stored(L"No").Units());  // the others stay
}

struct OptionsCase {
    const wchar_t* stored;
    size_t units;
    const char* expected;  // all nine bytes of Options afterwards
    bool rewritten;
};

const OptionsCase kOptionCases[] = {
    {L"ynnnnnnn", 8, "nyyyyyy\0", true},  // eight characters, no room for a terminator
    {L"ynnnnnnnn", 10, "nyyyyyy\0", true}, {L"nnnnnnn", 8, "nnnnnnn\0", false},
    {L"yn", 3, "yn\0yyyy\0", false},  // only the bytes it brings
    {L"yn", 2, "ynyyyyy\0", false},
};

TEST_F(Settings, OptionsOfMoreThanSevenCharactersAreRewrittenFromMemory) {
    for (const OptionsCase& c : kOptionCases) {
        SetOptionBytes("nyyyyyy\0");
        const std::wstring units(c.stored, c.units);
        Store(L"Options", units, false);
        settings::LoadSettings();
        EXPECT_EQ(std::string(c.expected, 9), OptionBytes()) << c.stored << " " << c.units;
        const RawValue stored = Stored(L"Options");
        if (c.rewritten)
            EXPECT_EQ(std::wstring(L"nyyyyyy\0", 8), stored.Units()) << c.stored;
        else
            EXPECT_EQ(units, stored.Units()) << c.stored;
    }
}

struct TypedCase {
    DWORD type;
    std::string bytes;
    const char* expected;  // the text of row 0 afterwards
};

TEST_F(Settings, ValuesOfOtherTypesAreTakenAsBytesWithoutOverrun) {
    const TypedCase cases[] = {
        {REG_DWORD, std::string("abc\0", 4), "abc"},
        {REG_BINARY, "ab", "ab"},
        {REG_BINARY, std::string(20, '\xC9'), "ЙЙЙЙЙЙЙЙЙЙЙЙЙЙЙЙЙЙЙЙ"},
        {REG_BINARY, std::string(21, 'x'), "&Нафиг"},
        {REG_BINARY, std::string(40, 'x'), "&Нафиг"},
        {REG_BINARY, std::string(5000, 'x'), "&Нафиг"},
        {REG_MULTI_SZ, std::string("\x14\x04\x30\x04\0\0b\0\0\0\0\0", 12), "Да"},
        {REG_EXPAND_SZ, std::string("%\0P\0%\0\0\0", 8), "%P%"},  // not expanded
        {REG_NONE, "", ""},
    };
    for (const TypedCase& c : cases) {
        ResetMemory();
        StoreTyped(L"No", c.type, c.bytes);
        settings::LoadSettings();
        EXPECT_STREQ(c.expected, caption::ReplacementText(0)) << c.type << " " << c.bytes.size();
        // The next row and its constant captions are where an overrun would land first.
        EXPECT_STREQ("Н&ефиг", caption::ReplacementText(1));
        EXPECT_STREQ("Отмена", caption::RussianCaption(1));
        EXPECT_STREQ("Cancel", caption::EnglishCaption(1));
    }

    const TypedCase options[] = {
        {REG_BINARY, std::string(9, 'n'), "yyyyyyy\0"},
        {REG_BINARY, std::string(8, 'n'), "yyyyyyy\0"},
        {REG_DWORD, std::string("ny\0\0", 4), "ny\0\0yyy\0"},
        {REG_BINARY, std::string(300, 'n'), "yyyyyyy\0"},
    };
    for (const TypedCase& c : options) {
        SetOptionBytes("yyyyyyy\0");
        StoreTyped(L"Options", c.type, c.bytes);
        settings::LoadSettings();
        EXPECT_EQ(std::string(c.expected, 9), OptionBytes()) << c.bytes.size();
    }
}

TEST_F(Settings, SaveThenLoadRoundTripsEveryTextAndOptionsByteForByte) {
    const char* texts[caption::kRowCount] = {
        "",
        "Памагите, люди добр",  // the longest the dialog lets through
        "Ёё№€ЂЋЏ",              // letters outside the Western code page's reach too
        "\x98",                 // the one byte with no letter
        "&&",
        " пробел ",
        "Yes",
        "Нафиг",
        "",
        "1",
        "Круто >",
        "< Фуфло",
    };
    for (int row = 0; row < caption::kRowCount; ++row)
        caption::SetReplacementText(row, texts[row], caption::kReplacementLimit);
    SetOptionBytes("nynnyyn\0");
    settings::SaveSettings();

    EXPECT_TRUE(HoldsText(Stored(L"Yes"), L"Ёё№€ЂЋЏ"));
    EXPECT_TRUE(Stored(L"No").data.size() <= 2);  // an empty text is a value of length zero
    EXPECT_EQ(std::wstring(L"nynnyyn\0", 8), Stored(L"Options").Units());

    for (int row = 0; row < caption::kRowCount; ++row)
        caption::SetReplacementText(row, "затёрто", caption::kReplacementLimit);
    SetOptionBytes("yyyyyyy\0");
    settings::LoadSettings();
    for (int row = 0; row < caption::kRowCount; ++row)
        EXPECT_EQ(std::string(texts[row]), std::string(caption::ReplacementText(row))) << row;
    EXPECT_EQ(std::string("nynnyyn\0\0", 9), OptionBytes());
}

TEST_F(Settings, RemoveAllTakesTheProductKeyTheAutostartValueAndItsCopyOnly) {
    settings::LoadSettings();
    settings::AddAutostart();
    const wchar_t sibling[] = L"Software\\KoRDaX Software\\Another product";
    StoreUnits(HKEY_CURRENT_USER, sibling, L"Kept", L"yes", true);
    ASSERT_TRUE(settings::IsAutostartSet());

    settings::RemoveAllSettings();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kVendorKey));
    EXPECT_FALSE(Stored(L"No").found);
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, sibling, L"Kept").found);
    EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN").found);
    EXPECT_FALSE(settings::IsAutostartSet());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(InstalledCopy().c_str()));

    // A copy still running writes the key afresh at its next load.
    settings::LoadSettings();
    for (const Row& row : kDefaults) EXPECT_TRUE(HoldsText(Stored(row.name), row.units));
    RegDeleteKeyW(HKEY_CURRENT_USER, sibling);
}

// No autostart value and no installed copy before, none after.
class Autostart : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN");
        RemoveInstalledCopy();
    }

    static RawValue Stored() { return ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN"); }
    // The store's helper started from `program` with these arguments; its exit code.
    static DWORD RunHelper(const std::wstring& program, const wchar_t* arguments) {
        HANDLE process = support::StartProgramAt(program, arguments);
        const DWORD code = support::WaitForExit(process);
        support::EndProcess(process);
        return code;
    }
};

// This test program lies outside the program-files folder, as a download does.
TEST_F(Autostart, FromOutsideProgramFilesTheEntryNamesACopyThereThatGoesWithIt) {
    wchar_t path[MAX_PATH];
    const std::wstring own(path, GetModuleFileNameW(NULL, path, MAX_PATH));
    const std::wstring copy = InstalledCopy(), folder = InstalledFolder();
    EXPECT_FALSE(settings::IsAutostartSet());

    EXPECT_TRUE(settings::AddAutostart());
    EXPECT_TRUE(HoldsText(Stored(), Quoted(copy))) << Stored().Units().c_str();
    EXPECT_EQ(FileBytes(own), FileBytes(copy));
    EXPECT_TRUE(settings::IsAutostartSet());
    EXPECT_TRUE(settings::AddAutostart());  // again over the copy in place

    EXPECT_TRUE(settings::RemoveAutostart());
    EXPECT_FALSE(Stored().found);
    EXPECT_FALSE(Exists(copy));
    EXPECT_FALSE(Exists(folder));
    EXPECT_TRUE(settings::RemoveAutostart());  // twice is harmless, and what was asked

    // Nothing else goes: not the copy with an entry that names another file, nor that file,
    // nor what else the copy's folder holds.
    EXPECT_TRUE(settings::AddAutostart());
    const std::wstring kept = folder + L"\\kept.exe";
    CloseHandle(CreateFileW(kept.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
    StoreUnits(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN", Quoted(kept), false);
    EXPECT_TRUE(settings::RemoveAutostart());
    EXPECT_TRUE(Exists(copy));
    StoreUnits(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN", Quoted(copy), false);
    EXPECT_TRUE(settings::RemoveAutostart());
    EXPECT_FALSE(Exists(copy));
    EXPECT_TRUE(Exists(kept));
}

TEST_F(Autostart, ACopyThatCannotBeMadeOrReplacedWritesNoEntry) {
    const std::wstring copy = InstalledCopy();
    // Something else stands where the copy goes.
    ASSERT_TRUE(CreateDirectoryW(InstalledFolder().c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryW(copy.c_str(), NULL));
    EXPECT_FALSE(settings::AddAutostart());
    EXPECT_FALSE(Stored().found);
    RemoveDirectoryW(copy.c_str());

    // A copy that is running is never written over: with other bytes, adding fails; with the
    // program's own, the entry is written, and removing it leaves the file to the restart. The
    // other bytes are the helper's with one more at the end, which runs all the same and, unlike
    // a program with a window, starts none of Wine's own processes that would outlive the test.
    const std::wstring helper = support::BesideTests(L"settings_helper.exe");
    for (bool same : {false, true}) {
        ASSERT_TRUE(CopyFileW(helper.c_str(), copy.c_str(), FALSE));
        if (!same) std::ofstream(copy.c_str(), std::ios::binary | std::ios::app) << 'x';
        const std::vector<char> running = FileBytes(copy);
        HANDLE process = support::StartProgramAt(copy, L"wait");
        ASSERT_NE(nullptr, process);
        // Running once its file can no longer be opened for writing.
        ASSERT_TRUE(support::WaitUntil([&] {
            HANDLE file = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                      OPEN_EXISTING, 0, NULL);
            CloseHandle(file);
            return file == INVALID_HANDLE_VALUE;
        }));

        EXPECT_EQ(same ? 0u : 1u, RunHelper(helper, L"autostart")) << same;
        EXPECT_EQ(same, Stored().found);
        EXPECT_EQ(running, FileBytes(copy));
        if (same) {
            EXPECT_TRUE(settings::RemoveAutostart());
            EXPECT_FALSE(Stored().found);
            EXPECT_TRUE(IsDeletedAtRestart(copy));
            EXPECT_TRUE(IsDeletedAtRestart(InstalledFolder()));
            ForgetDeletionsAtRestart();
        }
        support::EndProcess(process);
    }
}

TEST_F(Autostart, ShowsWhereTheRunKeyCannotBeOpenedForWritingAndNothingElseIsTried) {
    StoreUnits(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN", L"C:\\elsewhere\\vorkalun.exe", false);
    const RawValue before = Stored();
    ASSERT_TRUE(settings::CanChangeAutostart());
    {
        ReadOnlyRunKey readOnly;
        EXPECT_FALSE(settings::CanChangeAutostart());
        EXPECT_TRUE(settings::IsAutostartSet());
        EXPECT_FALSE(settings::RemoveAutostart());
        EXPECT_FALSE(settings::AddAutostart());
        EXPECT_EQ(before, Stored());
        // Nor did the entry go to the user's own Run key instead, nor the copy anywhere.
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kRunKey, L"VORKALUN").found);
        EXPECT_FALSE(Exists(InstalledCopy()));
    }
    EXPECT_TRUE(settings::CanChangeAutostart());
    settings::RemoveAutostart();
    EXPECT_FALSE(Stored().found);
}

// The store's helper copied inside the program-files folder, where it names itself.
struct Placement {
    std::wstring directory;
    std::wstring command;  // empty where no entry may be written
};

const wchar_t kHelper[] = L"\\settings_helper.exe";

// A folder whose helper's full path is `length` characters long, holding a space (the folder's).
Placement Deep(size_t length, bool fits) {
    std::wstring directory = ProgramFiles() + L"\\vorkalun-tests\\deep";
    directory.resize(length - (sizeof kHelper / sizeof kHelper[0] - 1), L'x');
    const std::wstring path = directory + kHelper;
    return {directory, fits ? Quoted(path) : L""};
}

TEST_F(Autostart, InsideProgramFilesTheProgramNamesItselfQuotedWhileItFitsAndMakesNoCopy) {
    const std::wstring tests = ProgramFiles() + L"\\vorkalun-tests";
    const Placement placements[] = {
        {tests + L"\\Вор калун été", Quoted(tests + L"\\Вор калун été" + kHelper)},
        // Quoted, 255 units and the terminator the platform stores: the most the read takes.
        Deep(253, true),
        // Quoted, they would not read back, and bare, the space would make them a search path.
        Deep(254, false),
        Deep(255, false),
        // Cut by GetModuleFileName at the 256 units the store asks for: an entry that would
        // start nothing, so none is written, and the box reads none.
        Deep(256, false),
        Deep(259, false),
    };
    CreateDirectoryW(tests.c_str(), NULL);
    for (const Placement& p : placements) {
        DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN");
        ASSERT_TRUE(CreateDirectoryW(p.directory.c_str(), NULL)) << p.directory.size();
        const std::wstring copy = p.directory + kHelper;
        ASSERT_TRUE(
            CopyFileW(support::BesideTests(L"settings_helper.exe").c_str(), copy.c_str(), FALSE));

        EXPECT_EQ(p.command.empty() ? 1u : 0u, RunHelper(copy, L"autostart")) << copy.size();
        if (p.command.empty())
            EXPECT_FALSE(Stored().found) << copy.size();
        else
            EXPECT_TRUE(HoldsText(Stored(), p.command)) << Stored().Units().c_str();
        EXPECT_EQ(!p.command.empty(), settings::IsAutostartSet()) << copy.size();
        EXPECT_FALSE(Exists(InstalledCopy()));
        DeleteFileW(copy.c_str());
        RemoveDirectoryW(p.directory.c_str());
    }
    RemoveDirectoryW(tests.c_str());
}

struct RunValueCase {
    DWORD type;
    std::wstring units;
    bool terminated;
    bool found;
};

TEST_F(Autostart, AValueOverTwoHundredFiftySixBytesReadsAsAbsent) {
    const RunValueCase cases[] = {
        {REG_SZ, std::wstring(255, L'ж'), true, true},
        {REG_SZ, std::wstring(256, L'ж'), false, true},
        {REG_SZ, std::wstring(256, L'ж'), true, false},
        {REG_SZ, std::wstring(300, L'a'), true, false},
        {REG_SZ, L"", false, true},
        {REG_BINARY, std::wstring(128, L'a'), false, true},  // 256 bytes
        {REG_BINARY, std::wstring(129, L'a'), false, false},
    };
    for (const RunValueCase& c : cases) {
        if (c.type == REG_SZ)
            StoreUnits(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN", c.units, c.terminated);
        else
            StoreRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN", c.type, c.units.data(),
                     static_cast<DWORD>(c.units.size() * sizeof(wchar_t)));
        EXPECT_EQ(c.found, settings::IsAutostartSet())
            << c.type << " " << c.units.size() << " " << c.terminated;
    }
}

}  // namespace
