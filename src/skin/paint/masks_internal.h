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

// Composes `to` tiled with the image block (anchored at to's corner) through
// the mask rows below it, every pixel blended; the same as composing tile
// by tile, done a row at a time.
void ComposeTiled(TRect to, TRect block, Bitmap& bmp, std::int64_t mask_rows, Bitmap& img);

// Covers area (clipped to bmp) with copies of region src of img whose grid
// has a corner at (ax, ay).
void TileCopy(Bitmap& bmp, TRect area, const Bitmap& img, TRect src, std::int64_t ax, std::int64_t ay);

// Lays tiles over the span [from, to) of one axis: whole tiles while one
// fits before the end, then the rest cut. draw(position, length).
template <typename Draw>
void TileSpan(std::int64_t from, std::int64_t to, std::int64_t tile, Draw draw) {
    if (tile <= 0) return;
    std::int64_t p = from;
    for (; p < to - tile; p += tile) draw(p, tile);
    if (to - p > 0) draw(p, to - p);
}

}  // namespace velmap::paint::detail
