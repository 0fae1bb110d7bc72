#include "skin/paint/textures.h"

#include <algorithm>

#include "skin/paint/masks.h"
#include "skin/paint/masks_internal.h"
#include "skin/paint/paint_device.h"
#include "skin/paint/paint_util.h"
#include "skin/paint/pixel_ops.h"

namespace velmap::paint {

using detail::TileCopy;

namespace {

// The texture region of a mask, inside its image; empty when there is none.
TRect TextureRegion(const MaskView& mask) {
    if (!mask.Image || !detail::Usable(*mask.Image)) return {};
    const TRect r = detail::ClipToBitmap(mask.R, *mask.Image);
    return detail::IsEmpty(r) ? TRect{} : r;
}

TRect Remainder(TRect r) { return detail::IsEmpty(r) ? kAllCovered : r; }

}  // namespace

void TileImage(Bitmap& bmp, TRect d, const Bitmap& image) {
    if (!detail::Usable(image) || !detail::Usable(bmp)) return;
    TileCopy(bmp, d, image, {0, 0, image.Width(), image.Height()}, d.Left, d.Top);
}

void FillByStretchMode(Bitmap& bmp, TRect& d, const Bitmap* image, int mode, const MaskView& mask) {
    if (image && detail::Usable(*image)) {
        TileImage(bmp, d, *image);
        d = kAllCovered;
        return;
    }
    const TRect src = TextureRegion(mask);
    if (detail::IsEmpty(src) || detail::IsEmpty(d)) return;
    const Bitmap& img = *mask.Image;
    const int tw = src.Width(), th = src.Height();
    const int L = d.Left, T = d.Top, R = d.Right, B = d.Bottom;
    switch (mode) {
        case 0:
            TileCopy(bmp, d, img, src, L, T);
            d = kAllCovered;
            break;
        case 1:
            StretchHalftone(bmp, d, *mask.Image, src);
            d = kAllCovered;
            break;
        case 2:
            TileCopy(bmp, {L, T, R, std::min(B, T + th)}, img, src, L, T);
            d = Remainder({L, T + th, R, B});
            break;
        case 3:
            TileCopy(bmp, {L, T, std::min(R, L + tw), B}, img, src, L, T);
            d = Remainder({L + tw, T, R, B});
            break;
        case 4: {  // one axis at scale 1: a shorter rectangle takes fewer source rows
            const int rows = std::min(th, B - T);
            StretchHalftone(bmp, {L, T, R, T + rows}, *mask.Image, {src.Left, src.Top, src.Right, src.Top + rows});
            d = Remainder({L, T + th, R, B});
            break;
        }
        case 5: {
            const int cols = std::min(tw, R - L);
            StretchHalftone(bmp, {L, T, L + cols, B}, *mask.Image, {src.Left, src.Top, src.Left + cols, src.Bottom});
            d = Remainder({L + tw, T, R, B});
            break;
        }
        case 6:
            TileCopy(bmp, {L, std::max(T, B - th), R, B}, img, src, L, B - th);
            d = Remainder({L, T, R, B - th});
            break;
        case 7:
        case 8:
        case 9:
        case 11:
        case 12:
        case 13:
        case 14:
            TileCopy(bmp, {std::max(L, R - tw), T, R, B}, img, src, L, T);
            d = Remainder({L, T, R - tw, B});
            break;
        case 10:  // whole tile rows only; a lower band stays as it was
            TileCopy(bmp, {L, T, R, T + (B - T) / th * th}, img, src, L, T);
            d = kAllCovered;
            break;
        default:  // not a fill mode: nothing covered
            break;
    }
}

void PaintMaskedTexture(Bitmap& bmp, TRect d, const BackgroundSource& bg, int mode, const MaskView& mask) {
    if ((mode != 0 && mode != 10) || !mask.Image || !detail::Usable(bmp) || !detail::Usable(*mask.Image)) return;
    const int tw = mask.R.Width() / mask.Frames(), th = mask.R.Height() / 2;
    if (tw <= 0 || th <= 0 || detail::IsEmpty(d)) return;
    const TRect frame{mask.R.Left, mask.R.Top, mask.R.Left + tw, mask.R.Top + th};
    // Whole tiles: as many as fit, an exact fit included.
    const std::int64_t cols = (std::int64_t{d.Right} - d.Left) / tw, rows = (std::int64_t{d.Bottom} - d.Top) / th;
    const int x_end = static_cast<int>(d.Left + cols * tw), y_end = static_cast<int>(d.Top + rows * th);
    auto tile = [&](int x, int y, int w) {
        detail::Compose({x, y, x + w, y + th}, {frame.Left, frame.Top, frame.Left + w, frame.Bottom}, bmp, th,
                        detail::KeyRule::FillColorFirst, bg, *mask.Image);
    };
    for (int y = d.Top; y < y_end; y += th) {
        for (int x = d.Left; x < x_end; x += tw) tile(x, y, tw);
        if (mode == 0 && x_end < d.Right) tile(x_end, y, d.Right - x_end);
    }
    if (mode != 10) return;
    // The bands that hold no whole tile show the background.
    const Bitmap* parent = bg.Ready && bg.Bmp && detail::Usable(*bg.Bmp) ? bg.Bmp : nullptr;
    for (const TRect band : {TRect{x_end, d.Top, d.Right, d.Bottom}, TRect{d.Left, y_end, d.Right, d.Bottom}}) {
        if (detail::IsEmpty(band)) continue;
        if (parent) {
            // Only pixels whose background lies inside the parent's cache.
            detail::CopyPixels(bmp, band.Left, band.Top, *parent, std::int64_t{bg.X} + band.Left,
                               std::int64_t{bg.Y} + band.Top, band.Width(), band.Height());
        } else if (ParentBgColor != KeyColor) {
            FillRectColor(bmp, band, ParentBgColor);
        }
    }
}

}  // namespace velmap::paint
