// The settings' bytes without the platform: what the registry's data becomes in the program,
// which stored values are accepted, and the command line the autostart entry runs.
#pragma once

#include "caption/codepage.h"

namespace settings {

enum {
    kTextReadLimit = 20,     // a replacement text: 19 characters and a terminator, or 20 bare
    kOptionsReadLimit = 8,   // "Options": seven characters and a terminator
    kRunReadLimit = 256,     // the autostart command line
    kOptionsCharacters = 7,  // the most characters an accepted "Options" may carry
    kDoesNotFit = -1,
};

// The bytes a single-byte (ANSI) read would deliver on a Windows-1251 machine, given the data
// as the wide read returned it: `size` bytes, which are UTF-16 units when `isString` (the
// three string types) and raw bytes otherwise. Writes them to `out` and returns their count,
// or kDoesNotFit when there are more than `limit`; nothing past out[limit - 1] is touched.
int StoredBytes(const codepage::WideChar* data, unsigned long size, bool isString, char* out,
                int limit);

// Where a text read as `count` bytes ends: at its first NUL, or after its last byte when the
// data carried no terminator of its own.
int TextLength(const char* bytes, int count);

// A read "Options" of `count` bytes is taken when it carries at most seven characters;
// eight bytes without a terminator are eight characters and are not.
bool IsOptionsAccepted(const char* bytes, int count);

// The command line of the autostart entry: the program's path, in double quotes when it holds
// a space, so that Windows cannot take a prefix of it for another program (C:\Program.exe);
// bare when the quotes and the terminator the platform stores after them would take it past
// kRunReadLimit, where the entry would read as absent: quoted up to 253 characters.
// `out` holds length + 3 units; it is terminated. Returns the length written.
int AutostartCommand(const codepage::WideChar* path, int length, codepage::WideChar* out);

}  // namespace settings
