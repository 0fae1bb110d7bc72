// Textures: whole pattern images tiled, texture regions laid out by fill
// mode, and textures with a mask half composed over the background.
#pragma once

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"
#include "skin/paint/mask_view.h"

namespace velmap::paint {

// Reported by FillByStretchMode when all of the rectangle is covered.
inline constexpr TRect kAllCovered{-1, -1, -1, -1};

// Tiles the whole image over d from its top-left corner, the last tiles cut
// at d's edges (and at the bitmap's).
void TileImage(Bitmap& bmp, TRect d, const Bitmap& image);

// Fills d from a pattern image (tiled) when one is given, else from the
// texture region of mask by the fill mode (0..14). On return d holds the
// part not covered, or kAllCovered. A mode outside the table covers nothing.
void FillByStretchMode(Bitmap& bmp, TRect& d, const Bitmap* image, int mode, const MaskView& mask);

// A texture with a mask half over d: whole tiles composed with the
// background (mode 0: and the last column cut; mode 10: the bands that hold
// no whole tile show the parent's cache or ParentBgColor). Other modes draw
// nothing.
void PaintMaskedTexture(Bitmap& bmp, TRect d, const BackgroundSource& bg, int mode, const MaskView& mask);

}  // namespace velmap::paint
