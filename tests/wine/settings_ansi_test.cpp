// On a Cyrillic Windows the store must be indistinguishable from one built on the single-byte
// registry calls: the same data stored, the same bytes read. Runs where the ANSI code page is
// 1251, the only place those calls speak the program's code page.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "caption/caption_table.h"
#include "settings/settings.h"
#include "settings_support.h"

namespace {

using namespace settings_support;

const char kByteKey[] = "Software\\KoRDaX Software\\VORKALUN written byte-wise";
const wchar_t kByteKeyW[] = L"Software\\KoRDaX Software\\VORKALUN written byte-wise";

class ByteCalls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(1251u, GetACP());
        Clean();
    }
    void TearDown() override { Clean(); }

    static void Clean() {
        RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kByteKeyW);
        DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN");
        RemoveInstalledCopy();
        ResetMemory();
    }
    static HKEY OpenByteKey() {
        HKEY key = NULL;
        RegCreateKeyExA(HKEY_CURRENT_USER, kByteKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
        return key;
    }
};

TEST_F(ByteCalls, SaveStoresWhatTheSingleByteCallsStore) {
    const char* texts[caption::kRowCount] = {
        "",
        "Памагите, люди добр",
        "Памагите, люди добры",
        "Ёё№€ЂЋЏ",
        "\x98",
        "&&",
        " ",
        "Нафиг",
        "Yes",
        "Отворяй",
        "Круто >",
        "< Фуфло",
    };
    for (int row = 0; row < caption::kRowCount; ++row)
        caption::SetReplacementText(row, texts[row], caption::kReplacementLimit);
    // A 20-character text and an eighth Options byte that is not NUL: where the platform
    // decides for itself whether a terminator follows the data, it must decide alike.
    SetOptionBytes("nyn\0ynyn");
    settings::SaveSettings();

    HKEY key = OpenByteKey();
    ASSERT_NE(nullptr, key);
    for (int row = 0; row < caption::kRowCount; ++row) {
        const char* text = caption::ReplacementText(row);
        RegSetValueExA(key, caption::EnglishCaption(row), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text), lstrlenA(text));
    }
    RegSetValueExA(key, "Options", 0, REG_SZ, reinterpret_cast<const BYTE*>(settings::Options), 8);
    RegCloseKey(key);

    for (const Row& row : kDefaults)
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kByteKeyW, row.name),
                  ReadRaw(HKEY_CURRENT_USER, kProductKey, row.name))
            << row.name;
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kByteKeyW, L"Options"),
              ReadRaw(HKEY_CURRENT_USER, kProductKey, L"Options"));
}

TEST_F(ByteCalls, TheAutostartEntryIsWhatTheSingleByteCallStores) {
    // This test program lies outside the program-files folder: the entry names its copy there.
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, folder);
    const std::string command = std::string("\"") + folder + "\\VORKALUN\\vorkalun.exe\"";
    HKEY key = OpenByteKey();
    ASSERT_NE(nullptr, key);
    RegSetValueExA(key, "VORKALUN", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.data()),
                   static_cast<DWORD>(command.size()));
    RegCloseKey(key);

    ASSERT_TRUE(settings::AddAutostart());
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kByteKeyW, L"VORKALUN"),
              ReadRaw(HKEY_LOCAL_MACHINE, kRunKey, L"VORKALUN"));
}

struct Stored {
    DWORD type;
    std::wstring data;  // what lies in memory at the write, one unit past `size` included
    DWORD size;         // bytes written
};

const std::wstring k19 = L"Памагите, люди добр";
const std::wstring k20 = L"Памагите, люди добры";

const Stored kStored[] = {
    {REG_SZ, std::wstring(L"Пофиг\0", 6), 12},
    {REG_SZ, L"ПофигX", 10},
    {REG_SZ, k19 + L'\0', 40},
    {REG_SZ, k19 + L'\0', 39},
    {REG_SZ, k20 + L"X", 40},
    {REG_SZ, k20 + L'\0', 41},
    {REG_SZ, k20 + L'\0', 42},
    {REG_SZ, L"X", 0},
    {REG_SZ, std::wstring(L"Ёё№€\x98\0", 6), 12},
    {REG_EXPAND_SZ, std::wstring(L"%P%\0", 4), 8},
    {REG_MULTI_SZ, std::wstring(L"Да\0b\0\0", 6), 12},
    {REG_BINARY, L"abX", 4},
    {REG_BINARY, std::wstring(10, L'Й'), 20},
    {REG_BINARY, std::wstring(11, L'Й'), 21},
    {REG_DWORD, std::wstring(L"Я\0", 2), 4},
};

TEST_F(ByteCalls, LoadReadsWhatTheSingleByteCallReads) {
    for (const Stored& s : kStored) {
        ResetMemory();
        StoreRaw(HKEY_CURRENT_USER, kProductKey, L"No", s.type, s.data.data(), s.size);

        // What a read straight into the row's storage gives, that storage ending where the
        // data ends, before the store has had a chance to mend anything.
        char row[caption::kReplacementLimit + 4] = "&Нафиг";
        DWORD size = caption::kReplacementLimit;
        HKEY key;
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KoRDaX Software\\VORKALUN", 0, KEY_READ, &key);
        const bool read = RegQueryValueExA(key, "No", NULL, NULL, reinterpret_cast<BYTE*>(row),
                                           &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        const std::string expected = read ? std::string(row, strnlen(row, size)) : "&Нафиг";

        settings::LoadSettings();
        EXPECT_EQ(expected, std::string(caption::ReplacementText(0))) << s.type << " " << s.size;
    }
}

}  // namespace
