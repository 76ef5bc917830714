// The logo window's picture and shape: the logo enlarged to its size on the screen, and its
// square less its background.
#pragma once

#include <windows.h>

namespace shell {

// The logo as the window shows it. The caller owns both.
struct ShapedLogo {
    HBITMAP picture;  // side x side pixels
    HRGN region;      // in window coordinates over the picture's square
};

// Enlarges `image`, the logo's 100 x 100 picture, to `side` pixels a side, each pixel repeated
// whole; the region is that square less every pixel in the key colour, the colour of the
// image's pixel (1, 1). The image is left as it was and free to be selected elsewhere.
ShapedLogo ShapeLogo(HBITMAP image, int side);

}  // namespace shell
