// How large the logo shows, and where its background lies: every maximal horizontal run of
// key-coloured pixels. Pure, so the platform's side (reading pixels, cutting regions) stays a
// thin layer over it.
#pragma once

namespace shell {

// The logo's picture is a square of this many pixels.
const int kLogoSize = 100;

// The logo's side on a screen of `dpi` dots per inch: the picture's 100 pixels are logical
// ones, so 150 at 144 DPI and 200 at 192. A screen that reports no DPI gets the picture's size.
int LogoSideAt(int dpi);

// Columns left up to right - 1 of row y: a rectangle one pixel high, right edge exclusive.
struct KeyRun {
    int left;
    int right;
    int y;
};

typedef bool (*PixelIsKey)(void* context, int x, int y);
typedef void (*TakeKeyRun)(void* context, const KeyRun& run);

// Hands every maximal run of pixels for which isKey holds to take, row by row from the top
// and left to right within a row. Runs never overlap and never cross a row's end.
void ScanKeyRuns(int width, int height, PixelIsKey isKey, TakeKeyRun take, void* context);

}  // namespace shell
