// What the settings tests share: the registry read and written raw, below the store's own
// conversion, and the store's memory put back to its state at start.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace settings_support {

extern const wchar_t kProductKey[];  // under HKEY_CURRENT_USER
extern const wchar_t kVendorKey[];   // its parent
extern const wchar_t kRunKey[];      // under HKEY_LOCAL_MACHINE

struct Row {
    const wchar_t* name;
    const char* text;      // 1251 bytes, as the program holds it
    const wchar_t* units;  // the same text as the registry holds it
};
// The value names and default texts of the twelve rows, in order.
extern const Row kDefaults[12];

struct RawValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    std::wstring Units() const;
    bool operator==(const RawValue& other) const {
        return found == other.found && type == other.type && data == other.data;
    }
};

RawValue ReadRaw(HKEY root, const wchar_t* path, const wchar_t* name);
void StoreRaw(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const void* data,
              DWORD size);
// A string value of exactly these units: with `terminated`, one NUL unit more; without, the
// unit after them is not NUL, so that no platform adds a terminator of its own.
void StoreUnits(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& units,
                bool terminated);
void DeleteValue(HKEY root, const wchar_t* path, const wchar_t* name);
bool KeyExists(HKEY root, const wchar_t* path);

// True when the stored data is these units, with or without a terminator after them: texts
// are written without one, and whether the platform adds it is the platform's affair.
bool HoldsText(const RawValue& value, const std::wstring& units);

// While it lives, the machine's Run key refuses to be opened for setting values, to everyone,
// as it refuses a standard user on Windows; it can still be read, and its former security
// is put back at the end.
class ReadOnlyRunKey {
public:
    ReadOnlyRunKey();
    ~ReadOnlyRunKey();
    ReadOnlyRunKey(const ReadOnlyRunKey&) = delete;
    ReadOnlyRunKey& operator=(const ReadOnlyRunKey&) = delete;

private:
    std::vector<BYTE> saved_;
};

// The program-files folder as this build reports it, and the program's copy there that the
// autostart entry names where the program lies elsewhere.
std::wstring ProgramFiles();
std::wstring InstalledCopy();
std::wstring InstalledFolder();
std::wstring Quoted(const std::wstring& path);
// The copy gone, whatever else its folder held, and the folder with it.
void RemoveInstalledCopy();
std::vector<char> FileBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// Whether the platform holds `path` for deletion at the next restart; forgetting them all.
bool IsDeletedAtRestart(const std::wstring& path);
void ForgetDeletionsAtRestart();

// The twelve defaults and "yyyyyyy" back in memory, as at start.
void ResetMemory();
// All nine bytes of Options, the guard included.
std::string OptionBytes();
void SetOptionBytes(const char (&bytes)[9]);

}  // namespace settings_support
