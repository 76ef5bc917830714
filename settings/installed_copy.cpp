// The program's copy in the program-files folder: copied, compared and deleted with the wide
// file calls, a chunk at a time through static buffers.
#include "settings/installed_copy.h"

#include "settings/stored_value.h"

namespace settings {

namespace {

enum { kChunk = 4096 };
char Chunks[2][kChunk];

const WCHAR kZoneStream[] = L":Zone.Identifier";

HANDLE OpenToRead(const WCHAR* path) {
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       NULL, OPEN_EXISTING, 0, NULL);
}

bool SameChunk(DWORD count) {
    for (DWORD i = 0; i < count; ++i)
        if (Chunks[0][i] != Chunks[1][i]) return false;
    return true;
}

// Whether the two files hold the same bytes. A file that is running can still be read.
bool SameBytes(const WCHAR* a, const WCHAR* b) {
    const HANDLE first = OpenToRead(a), second = OpenToRead(b);
    DWORD counts[2];
    bool same;
    do {
        same = ReadFile(first, Chunks[0], kChunk, &counts[0], NULL) &&
               ReadFile(second, Chunks[1], kChunk, &counts[1], NULL) && counts[0] == counts[1] &&
               SameChunk(counts[0]);
    } while (same && counts[0] != 0);
    // A file that did not open is INVALID_HANDLE_VALUE, which is also this process's own
    // pseudo-handle: no file can be read through it, and closing it does nothing.
    CloseHandle(first);
    CloseHandle(second);
    return same;
}

// The copy's path cut back to its folder's, or brought back whole.
void CutToFolder(WCHAR* copy, int length) { copy[length - kCopyNameLength] = 0; }
void Restore(WCHAR* copy, int length) { copy[length - kCopyNameLength] = '\\'; }

}  // namespace

bool PlaceCopy(const WCHAR* program, WCHAR* copy, int length) {
    CutToFolder(copy, length);
    CreateDirectoryW(copy, NULL);
    Restore(copy, length);
    // The same bytes are not copied again: a copy that runs could not be replaced.
    if (!SameBytes(program, copy) && !CopyFileW(program, copy, FALSE)) return false;
    // CopyFile brings the mark of the web along, and with it Windows would stop the copy at
    // every logon with a security warning; the UAC prompt was the administrator's consent.
    // The mark lives in a stream of its own, deleted by its name.
    for (int i = 0; i <= kStreamSuffixLength; ++i) copy[length + i] = kZoneStream[i];
    DeleteFileW(copy);
    copy[length] = 0;
    return true;
}

void RemoveCopy(WCHAR* copy, int length) {
    const bool deleted = DeleteFileW(copy);
    // A running file cannot be deleted now; the platform deletes it at the next restart.
    if (!deleted) MoveFileExW(copy, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    CutToFolder(copy, length);
    if (!RemoveDirectoryW(copy) && !deleted) MoveFileExW(copy, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    Restore(copy, length);
}

}  // namespace settings
