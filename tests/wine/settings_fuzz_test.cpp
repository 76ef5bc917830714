// Registry data that no one should have written: every value of the settings key given random
// bytes of random length and type, loaded in this process where the storage's edges can be
// watched, and by the real program at start-up; and a settings key that cannot be opened.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "caption/caption_table.h"
#include "program_support.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "settings_support.h"
#include "support.h"
#include "sweep_probe.h"

namespace {

using namespace settings_support;
using support::WaitUntil;

const DWORD kTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY, REG_NONE};
const int kTextLimit = 20, kOptionsLimit = 8;

bool IsString(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The platform's own 1251 table, to judge the program's conversion by.
struct Table1251 {
    wchar_t units[256];
    Table1251() {
        char bytes[256];
        for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
        MultiByteToWideChar(1251, 0, bytes, 256, units, 256);
    }
    char Narrow(wchar_t unit) const {
        for (int i = 0; i < 256; ++i)
            if (units[i] == unit) return static_cast<char>(i);
        return '?';
    }
    std::wstring Widen(const std::string& bytes) const {
        std::wstring wide;
        for (char byte : bytes) wide += units[static_cast<unsigned char>(byte)];
        return wide;
    }
};
const Table1251& Cp1251() {
    static const Table1251 table;
    return table;
}

struct Value {
    DWORD type;
    std::vector<BYTE> data;
};

// Units a text is likely made of, and some it should never hold.
const wchar_t kUnits[] = L"yynnyn &&aZ09>< ЁАБВЯабвяё№€Ђ\x98\xA0\x00E9\x4E2D\xD83D\xDE00\xFFFF";

// Random data, mostly around the read limits, sometimes far beyond; made of random bytes, or
// of units that make a text, for string types especially, so that many values are accepted.
Value RandomValue(std::mt19937& random, int limit) {
    auto pick = [&](int n) { return static_cast<int>(random() % n); };
    Value value;
    if (limit == kOptionsLimit && pick(2) == 0) {
        // Options the program takes, of every choice of logo and icon.
        value.type = kTypes[pick(3)];
        for (int i = pick(limit + 1); i > 0; --i) {
            const wchar_t unit = L"ynyn\0"[pick(5)];
            value.data.insert(value.data.end(), {static_cast<BYTE>(unit), 0});
        }
        return value;
    }
    value.type = kTypes[pick(6)];
    const int nearLimits[] = {0,         1,         limit - 1,     limit,         limit + 1,
                              2 * limit, 2 * limit, 2 * limit + 1, 2 * limit + 2, 2 * limit - 1};
    int size = pick(4) == 0 ? nearLimits[pick(10)] : pick(3 * limit);
    if (pick(20) == 0) size = 300 + pick(5000);
    value.data.resize(size);
    if (pick(3) == 0) {
        for (BYTE& byte : value.data) byte = static_cast<BYTE>(random());
    } else {
        const int units = sizeof kUnits / sizeof kUnits[0];  // the terminator too
        for (int i = 0; i + 1 < size; i += 2) {
            const wchar_t unit = kUnits[pick(units)];
            memcpy(&value.data[i], &unit, 2);
        }
        if (size % 2) value.data[size - 1] = static_cast<BYTE>(random());
    }
    return value;
}

// What the store makes of a value: the bytes a single-byte read gives on a 1251 Windows, one
// per unit of string data, or the data itself; nothing when more than the limit would come.
struct Read {
    bool fits;
    std::string bytes;
};

Read Expected(const Value& value, int limit) {
    Read read = {false, ""};
    if (IsString(value.type)) {
        const size_t units = value.data.size() / 2;
        if (units > static_cast<size_t>(limit)) return read;
        for (size_t i = 0; i < units; ++i) {
            wchar_t unit;
            memcpy(&unit, &value.data[2 * i], 2);
            read.bytes += Cp1251().Narrow(unit);
        }
    } else {
        if (value.data.size() > static_cast<size_t>(limit)) return read;
        read.bytes.assign(value.data.begin(), value.data.end());
    }
    read.fits = true;
    return read;
}

std::string UpToNul(const std::string& bytes) {
    return bytes.substr(0, strnlen(bytes.data(), bytes.size()));
}

// A whole key of random values, and what is expected of it after one load over the defaults.
struct Case {
    Value values[13];  // the twelve rows, then Options
    std::string texts[12];
    bool rewritten[13];
    std::string options;  // all eight bytes

    explicit Case(unsigned seed) {
        std::mt19937 random(seed);
        options.assign("yyyyyyy\0", 8);
        for (int row = 0; row < 13; ++row) {
            const int limit = row < 12 ? kTextLimit : kOptionsLimit;
            values[row] = RandomValue(random, limit);
            const Read read = Expected(values[row], limit);
            if (row < 12) {
                rewritten[row] = !read.fits;
                texts[row] = read.fits ? UpToNul(read.bytes) : kDefaults[row].text;
            } else {
                rewritten[row] = !read.fits || UpToNul(read.bytes).size() > 7;
                if (!rewritten[row]) options.replace(0, read.bytes.size(), read.bytes);
            }
        }
    }

    // The platform stores one unit more when a string's data is followed by a NUL unit, taking
    // it for a forgotten terminator; what follows these never is one.
    void Store() const {
        for (int row = 0; row < 13; ++row) {
            std::vector<BYTE> buffer = values[row].data;
            buffer.insert(buffer.end(), 3, 'X');
            StoreRaw(HKEY_CURRENT_USER, kProductKey, NameOf(row), values[row].type, buffer.data(),
                     static_cast<DWORD>(values[row].data.size()));
        }
    }

    // The key afterwards: what was taken is untouched; what was not is written back from the
    // memory as it was before the load.
    void ExpectStored(unsigned seed) const {
        for (int row = 0; row < 13; ++row) {
            const RawValue stored = ReadRaw(HKEY_CURRENT_USER, kProductKey, NameOf(row));
            if (!rewritten[row]) {
                EXPECT_TRUE(stored.found && stored.type == values[row].type &&
                            stored.data == values[row].data)
                    << "seed " << seed << " value " << row;
            } else if (row < 12) {
                EXPECT_TRUE(HoldsText(stored, kDefaults[row].units))
                    << "seed " << seed << " value " << row;
            } else {
                EXPECT_EQ(std::wstring(L"yyyyyyy\0", 8), stored.Units()) << "seed " << seed;
            }
        }
    }

    static const wchar_t* NameOf(int row) { return row < 12 ? kDefaults[row].name : L"Options"; }
};

class Fuzz : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
        ResetMemory();
    }
};

