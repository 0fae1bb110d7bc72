// Border masks (nine pieces), glyph masks and the key-colour compositions
// they are drawn with. All of them clip to every bitmap they touch.
#pragma once

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"
#include "skin/paint/mask_view.h"

namespace velmap::paint {

// The colour key-coloured pixels of border pieces take while the parent's
// cache is not Ready; KeyColor when none. Process-wide, set by the item
// painter (ParentBgColor is its twin in pixel_ops.h).
extern TColor MaskFillColor;

// Composes the image region src of img through the mask half of mask into
// dst of bmp: per channel d = (d * m + s * (256 - m)) >> 8, m from the mask
// row height(mask.R) / 2 below. With corner set, key-coloured image pixels
// take the parent's pixel (bg Ready), else MaskFillColor, else stay key.
// The processed size is the smaller rectangle, limited to what lies inside
// bmp, the image and the image's mask rows.
void ComposeThroughMask(TRect dst, TRect src, Bitmap& bmp, const MaskView& mask, bool corner,
                        const BackgroundSource& bg, Bitmap& img);

// Copies src of img (Right and Bottom inclusive) to (x, y) of bmp. Pixels
// equal to key take the parent's pixel when use_bg is set and bg is Ready
// (24-bit parent), else they are left out.
void CopyTransparentRect(Bitmap& bmp, const Bitmap& img, int x, bool use_bg, const BackgroundSource& bg, TColor key,
                         TRect src, int y);

// The border widths of a mask fitted to a rectangle of w x h: never
// negative, WL + WR <= w and WT + WB <= h.
struct BorderWidths {
    int WL = 0, WT = 0, WR = 0, WB = 0;
};
BorderWidths FitBorderWidths(const MaskView& mask, int w, int h);

// The nine-piece border of the frame of state into d: corners, edges tiled
// or stretched, and the centre when asked for and the mask allows it. The
// frames are read by BorderFrames (mask_view.h).
// bg locates the item's background (the item's own position added).
void DrawBorderMask(Bitmap& bmp, TRect d, bool centre, bool use_bg, int state, const MaskView& mask,
                    const BackgroundSource& bg);

// One frame of a glyph (or corner image) at p; key pixels are left out.
// mode 1 draws it as it is, any other mode paler.
void DrawGlyphMask(Bitmap& bmp, TPoint p, int state, const MaskView& mask, int mode);

}  // namespace velmap::paint
