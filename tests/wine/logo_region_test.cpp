// The logo window's shape from real GDI bitmaps: small made-up pictures and the program's logo.
#include "shell/logo_region.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "resources/resource.h"
#include "support.h"

namespace {

const int kSize = 100;

// A 100 x 100 picture, 8 bits per pixel with its own palette, like the logo.
class Picture {
public:
    explicit Picture(const std::vector<COLORREF>& palette) : palette_(palette) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } info = {};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = kSize;
        info.header.biHeight = -kSize;  // top-down: row y starts at bits_ + y * kSize
        info.header.biPlanes = 1;
        info.header.biBitCount = 8;
        info.header.biClrUsed = static_cast<DWORD>(palette.size());
        for (size_t i = 0; i < palette.size(); ++i)
            info.colours[i] = {GetBValue(palette[i]), GetGValue(palette[i]), GetRValue(palette[i]),
                               0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(NULL, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, NULL, 0);
        bits_ = static_cast<BYTE*>(bits);
        GdiFlush();
    }
    ~Picture() { DeleteObject(bitmap_); }

    void Fill(BYTE index) {
        for (int i = 0; i < kSize * kSize; ++i) bits_[i] = index;
    }
    void Set(int x, int y, BYTE index) { bits_[y * kSize + x] = index; }
    COLORREF Colour(int x, int y) const { return palette_[bits_[y * kSize + x]]; }
    HBITMAP Bitmap() const { return bitmap_; }

private:
    std::vector<COLORREF> palette_;
    HBITMAP bitmap_ = NULL;
    BYTE* bits_ = nullptr;
};

const COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0),
               kBlue = RGB(0, 0, 255);

// Pixels where the region and the expectation disagree, with the first few named.
int Mismatches(HRGN region, const std::function<bool(int, int)>& visible, std::string* where) {
    int count = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if ((PtInRegion(region, x, y) != FALSE) != visible(x, y)) {
                if (++count <= 5) *where += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
            }
    return count;
}

// The region must be the square less every pixel of the colour at (1, 1).
void ExpectShapeOf(const Picture& picture) {
    HRGN region = shell::BuildLogoRegion(picture.Bitmap());
    ASSERT_NE(nullptr, region);
    const COLORREF key = picture.Colour(1, 1);
    std::string where;
    EXPECT_EQ(0, Mismatches(
                     region, [&](int x, int y) { return picture.Colour(x, y) != key; }, &where))
        << where;
    DeleteObject(region);
}

// Counts the regions and contexts the code under test makes and deletes, by routing this
// program's own imports of those gdi32 functions through counters while it runs.
struct {
    int regionsCreated, objectsDeleted, contextsCreated, contextsDeleted;
} Tally;

decltype(&CreateRectRgn) RealCreateRectRgn;
decltype(&DeleteObject) RealDeleteObject;
decltype(&CreateCompatibleDC) RealCreateCompatibleDC;
decltype(&DeleteDC) RealDeleteDC;

HRGN WINAPI CountCreateRectRgn(int left, int top, int right, int bottom) {
    ++Tally.regionsCreated;
    return RealCreateRectRgn(left, top, right, bottom);
}
BOOL WINAPI CountDeleteObject(HGDIOBJ object) {
    ++Tally.objectsDeleted;
    return RealDeleteObject(object);
}
HDC WINAPI CountCreateCompatibleDC(HDC dc) {
    ++Tally.contextsCreated;
    return RealCreateCompatibleDC(dc);
}
BOOL WINAPI CountDeleteDC(HDC dc) {
    ++Tally.contextsDeleted;
    return RealDeleteDC(dc);
}

// The slot of this program's import address table through which it calls `function`.
void** ImportSlot(const char* dll, const char* function) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(NULL));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + module->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

