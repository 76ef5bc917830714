// The logo window's shape: the logo's square less its background.
#pragma once

#include <windows.h>

namespace shell {

// The region of the logo's pixels that are not in the key colour, the colour of pixel (1, 1),
// in window coordinates over the logo's 100 x 100 square. The caller owns the region; the
// image is left as it was and free to be selected elsewhere.
HRGN BuildLogoRegion(HBITMAP image);

}  // namespace shell