const char kGuard = '\x5A';

// The bytes past each row's limit and past the eight of Options are no writer's.
void PlaceGuards() {
    for (int row = 0; row < caption::kRowCount; ++row) {
        char* text = const_cast<char*>(caption::ReplacementText(row));
        for (int i = caption::kReplacementLimit + 1; i < caption::kReplacementStorage; ++i)
            text[i] = kGuard;
    }
    settings::Options[kOptionsLimit] = kGuard;
}

void ExpectGuards(unsigned seed) {
    for (int row = 0; row < caption::kRowCount; ++row) {
        const char* text = caption::ReplacementText(row);
        EXPECT_EQ('\0', text[caption::kReplacementLimit]) << "seed " << seed << " row " << row;
        for (int i = caption::kReplacementLimit + 1; i < caption::kReplacementStorage; ++i)
            EXPECT_EQ(kGuard, text[i]) << "seed " << seed << " row " << row;
    }
    EXPECT_EQ(kGuard, settings::Options[kOptionsLimit]) << "seed " << seed;
}

TEST_F(Fuzz, LoadTakesWhatFitsRepairsTheRestAndStaysWithinItsStorage) {
    const unsigned kSeeds = 2000;
    int taken = 0, repaired = 0;
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        Clean();
        const Case c(seed);
        c.Store();
        PlaceGuards();
        settings::LoadSettings();

        for (int row = 0; row < 12; ++row)
            EXPECT_EQ(c.texts[row], std::string(caption::ReplacementText(row)))
                << "seed " << seed << " row " << row;
        EXPECT_EQ(c.options, std::string(settings::Options, kOptionsLimit)) << "seed " << seed;
        ExpectGuards(seed);
        c.ExpectStored(seed);
        for (bool rewritten : c.rewritten) (rewritten ? repaired : taken)++;
        if (HasFailure()) break;
    }
    printf("%u keys of random values: %d values taken, %d repaired\n", kSeeds, taken, repaired);
}

// Where the single-byte calls speak 1251, they decide alike which values fit.
TEST_F(Fuzz, TheSingleByteReadAgreesOnWhatFits) {
    if (GetACP() != 1251) GTEST_SKIP() << "the single-byte calls speak another code page here";
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        const Case c(seed);
        c.Store();
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KoRDaX Software\\VORKALUN", 0,
                                KEY_READ, &key));
        for (int row = 0; row < 13; ++row) {
            const int limit = row < 12 ? kTextLimit : kOptionsLimit;
            char name[16], data[kTextLimit];
            WideCharToMultiByte(1251, 0, Case::NameOf(row), -1, name, 16, NULL, NULL);
            DWORD size = limit;
            const bool read = RegQueryValueExA(key, name, NULL, NULL, reinterpret_cast<BYTE*>(data),
                                               &size) == ERROR_SUCCESS;
            const Read expected = Expected(c.values[row], limit);
            EXPECT_EQ(expected.fits, read) << "seed " << seed << " value " << row;
            if (read && expected.fits) {
                EXPECT_EQ(expected.bytes.size(), size) << "seed " << seed << " value " << row;
            }
        }
        RegCloseKey(key);
        RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    }
}

// A key whose parent is volatile cannot have a lasting subkey, so the store cannot open its
// key: the nearest the registry comes, under Wine, to a key the user has no right to.
bool LockSettingsKey() {
    RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kVendorKey);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kVendorKey, 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KoRDaX Software\\VORKALUN", 0, NULL, 0,
                           KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS;
}

void UnlockSettingsKey() { RegDeleteKeyW(HKEY_CURRENT_USER, kVendorKey); }

