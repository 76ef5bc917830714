// The settings store's talk with the registry. Keys are opened by their ASCII paths; values go
// through the wide calls and the project's own 1251 conversion, so that on any Windows the
// program reads and writes exactly the bytes the single-byte calls give on a Cyrillic one.
#include "settings/settings.h"

#include <windows.h>

#include "caption/caption_table.h"
#include "caption/codepage.h"
#include "caption/remembered.h"
#include "settings/installed_copy.h"
#include "settings/stored_value.h"

#include <shlobj.h>

namespace settings {

// The eight bytes the registry sees, and a guard that no read or write reaches.
char Options[kOptionCount + 2] = "yyyyyyy";

namespace {

const char kSettingsKey[] = "Software\\KoRDaX Software\\VORKALUN";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "VORKALUN";
const char kOptionsValue[] = "Options";

enum { kNameCapacity = 16 };

// One thread and one operation at a time, so these serve every read and write.
WCHAR Name[kNameCapacity];
// Reads land here first: where the data does not fit, the platform leaves the destination
// undefined, and a failed read must leave the texts and Options as they were. One unit more
// than the longest limit: ReadValue allows an odd byte past the limit's units, and the read
// may write that byte here.
WCHAR ReadUnits[kRunReadLimit + 1];
char ReadBytes[kRunReadLimit];
// Data to write, quotes of the autostart command included, and the unit that follows it.
WCHAR WriteUnits[kPathCapacity + 3];
WCHAR Path[kPathCapacity];
// The program-files folder, which the platform fills up to MAX_PATH; the file the entry names,
// with room for the name of one of its streams.
WCHAR ProgramFiles[MAX_PATH];
WCHAR EntryFile[kPathCapacity + kStreamSuffixLength];

HKEY OpenKey(HKEY root, const char* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = NULL;
    if (RegCreateKeyExA(root, path, 0, NULL, 0, access, NULL, &key, NULL) != ERROR_SUCCESS)
        return NULL;
    return key;
}

// The program-files folder of this build, as the platform reports it ("Program Files (x86)"
// for the 32-bit program on 64-bit Windows): never from the environment, which the user sets.
bool FillProgramFiles() {
    ProgramFiles[0] = 0;
    return SHGetFolderPathW(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, ProgramFiles) ==
           S_OK;
}

// Whether this process may add to the program-files folder, asked of the folder itself by
// opening it for adding, which creates nothing. A standard user, or an administrator's
// program without elevation, is refused.
bool MayWriteProgramFiles() {
    if (!FillProgramFiles()) return false;
    const HANDLE folder = CreateFileW(
        ProgramFiles, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, NULL);  // the flag that lets a folder be opened at all
    if (folder == INVALID_HANDLE_VALUE) return false;
    CloseHandle(folder);
    return true;
}

// The machine's Run key as the autostart entry's writers open it, where they may also write
// the program-files folder that the entry's file lies in (ProgramFiles then holds it); no key
// otherwise. A standard user, or an administrator's program without elevation, is refused
// both; the key is not virtualized, and no other key is tried in its place.
HKEY OpenForChange() {
    return MayWriteProgramFiles() ? OpenKey(HKEY_LOCAL_MACHINE, kRunKey) : NULL;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Reads a value into ReadBytes as the single-byte call would, allowing `limit` bytes. Returns
// their count, or kDoesNotFit when the value is missing or larger.
int ReadValue(HKEY key, const char* name, int limit) {
    codepage::ToWide(name, Name, kNameCapacity);
    DWORD type = REG_NONE;
    // String data is judged after narrowing, one byte per unit, so the wide read allows twice
    // the limit, and one odd byte more, which narrowing drops.
    DWORD size = limit * sizeof(WCHAR) + 1;
    if (RegQueryValueExW(key, Name, NULL, &type, reinterpret_cast<BYTE*>(ReadUnits), &size) !=
        ERROR_SUCCESS)
        return kDoesNotFit;
    return StoredBytes(ReadUnits, size, IsStringType(type), ReadBytes, limit);
}

// Writes units as a string value of `count` units. Callers leave a terminator in the unit
// after them, where the narrow text has its own: the platform looks there and may store it
// too, and the stored data must be what the single-byte call stores.
bool WriteUnitsAs(HKEY key, const char* name, int count) {
    codepage::ToWide(name, Name, kNameCapacity);
    return RegSetValueExW(key, Name, 0, REG_SZ, reinterpret_cast<const BYTE*>(WriteUnits),
                          count * sizeof(WCHAR)) == ERROR_SUCCESS;
}

// `bytes` must be readable one byte past `count`: that byte is widened too.
void WriteBytes(HKEY key, const char* name, const char* bytes, int count) {
    codepage::WidenBytes(bytes, count + 1, WriteUnits);
    WriteUnitsAs(key, name, count);
}

// A text goes without its terminator: an empty text is a value of length zero.
void WriteText(HKEY key, int row) {
    const char* text = caption::ReplacementText(row);
    WriteBytes(key, caption::EnglishCaption(row), text,
               TextLength(text, caption::kReplacementLimit));
}

// Options goes whole, its eighth byte included; the guard follows it.
void WriteOptions(HKEY key) { WriteBytes(key, kOptionsValue, Options, kOptionsReadLimit); }

void LoadText(HKEY key, int row) {
    const int count = ReadValue(key, caption::EnglishCaption(row), kTextReadLimit);
    if (count == kDoesNotFit)
        WriteText(key, row);
    else  // buttons relabelled with the phrase a reload replaces get the new one
        caption::ChangePhrase(row, ReadBytes, count);
}

void LoadOptions(HKEY key) {
    const int count = ReadValue(key, kOptionsValue, kOptionsReadLimit);
    if (count == kDoesNotFit || !IsOptionsAccepted(ReadBytes, count)) {
        WriteOptions(key);
        return;
    }
    // A shorter value replaces only the bytes it brings.
    for (int i = 0; i < count; ++i) Options[i] = ReadBytes[i];
}

}  // namespace

void LoadSettings() {
    HKEY key = OpenKey(HKEY_CURRENT_USER, kSettingsKey);
    if (key == NULL) return;
    for (int row = 0; row < caption::kRowCount; ++row) LoadText(key, row);
    LoadOptions(key);
    RegCloseKey(key);
}

void SaveSettings() {
    HKEY key = OpenKey(HKEY_CURRENT_USER, kSettingsKey);
    if (key == NULL) return;
    for (int row = 0; row < caption::kRowCount; ++row) WriteText(key, row);
    WriteOptions(key);
    RegCloseKey(key);
}

bool IsAutostartSet() {
    // Read-only, which every user is granted: the entry shows even where it cannot be changed.
    HKEY key = OpenKey(HKEY_LOCAL_MACHINE, kRunKey, KEY_QUERY_VALUE);
    if (key == NULL) return false;
    const bool found = ReadValue(key, kRunValue, kRunReadLimit) != kDoesNotFit;
    RegCloseKey(key);
    return found;
}

bool CanChangeAutostart() {
    HKEY key = OpenForChange();
    if (key == NULL) return false;
    RegCloseKey(key);
    return true;
}

namespace {

// The length of the program's path in Path, or 0 when it does not fit whole. Wide, so that a
// path with characters outside the machine's code page stays runnable. A path too long comes
// back cut, with the capacity as its length (and, before Vista, unterminated).
DWORD FillPath() {
    const DWORD length = GetModuleFileNameW(NULL, Path, kPathCapacity);
    return length < kPathCapacity ? length : 0;
}

int EntryFileLength;

// Fills EntryFile with the file the entry names and WriteUnits with the entry's data; returns
// the data's length, 0 where no entry can be made. `copy`: whether the file is the copy.
int PrepareEntry(bool* copy) {
    if (FillPath() == 0 || !FillProgramFiles()) return 0;
    EntryFileLength = AutostartFile(Path, ProgramFiles, EntryFile, copy);
    return EntryFileLength != 0 ? AutostartCommand(EntryFile, EntryFileLength, WriteUnits) : 0;
}

}  // namespace

const wchar_t* ProgramPath() { return FillPath() != 0 ? Path : NULL; }

bool CanMakeAutostart() {
    bool copy;
    return PrepareEntry(&copy) != 0;
}

bool AddAutostart() {
    bool copy = false;
    const int count = PrepareEntry(&copy);
    if (count == 0) return false;
    HKEY key = OpenForChange();
    if (key == NULL) return false;
    // No entry without its file: where the copy cannot be made, nothing is written.
    const bool written = (!copy || PlaceCopy(Path, EntryFile, EntryFileLength)) &&
                         WriteUnitsAs(key, kRunValue, count);
    RegCloseKey(key);
    return written;
}

bool RemoveAutostart() {
    HKEY key = OpenForChange();
    if (key == NULL) return false;
    // The copy goes with an entry that names it, and no other file with any entry. Opening
    // for the change has filled in the program-files folder.
    const int copyLength = InstalledCopyPath(ProgramFiles, EntryFile);
    const int count = ReadValue(key, kRunValue, kRunReadLimit);
    const bool namesCopy =
        copyLength != 0 && count != kDoesNotFit && NamesFile(ReadUnits, count, EntryFile);
    const LONG result = RegDeleteValueW(key, Name);  // the read left the value's name there
    RegCloseKey(key);
    const bool removed = result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    if (removed && namesCopy) RemoveCopy(EntryFile, copyLength);
    return removed;
}

void RemoveAllSettings() {
    // Only the product's own key: "Software\KoRDaX Software" may hold other products.
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    RemoveAutostart();
}

}  // namespace settings
