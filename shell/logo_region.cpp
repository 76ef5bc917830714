// Cuts the logo's background out of its square, one horizontal run of key pixels at a time.
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

HRGN BuildLogoRegion(HBITMAP image) {
    Cutting cutting;
    cutting.region = CreateRectRgn(0, 0, kLogoSize, kLogoSize);
    cutting.picture = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(cutting.picture, image);
    // Not the corner: (1, 1) is the pixel the picture promises to leave in the background.
    cutting.key = GetPixel(cutting.picture, 1, 1);
    ScanKeyRuns(kLogoSize, kLogoSize, IsKeyPixel, CutRun, &cutting);
    // A bitmap can be selected into one context at a time; give it back before the context goes.
    SelectObject(cutting.picture, previous);
    DeleteDC(cutting.picture);
    return cutting.region;
}

}  // namespace shell
