// The logo window's picture and shape from real GDI bitmaps: made-up pictures at the sizes of
// 96, 144 and 192 DPI, and the program's logo.
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

// Pixels of the side x side square where the region and the expectation disagree, with the
// first few named.
int Mismatches(HRGN region, int side, const std::function<bool(int, int)>& visible,
               std::string* where) {
    int count = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if ((PtInRegion(region, x, y) != FALSE) != visible(x, y)) {
                if (++count <= 5) *where += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
            }
    return count;
}

// The logo at `side` pixels: every pixel of the enlarged picture is a whole pixel of the
// picture, the one it covers or a neighbour where the enlargement rounds (none where it does
// not); the region is the enlarged square less every pixel of the colour at (1, 1).
void ExpectShapeOf(const Picture& picture, int side) {
    SCOPED_TRACE(side);
    const shell::ShapedLogo logo = shell::ShapeLogo(picture.Bitmap(), side);
    ASSERT_NE(nullptr, logo.region);
    ASSERT_NE(nullptr, logo.picture);
    const std::vector<COLORREF> enlarged = support::PixelsOf(logo.picture, side, side);
    const int slack = side % kSize == 0 ? 0 : 1;
    int blended = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            bool whole = false;
            for (int dy = -slack; dy <= slack; ++dy)
                for (int dx = -slack; dx <= slack; ++dx) {
                    const int sx = x * kSize / side + dx, sy = y * kSize / side + dy;
                    whole |= sx >= 0 && sy >= 0 && sx < kSize && sy < kSize &&
                             picture.Colour(sx, sy) == enlarged[y * side + x];
                }
            blended += !whole;
        }
    EXPECT_EQ(0, blended);

    const COLORREF key = picture.Colour(1, 1);
    std::string where;
    EXPECT_EQ(0, Mismatches(
                     logo.region, side, [&](int x, int y) { return enlarged[y * side + x] != key; },
                     &where))
        << where;
    DeleteObject(logo.region);
    DeleteObject(logo.picture);
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

template <typename Function>
void Keep(const support::ImportSwap& swap, Function* real) {
    *real = reinterpret_cast<Function>(swap.real());
}

class GdiCounters {
public:
    GdiCounters() {
        Tally = {};
        Keep(regions_, &RealCreateRectRgn);
        Keep(objects_, &RealDeleteObject);
        Keep(contexts_, &RealCreateCompatibleDC);
        Keep(deletions_, &RealDeleteDC);
    }

private:
    support::ImportSwap regions_{"gdi32.dll", "CreateRectRgn",
                                 reinterpret_cast<void*>(CountCreateRectRgn)};
    support::ImportSwap objects_{"gdi32.dll", "DeleteObject",
                                 reinterpret_cast<void*>(CountDeleteObject)};
    support::ImportSwap contexts_{"gdi32.dll", "CreateCompatibleDC",
                                  reinterpret_cast<void*>(CountCreateCompatibleDC)};
    support::ImportSwap deletions_{"gdi32.dll", "DeleteDC", reinterpret_cast<void*>(CountDeleteDC)};
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

// At 96 DPI, and enlarged for 144 and 192.
TEST(LogoRegion, CutsEveryPixelOfTheKeyColourAndNothingElseAtEverySize) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Picture picture({kBlack, kWhite, kRed, kBlue, kBlack});
        c.draw(picture);
        for (int side : {100, 150, 200}) ExpectShapeOf(picture, side);
    }
}

TEST(LogoRegion, LeavesThePictureFreeAndNothingBehind) {
    Picture picture({kBlack, kWhite});
    picture.Fill(1);
    for (int x = 1; x < 100; x += 2) picture.Set(x, 1, 0);  // 50 runs in row 1
    picture.Set(7, 60, 0);                                  // and one more

    shell::ShapedLogo logo;
    {
        GdiCounters counting;
        logo = shell::ShapeLogo(picture.Bitmap(), 100);
    }
    // One temporary region per run, each deleted; two contexts, deleted. Only the result stays.
    EXPECT_EQ(1 + 51, Tally.regionsCreated);
    EXPECT_EQ(51, Tally.objectsDeleted);
    EXPECT_EQ(2, Tally.contextsCreated);
    EXPECT_EQ(2, Tally.contextsDeleted);
    // A bitmap still selected into a forgotten context could not be selected again.
    for (HBITMAP bitmap : {picture.Bitmap(), logo.picture}) {
        HDC other = CreateCompatibleDC(NULL);
        EXPECT_NE(nullptr, SelectObject(other, bitmap));
        DeleteDC(other);
    }
    DeleteObject(logo.region);
    DeleteObject(logo.picture);
}

TEST(LogoRegion, ShapesTheProgramsOwnLogo) {
    HMODULE program = LoadLibraryExW(support::BesideTests(L"vorkalun.exe").c_str(), NULL,
                                     LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program);
    // As the program loads it: a bitmap compatible with the screen.
    HBITMAP logo = LoadBitmapW(program, MAKEINTRESOURCEW(IDB_LOGO));
    ASSERT_NE(nullptr, logo);

    const std::vector<COLORREF> pixels = support::PixelsOf(logo, kSize, kSize);
    auto at = [&](int x, int y) { return pixels[y * kSize + x]; };
    ASSERT_EQ(0u, at(1, 1));  // black background

    const shell::ShapedLogo shaped = shell::ShapeLogo(logo, kSize);
    std::string where;
    EXPECT_EQ(0,
              Mismatches(
                  shaped.region, kSize, [&](int x, int y) { return at(x, y) != at(1, 1); }, &where))
        << where;
    // A shape worth the name: much is cut away and much stays.
    int kept = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) kept += PtInRegion(shaped.region, x, y) ? 1 : 0;
    EXPECT_GT(kept, 5000);
    EXPECT_LT(kept, 9000);
    DeleteObject(shaped.region);
    DeleteObject(shaped.picture);
    DeleteObject(logo);
    FreeLibrary(program);
}

}  // namespace
