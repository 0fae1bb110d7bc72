// Whole-bitmap and rectangle operations: fills, colour mixing, blending,
// greyscale, transparent copies, tinting and the disabled look.
#pragma once

#include <cstdint>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint {

constexpr std::uint8_t LimitToByte(int v) noexcept {
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

#ifdef _WIN32
// Fills r (right and bottom exclusive) with the resolved colour through GDI;
// the DC's state is left as it was. False when GDI refused.
bool FillRectColor(HDC__* dc, const TRect& r, TColor color);
#endif
// The same on a bitmap's bytes, clipped to the bitmap.
void FillRectColor(Bitmap& bmp, const TRect& r, TColor color);

}  // namespace velmap::paint
