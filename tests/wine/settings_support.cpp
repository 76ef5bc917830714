#include "settings_support.h"

#include <sddl.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "caption/caption_table.h"
#include "settings/settings.h"

namespace settings_support {

namespace {

// The registry view of the build under test, which is the tests' own width. On 64-bit Windows
// the shipped 32-bit program reaches HKLM\SOFTWARE through the 32-bit view (WOW6432Node), the
// 64-bit test build through the native one; the current user's keys are the same in both.
#ifdef _WIN64
const REGSAM kView = KEY_WOW64_64KEY;
#else
const REGSAM kView = KEY_WOW64_32KEY;
#endif

}  // namespace

const wchar_t kProductKey[] = L"Software\\KoRDaX Software\\VORKALUN";
const wchar_t kVendorKey[] = L"Software\\KoRDaX Software";
const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

const Row kDefaults[12] = {
    {L"No", "&Нафиг", L"&Нафиг"},
    {L"Cancel", "Н&ефиг", L"Н&ефиг"},
    {L"Yes", "Пофиг", L"Пофиг"},
    {L"OK", "В натуре", L"В натуре"},
    {L"Abort", "С&тоять", L"С&тоять"},
    {L"Retry", "&Не понял", L"&Не понял"},
    {L"Ignore", "&Проехали", L"&Проехали"},
    {L"Open", "Отворяй", L"Отворяй"},
    {L"Help", "Памагите", L"Памагите"},
    {L"Apply", "Забей!!!", L"Забей!!!"},
    {L"Next >", "Круто >", L"Круто >"},
    {L"< Back", "< Фуфло", L"< Фуфло"},
};

std::wstring RawValue::Units() const {
    std::wstring units(data.size() / 2, L'\0');
    if (!units.empty()) memcpy(&units[0], data.data(), units.size() * 2);
    return units;
}

RawValue ReadRaw(HKEY root, const wchar_t* path, const wchar_t* name) {
    RawValue value;
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | kView, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, NULL, &value.type, NULL, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        value.found = RegQueryValueExW(key, name, NULL, &value.type, value.data.data(), &size) ==
                      ERROR_SUCCESS;
        value.data.resize(size);
    }
    RegCloseKey(key);
    return value;
}

void StoreRaw(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const void* data,
              DWORD size) {
    HKEY key;
    if (RegCreateKeyExW(root, path, 0, NULL, 0, KEY_ALL_ACCESS | kView, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void StoreUnits(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& units,
                bool terminated) {
    const std::wstring buffer = units + (terminated ? L'\0' : L'X');
    StoreRaw(root, path, name, REG_SZ, buffer.data(),
             static_cast<DWORD>((units.size() + (terminated ? 1 : 0)) * sizeof(wchar_t)));
}

void DeleteValue(HKEY root, const wchar_t* path, const wchar_t* name) {
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS | kView, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | kView, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool HoldsText(const RawValue& value, const std::wstring& units) {
    if (!value.found || value.type != REG_SZ || value.data.size() % 2 != 0) return false;
    const std::wstring stored = value.Units();
    return stored == units || stored == units + L'\0';
}

namespace {

HKEY OpenRunKeySecurity() {
    HKEY key = NULL;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, READ_CONTROL | WRITE_DAC, &key);
    return key;
}

}  // namespace

ReadOnlyRunKey::ReadOnlyRunKey() {
    HKEY key = OpenRunKeySecurity();
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, NULL, &size);
    saved_.resize(size);
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved_.data(), &size);
    // The same list with a denial of KEY_SET_VALUE to everyone in front of it.
    wchar_t* text = NULL;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(saved_.data(), SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, NULL);
    std::wstring denied = text ? text : L"D:";
    LocalFree(text);
    const size_t entries = denied.find(L'(');
    denied.insert(entries == std::wstring::npos ? denied.size() : entries, L"(D;;0x2;;;WD)");
    PSECURITY_DESCRIPTOR descriptor = NULL;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(denied.c_str(), SDDL_REVISION_1,
                                                         &descriptor, NULL);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    RegCloseKey(key);
}

ReadOnlyRunKey::~ReadOnlyRunKey() {
    HKEY key = OpenRunKeySecurity();
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, saved_.data());
    RegCloseKey(key);
}

std::wstring ProgramFiles() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

std::wstring InstalledFolder() { return ProgramFiles() + L"\\VORKALUN"; }
std::wstring InstalledCopy() { return InstalledFolder() + L"\\vorkalun.exe"; }

std::wstring Quoted(const std::wstring& path) { return L'"' + path + L'"'; }

void RemoveInstalledCopy() {
    const std::wstring folder = InstalledFolder();
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring path = folder + L"\\" + found.cFileName;
            if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<char> FileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingDeletions[] = L"PendingFileRenameOperations";

}  // namespace

bool IsDeletedAtRestart(const std::wstring& path) {
    // Pairs of NT paths, "\??\C:\..." and an empty one for a deletion.
    const std::wstring pending = ReadRaw(HKEY_LOCAL_MACHINE, kSessionManager, kPendingDeletions).Units();
    return pending.find(L"\\??\\" + path + std::wstring(2, L'\0')) != std::wstring::npos;
}

void ForgetDeletionsAtRestart() {
    DeleteValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingDeletions);
}

void ResetMemory() {
    for (int row = 0; row < caption::kRowCount; ++row)
        caption::SetReplacementText(row, kDefaults[row].text, caption::kReplacementLimit);
    SetOptionBytes("yyyyyyy\0");
}

std::string OptionBytes() { return std::string(settings::Options, 9); }

void SetOptionBytes(const char (&bytes)[9]) { memcpy(settings::Options, bytes, 9); }

}  // namespace settings_support
