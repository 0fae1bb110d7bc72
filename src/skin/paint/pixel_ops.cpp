#include "skin/paint/pixel_ops.h"

#include <algorithm>

namespace velmap::paint {

void FillRectColor(Bitmap& bmp, const TRect& r, TColor color) {
    const int left = std::max(r.Left, 0), top = std::max(r.Top, 0);
    const int right = std::min(r.Right, bmp.Width()), bottom = std::min(r.Bottom, bmp.Height());
    if (left >= right || top >= bottom) return;
    const TColor c = ColorToRGB(color);
    const std::uint8_t b = BlueOf(c), g = GreenOf(c), red = RedOf(c);
    const int bpp = bmp.BytesPerPixel();
    std::uint8_t* row = bmp.ScanLine(top);
    const std::ptrdiff_t delta = bmp.RowDelta();
    for (int y = top; y < bottom; ++y, row += delta) {
        for (int x = left; x < right; ++x) {
            std::uint8_t* p = row + x * bpp;
            p[0] = b;
            p[1] = g;
            p[2] = red;
        }
    }
}

}  // namespace velmap::paint