template <typename Function>
void Swap(const char* name, Function* real, Function counter) {
    void** slot = ImportSlot("gdi32.dll", name);
    ASSERT_NE(nullptr, slot) << name;
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    if (*real == nullptr) {
        *real = reinterpret_cast<Function>(*slot);
        *slot = reinterpret_cast<void*>(counter);
    } else {
        *slot = reinterpret_cast<void*>(*real);
        *real = nullptr;
    }
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

class GdiCounters {
public:
    GdiCounters() { SwapAll(); }
    ~GdiCounters() { SwapAll(); }

private:
    static void SwapAll() {
        Swap("CreateRectRgn", &RealCreateRectRgn, CountCreateRectRgn);
        Swap("DeleteObject", &RealDeleteObject, CountDeleteObject);
        Swap("CreateCompatibleDC", &RealCreateCompatibleDC, CountCreateCompatibleDC);
        Swap("DeleteDC", &RealDeleteDC, CountDeleteDC);
    }
};

struct Case {
    const char* name;
    std::function<void(Picture&)> draw;
};

const Case kCases[] = {
    {"only (1, 1) in the key colour", [](Picture& p) { p.Fill(1), p.Set(1, 1, 0); }},
    {"all in the key colour", [](Picture& p) { p.Fill(0); }},
    {"rows that begin and end in key runs",
     [](Picture& p) {
         p.Fill(1);
         p.Set(1, 1, 0);
         for (int x = 0; x < 10; ++x) p.Set(x, 40, 0), p.Set(99 - x, 40, 0);
         for (int x = 0; x < 100; x += 2) p.Set(x, 41, 0);  // fifty runs of one
         for (int x = 0; x < 100; ++x) p.Set(x, 42, 0);     // a whole row
     }},
    {"a corner of another colour",
     [](Picture& p) {
         p.Fill(0);
         p.Set(0, 0, 2);
     }},
    {"isolated holes",
     [](Picture& p) {
         p.Fill(1);
         const int holes[][2] = {{1, 1}, {50, 50}, {99, 0}, {0, 99}, {99, 99}, {10, 90}, {73, 12}};
         for (const auto& h : holes) p.Set(h[0], h[1], 0);
     }},
    {"a key colour that is not black",
     [](Picture& p) {
         p.Fill(0);
         for (int y = 0; y < 60; ++y)
             for (int x = 0; x < 30; ++x) p.Set(x, y, 3);
     }},
    {"the key colour under two palette indices",
     [](Picture& p) {
         p.Fill(1);
         for (int y = 0; y < 100; y += 3)
             for (int x = y % 7; x < 100; x += 5) p.Set(x, y, 4);  // black as well
         p.Set(1, 1, 0);
     }},
};

TEST(LogoRegion, CutsEveryPixelOfTheKeyColourAndNothingElse) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Picture picture({kBlack, kWhite, kRed, kBlue, kBlack});
        c.draw(picture);
        ExpectShapeOf(picture);
    }
}

TEST(LogoRegion, LeavesThePictureFreeAndNothingBehind) {
    Picture picture({kBlack, kWhite});
    picture.Fill(1);
    for (int x = 1; x < 100; x += 2) picture.Set(x, 1, 0);  // 50 runs in row 1
    picture.Set(7, 60, 0);                                  // and one more

    Tally = {};
    HRGN region;
    {
        GdiCounters counting;
        region = shell::BuildLogoRegion(picture.Bitmap());
    }
    // One temporary region per run, each deleted; one context, deleted. Only the result stays.
    EXPECT_EQ(1 + 51, Tally.regionsCreated);
    EXPECT_EQ(51, Tally.objectsDeleted);
    EXPECT_EQ(1, Tally.contextsCreated);
    EXPECT_EQ(1, Tally.contextsDeleted);
    // A bitmap still selected into a forgotten context could not be selected again.
    HDC other = CreateCompatibleDC(NULL);
    EXPECT_NE(nullptr, SelectObject(other, picture.Bitmap()));
    DeleteDC(other);
    DeleteObject(region);
}

TEST(LogoRegion, ShapesTheProgramsOwnLogo) {
    HMODULE program = LoadLibraryExW(support::BesideTests(L"vorkalun.exe").c_str(), NULL,
                                     LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program);
    // As the program loads it: a bitmap compatible with the screen.
    HBITMAP logo = LoadBitmapW(program, MAKEINTRESOURCEW(IDB_LOGO));
    ASSERT_NE(nullptr, logo);

    // The pixels as the display holds them, read without GetPixel.
    std::vector<COLORREF> pixels(kSize * kSize);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(NULL);
    ASSERT_EQ(kSize, GetDIBits(screen, logo, 0, kSize, pixels.data(), &info, DIB_RGB_COLORS));
    ReleaseDC(NULL, screen);
    auto at = [&](int x, int y) { return pixels[y * kSize + x] & 0xFFFFFF; };
    ASSERT_EQ(0u, at(1, 1));  // black background

    HRGN region = shell::BuildLogoRegion(logo);
    std::string where;
    EXPECT_EQ(0, Mismatches(
                     region, [&](int x, int y) { return at(x, y) != at(1, 1); }, &where))
        << where;
    // A shape worth the name: much is cut away and much stays.
    int kept = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) kept += PtInRegion(region, x, y) ? 1 : 0;
    EXPECT_GT(kept, 5000);
    EXPECT_LT(kept, 9000);
    DeleteObject(region);
    DeleteObject(logo);
    FreeLibrary(program);
}

}  // namespace
