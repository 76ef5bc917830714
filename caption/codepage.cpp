// The 1251 table as Windows defines it; 0x98 has no letter and passes through as U+0098.
#include "caption/codepage.h"

namespace codepage {

namespace {

// clang-format off
// 0x80..0xBF; 0xC0..0xFF are the 64 letters А..я in order, taken by arithmetic both ways.
const WideChar kUpperQuarter[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};
// clang-format on

}  // namespace

WideChar WidenByte(unsigned char byte) {
    if (byte < 0x80) return static_cast<WideChar>(byte);
    return byte < 0xC0 ? kUpperQuarter[byte - 0x80] : static_cast<WideChar>(0x0410 + byte - 0xC0);
}

char NarrowUnit(WideChar unit) {
    if (unit < 0x80) return static_cast<char>(unit);
    if (unit >= 0x0410 && unit <= 0x044F) return static_cast<char>(0xC0 + (unit - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kUpperQuarter[i] == unit) return static_cast<char>(0x80 + i);
    return '?';
}

void WidenBytes(const char* bytes, int count, WideChar* out) {
    for (int i = 0; i < count; ++i) out[i] = WidenByte(static_cast<unsigned char>(bytes[i]));
}

void NarrowUnits(const WideChar* units, int count, char* out) {
    for (int i = 0; i < count; ++i) out[i] = NarrowUnit(units[i]);
}

int ToWide(const char* text, WideChar* out, int capacity) {
    int length = 0;
    while (length < capacity - 1 && text[length] != '\0') {
        out[length] = WidenByte(static_cast<unsigned char>(text[length]));
        ++length;
    }
    out[length] = 0;
    return length;
}

int FromWide(const WideChar* text, char* out, int capacity) {
    int length = 0;
    while (length < capacity - 1 && text[length] != 0) {
        out[length] = NarrowUnit(text[length]);
        ++length;
    }
    out[length] = '\0';
    return length;
}

bool ReachesAnsiWindow(unsigned codePage, const WideChar* text,
                       bool (*exact)(unsigned codePage, const WideChar* text)) {
    const unsigned kCyrillic = 1251, kUtf8 = 65001;
    return codePage == kCyrillic || codePage == kUtf8 || exact(codePage, text);
}

}  // namespace codepage
