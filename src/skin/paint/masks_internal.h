// The composition every masked piece goes through, with the three ways of
// treating key-coloured image pixels. Internal to the painting library.
#pragma once

#include <cstdint>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint::detail {

enum class KeyRule {
    BlendAll,        // edges and centres: key pixels are blended like any other
    ParentFirst,     // border corners: the parent's pixel, else MaskFillColor, else the key stays
    FillColorFirst,  // masked textures: MaskFillColor, else the parent's pixel, else left alone
};

// Composes src of img through the mask rows mask_rows below it into dst of
// bmp: d = (d * m + s * (256 - m)) >> 8 per channel, key pixels by rule.
// Clipped to bmp, the image and the image's mask rows.
void Compose(TRect dst, TRect src, Bitmap& bmp, std::int64_t mask_rows, KeyRule rule, const BackgroundSource& bg,
             Bitmap& img);

}  // namespace velmap::paint::detail