class LockedKey : public Fuzz {
protected:
    void SetUp() override {
        Fuzz::SetUp();
        ASSERT_TRUE(LockSettingsKey());
    }
    void TearDown() override {
        UnlockSettingsKey();
        Fuzz::TearDown();
    }
};

TEST_F(LockedKey, LoadAndSaveLeaveTheMemoryAsItWas) {
    caption::SetReplacementText(0, "Своё", 20);
    SetOptionBytes("nnyynyy\0");
    PlaceGuards();
    settings::LoadSettings();
    settings::SaveSettings();
    EXPECT_EQ(std::string("Своё"), caption::ReplacementText(0));
    for (int row = 1; row < 12; ++row)
        EXPECT_EQ(std::string(kDefaults[row].text), caption::ReplacementText(row));
    EXPECT_EQ(std::string("nnyynyy\0", 8), std::string(settings::Options, kOptionsLimit));
    ExpectGuards(0);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

// The real program over random keys: what it took shows on other programs' buttons and in
// its logo and icon, what it repaired in the registry.
class ProgramOverRandomKeys : public program_support::Program {
protected:
    void TearDown() override {
        Program::TearDown();
        UnlockSettingsKey();
    }
    void EndProgram() {
        PostMessageW(program_support::MainWindow(), WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, support::WaitForExit(program_));
        support::EndProcess(program_);
        program_ = NULL;
    }
};

// Another program's buttons captioned with the twelve English captions, in row order.
HANDLE StartCaptionedButtons(HWND* host) {
    HANDLE helper =
        support::StartProgram(L"wine_helper.exe",
                              L"buttons \"Fuzzed texts\" No Cancel Yes OK Abort Retry Ignore Open "
                              L"Help Apply \"Next >\" \"< Back\"");
    *host = support::WaitForWindow(L"Fuzzed texts");
    WaitUntil([&] { return *host != NULL && GetDlgItem(*host, 12) != NULL; });
    return helper;
}

bool IsStandardCaption(const std::string& text) {
    return caption::FindCaptionRow(text.c_str()) != caption::kNoRow;
}

TEST_F(ProgramOverRandomKeys, ItStartsTakingWhatFitsAndRepairingTheRest) {
    SweepProbe probe;
    int logos = 0, icons = 0;
    const unsigned kSeeds = 12;
    for (unsigned seed = 1001; seed < 1001 + kSeeds; ++seed) {
        RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
        const Case c(seed);
        c.Store();
        Start(nullptr);
        // Once it sweeps, the logo and the icon have been decided.
        ASSERT_TRUE(probe.WaitForMore(1));
        EXPECT_EQ(c.options[0] == 'y', IsWindowVisible(program_support::MainWindow()) != FALSE)
            << "seed " << seed;
        EXPECT_EQ(c.options[1] != 'n', program_support::ShellHasOurIcon()) << "seed " << seed;
        logos += c.options[0] == 'y';
        icons += c.options[1] != 'n';

        HWND host = NULL;
        HANDLE helper = StartCaptionedButtons(&host);
        ASSERT_NE(nullptr, host);
        // A text that is itself a standard caption would be relabelled in turn.
        auto shown = [&](int row) {
            return IsStandardCaption(c.texts[row]) ||
                   support::WindowText(GetDlgItem(host, row + 1)) == Cp1251().Widen(c.texts[row]);
        };
        WaitUntil([&] {
            for (int row = 0; row < 12; ++row)
                if (!shown(row)) return false;
            return true;
        });
        for (int row = 0; row < 12; ++row)
            EXPECT_TRUE(shown(row)) << "seed " << seed << " row " << row;
        c.ExpectStored(seed);
        support::EndProcess(helper);
        EndProgram();
        if (HasFailure()) break;
    }
    printf("%u starts over random keys: the logo shown in %d, the icon in %d\n", kSeeds, logos,
           icons);
}

TEST_F(ProgramOverRandomKeys, AKeyItCannotOpenLeavesTheDefaultsAndTheProgramRunning) {
    ASSERT_TRUE(LockSettingsKey());
    SweepProbe probe;
    Start(nullptr);
    ASSERT_TRUE(probe.WaitForMore(1));
    EXPECT_TRUE(IsWindowVisible(program_support::MainWindow()));
    EXPECT_TRUE(program_support::ShellHasOurIcon());
    HWND host = NULL;
    HANDLE helper = StartCaptionedButtons(&host);
    ASSERT_NE(nullptr, host);
    EXPECT_TRUE(WaitUntil([&] {
        for (int row = 0; row < 12; ++row)
            if (support::WindowText(GetDlgItem(host, row + 1)) != kDefaults[row].units)
                return false;
        return true;
    }));
    support::EndProcess(helper);

    // The dialog loads and saves in vain, and nothing else is disturbed.
    HWND dialog = program_support::OpenSettingsWithHotkey();
    ASSERT_NE(nullptr, dialog);
    program_support::Click(dialog, IDC_TABLE_OK);
    EXPECT_TRUE(program_support::ClosesSoon(dialog));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    HWND box = AskToExitWithHotkey();
    ASSERT_NE(nullptr, box);
    PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, support::WaitForExit(program_));
}

}  // namespace
