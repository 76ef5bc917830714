// The registry's data as the program's bytes. No platform code: this runs natively in the
// unit tests.
#include "settings/stored_value.h"

namespace settings {

int StoredBytes(const codepage::WideChar* data, unsigned long size, bool isString, char* out,
                int limit) {
    if (isString) {
        // Every unit narrows to one 1251 byte; an odd byte left over is no character and is
        // dropped, as the single-byte read drops it.
        const unsigned long units = size / sizeof(codepage::WideChar);
        if (units > static_cast<unsigned long>(limit)) return kDoesNotFit;
        codepage::NarrowUnits(data, static_cast<int>(units), out);
        return static_cast<int>(units);
    }
    // Other types arrive as they were stored, byte for byte.
    if (size > static_cast<unsigned long>(limit)) return kDoesNotFit;
    const char* bytes = reinterpret_cast<const char*>(data);
    for (unsigned long i = 0; i < size; ++i) out[i] = bytes[i];
    return static_cast<int>(size);
}

int TextLength(const char* bytes, int count) {
    int length = 0;
    while (length < count && bytes[length] != '\0') ++length;
    return length;
}

bool IsOptionsAccepted(const char* bytes, int count) {
    return count <= kOptionsReadLimit && TextLength(bytes, count) <= kOptionsCharacters;
}

namespace {

codepage::WideChar Folded(codepage::WideChar unit) {
    return unit >= 'a' && unit <= 'z' ? static_cast<codepage::WideChar>(unit - 'a' + 'A') : unit;
}

// Whether the first `count` units are the same, ASCII letters in either case; stops at a
// difference, so neither text is read past its terminator.
bool SameUnits(const codepage::WideChar* a, const codepage::WideChar* b, int count) {
    for (int i = 0; i < count; ++i)
        if (Folded(a[i]) != Folded(b[i])) return false;
    return true;
}

int Length(const codepage::WideChar* text) {
    int length = 0;
    while (text[length] != 0) ++length;
    return length;
}

// A folder's length without the separator a root ("C:\") is reported with.
int FolderLength(const codepage::WideChar* folder) {
    const int length = Length(folder);
    return length > 0 && folder[length - 1] == '\\' ? length - 1 : length;
}

// Names below a folder, separated by backslashes: none empty or only dots, and nothing that
// would name another drive, a stream or a path of its own.
bool IsPlainDescent(const codepage::WideChar* names) {
    int units = 0, dots = 0;
    for (;; ++names) {
        const codepage::WideChar unit = *names;
        if (unit == '\\' || unit == 0) {
            if (units == dots) return false;
            if (unit == 0) return true;
            units = dots = 0;
        } else if (unit == ':' || unit == '/') {
            return false;
        } else {
            ++units;
            dots += unit == '.';
        }
    }
}

int CopyInto(codepage::WideChar* out, int at, const codepage::WideChar* text) {
    while (*text != 0) out[at++] = *text++;
    out[at] = 0;
    return at;
}

const codepage::WideChar kCopyTail[] = WIDE_TEXT("\\VORKALUN\\vorkalun.exe");

}  // namespace

bool IsInsideFolder(const codepage::WideChar* path, const codepage::WideChar* folder) {
    // A drive or a share: a relative folder would be inside wherever the program stands.
    const bool absolute = (folder[0] != 0 && folder[1] == ':' && folder[2] == '\\') ||
                          (folder[0] == '\\' && folder[1] == '\\');
    const int length = FolderLength(folder);
    return absolute && SameUnits(path, folder, length) && path[length] == '\\' &&
           IsPlainDescent(path + length + 1);
}

int InstalledCopyPath(const codepage::WideChar* folder, codepage::WideChar* out) {
    const int length = FolderLength(folder);
    if (length + Length(kCopyTail) >= kPathCapacity) return 0;
    for (int i = 0; i < length; ++i) out[i] = folder[i];
    return CopyInto(out, length, kCopyTail);
}

int AutostartFile(const codepage::WideChar* program, const codepage::WideChar* folder,
                  codepage::WideChar* out, bool* copy) {
    *copy = !IsInsideFolder(program, folder);
    const int length = *copy                              ? InstalledCopyPath(folder, out)
                       : Length(program) < kPathCapacity ? CopyInto(out, 0, program)
                                                         : 0;
    // The elevated copy writes what this gives, so whatever it was handed, nothing outside.
    return length != 0 && IsInsideFolder(out, folder) ? length : 0;
}

int AutostartCommand(const codepage::WideChar* path, int length, codepage::WideChar* out) {
    const bool quoted = length + 2 + 1 <= kRunReadLimit;
    for (int i = 0; i < length && !quoted; ++i)
        if (path[i] == ' ') return 0;

    int written = 0;
    if (quoted) out[written++] = '"';
    for (int i = 0; i < length; ++i) out[written++] = path[i];
    if (quoted) out[written++] = '"';
    out[written] = 0;
    return written;
}

bool NamesFile(const codepage::WideChar* command, int count, const codepage::WideChar* file) {
    while (count > 0 && command[count - 1] == 0) --count;
    if (count >= 2 && command[0] == '"' && command[count - 1] == '"') ++command, count -= 2;
    return count == Length(file) && SameUnits(command, file, count);
}

}  // namespace settings
