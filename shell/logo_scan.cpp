// The logo's size on the screen and the run scan behind its window shape.
#include "shell/logo_scan.h"

namespace shell {

int LogoSideAt(int dpi) { return dpi > 0 ? kLogoSize * dpi / 96 : kLogoSize; }

void ScanKeyRuns(int width, int height, PixelIsKey isKey, TakeKeyRun take, void* context) {
    for (int y = 0; y < height; ++y) {
        KeyRun run = {0, 0, y};
        bool open = false;
        for (int x = 0; x < width; ++x) {
            if (isKey(context, x, y)) {
                run.right = x + 1;
                open = true;
                continue;
            }
            if (open) take(context, run);
            open = false;
            run.left = x + 1;
        }
        if (open) take(context, run);
    }
}

}  // namespace shell
