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

int AutostartCommand(const codepage::WideChar* path, int length, codepage::WideChar* out) {
    bool spaced = false;
    for (int i = 0; i < length; ++i)
        if (path[i] == ' ') spaced = true;
    // Quotes that would make the entry too long to read back would lose it instead. It is
    // written without a terminator, and the platform stores one after it: that unit is read
    // back too.
    if (length + 2 + 1 > kRunReadLimit) spaced = false;

    int written = 0;
    if (spaced) out[written++] = '"';
    for (int i = 0; i < length; ++i) out[written++] = path[i];
    if (spaced) out[written++] = '"';
    out[written] = 0;
    return written;
}

}  // namespace settings
