// Enlarges the logo for the screen and cuts its background out of its square, one horizontal
// run of key pixels at a time.
#include "shell/logo_region.h"

#include "shell/logo_scan.h"

namespace shell {

namespace {

struct Cutting {
    HDC picture;
    COLORREF key;
    HRGN region;
};

bool IsKeyPixel(void* context, int x, int y) {
    const Cutting* cutting = static_cast<const Cutting*>(context);
    return GetPixel(cutting->picture, x, y) == cutting->key;
}

// The runs lie inside the square and never overlap, so XOR removes exactly the run.
void CutRun(void* context, const KeyRun& run) {
    const Cutting* cutting = static_cast<const Cutting*>(context);
    HRGN piece = CreateRectRgn(run.left, run.y, run.right, run.y + 1);
    CombineRgn(cutting->region, cutting->region, piece, RGN_XOR);
    DeleteObject(piece);
}

}  // namespace

ShapedLogo ShapeLogo(HBITMAP image, int side) {
    HDC source = CreateCompatibleDC(NULL);
    HDC target = CreateCompatibleDC(NULL);
    HGDIOBJ sourceBefore = SelectObject(source, image);
    Cutting cutting;
    // Not the corner: (1, 1) is the pixel the picture promises to leave in the background.
    cutting.key = GetPixel(source, 1, 1);

    ShapedLogo logo;
    // Compatible with the context that holds the image, so in the image's format: a fresh
    // memory context would give a monochrome bitmap.
    logo.picture = CreateCompatibleBitmap(source, side, side);
    HGDIOBJ targetBefore = SelectObject(target, logo.picture);
    // Whole pixels only: a blend would mix the key colour into the picture's edges, where it
    // would stay as a dark fringe round the shape.
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, 0, 0, side, side, source, 0, 0, kLogoSize, kLogoSize, SRCCOPY);

    cutting.picture = target;
    cutting.region = logo.region = CreateRectRgn(0, 0, side, side);
    ScanKeyRuns(side, side, IsKeyPixel, CutRun, &cutting);

    // A bitmap can be selected into one context at a time; give each back before its context goes.
    SelectObject(target, targetBefore);
    SelectObject(source, sourceBefore);
    DeleteDC(target);
    DeleteDC(source);
    return logo;
}

}  // namespace shell
