// Windows-1251 <-> UTF-16 without the platform: the program keeps every text as 1251 bytes
// and hands the platform UTF-16, so it reads the same on a Windows of any ANSI code page.
#pragma once

namespace codepage {

#if defined(_WIN32)
typedef wchar_t WideChar;  // the platform's WCHAR
#define WIDE_TEXT(text) L##text
#else
typedef char16_t WideChar;
#define WIDE_TEXT(text) u##text
#endif

// Every 1251 byte is one UTF-16 unit and back, so lengths carry over unchanged. A unit that
// 1251 cannot show (a surrogate half included) becomes '?', with no best-fit guessing.
WideChar WidenByte(unsigned char byte);
char NarrowUnit(WideChar unit);

// Convert `count` units as they are, embedded NULs included; nothing is terminated.
void WidenBytes(const char* bytes, int count, WideChar* out);
void NarrowUnits(const WideChar* units, int count, char* out);

// Convert a NUL-terminated text into a buffer of `capacity` units (capacity >= 1), cutting
// it to capacity - 1 and terminating it. Returns the length written.
int ToWide(const char* text, WideChar* out, int capacity);
int FromWide(const WideChar* text, char* out, int capacity);

// Whether a text sent to a window that takes its texts through the machine's ANSI code page
// (one its program made with the single-byte calls) arrives as it is. On a Cyrillic or a UTF-8
// Windows it always does; on another only when `exact` converts it into that code page with
// no character lost or replaced by a look-alike.
bool ReachesAnsiWindow(unsigned codePage, const WideChar* text,
                       bool (*exact)(unsigned codePage, const WideChar* text));

}  // namespace codepage
