// The settings' bytes without the platform: what the registry's data becomes in the program,
// which stored values are accepted, and the file the autostart entry runs and its command line.
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

enum {
    kPathCapacity = 256,   // 255 characters and a terminator: the longest path the entry takes
    kCopyNameLength = 13,  // "\vorkalun.exe": what the copy's path has beyond its folder's
};

// Whether `path` names a file inside `folder`, an absolute folder as the platform reports it:
// the folder's whole name (ASCII letters in either case), a backslash, then names that neither
// climb out ("..") nor stand still ("."), with no drive, stream or forward slash among them.
// "C:\Program Files Evil\x.exe" is not inside "C:\Program Files".
bool IsInsideFolder(const codepage::WideChar* path, const codepage::WideChar* folder);

// The program's copy that the autostart entry names where the program lies elsewhere:
// <folder>\VORKALUN\vorkalun.exe. Writes it, terminated, into `out` (kPathCapacity units) and
// returns its length; 0 when it would not fit.
int InstalledCopyPath(const codepage::WideChar* folder, codepage::WideChar* out);

// The file the autostart entry names, given the program's own path and the program-files
// folder: Windows starts it at every user's logon, so it must be one only administrators may
// change. The program itself where it lies inside the folder, otherwise its copy there
// (`*copy`). Writes it, terminated, into `out` (kPathCapacity units) and returns its length;
// 0, and never a file outside the folder, when there is none.
int AutostartFile(const codepage::WideChar* program, const codepage::WideChar* folder,
                  codepage::WideChar* out, bool* copy);

// The command line of the autostart entry: the path in double quotes, so that Windows cannot
// take a prefix of it for another program (C:\Program.exe). Quoted, a path of more than 253
// characters would not read back: the entry is written without a terminator and the platform
// stores one after it, which the read of kRunReadLimit takes too. Such a path goes bare where
// it holds no space, and not at all where it does, since bare it would be a search path.
// `out` holds length + 3 units; it is terminated. Returns the length written, 0 for none.
int AutostartCommand(const codepage::WideChar* path, int length, codepage::WideChar* out);

// Whether a stored autostart command of `count` units, quoted or bare, its terminators aside,
// names `file` (ASCII letters in either case).
bool NamesFile(const codepage::WideChar* command, int count, const codepage::WideChar* file);

}  // namespace settings
