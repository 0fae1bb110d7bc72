// Whole-bitmap and rectangle operations: fills, colour mixing, blending,
// greyscale, transparent copies, tinting and the disabled look.
//
// Unless noted, an operation takes 24- or 32-bit bitmaps, touches only the
// blue, green and red bytes of a pixel, never writes outside a bitmap (row
// padding included), and does nothing for empty bitmaps or rectangles.
#pragma once

#include <cstdint>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint {

constexpr std::uint8_t LimitToByte(int v) noexcept { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Blend weight for a transparency percentage (0..100): truncating, so 50 %
// gives 127 and 100 % gives 255.
constexpr std::uint8_t WeightFromPercent(int percent) noexcept { return LimitToByte(percent * 255 / 100); }

// The background colour a control's parent shows when it has no cache
// bitmap; KeyColor when none is given. Process-wide, set by the painters.
extern TColor ParentBgColor;

#ifdef _WIN32
// Fills r (right and bottom exclusive) with the resolved colour through GDI;
// the DC's state is left as it was. False when GDI refused.
bool FillRectColor(HDC__* dc, const TRect& r, TColor color);
#endif
// The same on a bitmap's bytes, clipped to the bitmap.
void FillRectColor(Bitmap& bmp, const TRect& r, TColor color);

// Mixes a solid colour into r, whose Right and Bottom are inclusive (clipped
// to the last column and row). percent is the share the pixels keep:
// new = round_half_even(old * percent / 100 + channel * (1 - percent / 100)).
void MixColorIntoRect(Bitmap& bmp, TRect r, std::uint8_t percent, TColor color);

// Blends rectangle r of src (24-bit) onto dst (24-bit) with its top-left
// corner at p, clipped on every side; dst keeps weight/256 of itself.
void BlendBitmapRect(Bitmap& dst, Bitmap& src, std::uint8_t weight, TPoint p, TRect r);

// Blends all of src onto dst; both 24-bit and of the same size, else nothing.
void BlendBitmaps(Bitmap& dst, Bitmap& src, std::uint8_t weight);

// Blends rectangle r of src (Right and Bottom inclusive) onto dst at (x, y):
// d = round_half_even(s * (1 - k) + d * k). Source pixels equal to key are
// skipped unless key's top byte is 0xFF (then every pixel is blended).
void BlendBitmapFactor(Bitmap& dst, int x, int y, TColor key, double k, TRect r, const Bitmap& src);

// Every pixel becomes grey (b + g + r) / 3, optionally except pixels equal
// to a colour.
void GrayscaleBitmap(Bitmap& bmp);
void GrayscaleBitmapExcept(Bitmap& bmp, TColor except);

// Copies src to dst at (x, y), leaving out source pixels equal to the colour
// and positions outside dst.
void CopyTransparentPixels(Bitmap& dst, const Bitmap& src, int x, int y, TColor transparent);

// Tints bmp towards the colour, weighted per channel by the same-sized mask:
// p = LimitToByte(((p - t) * m + t * 256) >> 8).
void TintByMask(Bitmap& bmp, Bitmap& mask, TColor color);

// The kinds of disabled look a control can ask for (a bit set).
enum TsDisabledKind : std::uint8_t {
    dkBlended = 1u << 0,  // half-way towards the background
    dkGrayed = 1u << 1,   // greyscale first
};
using TsDisabledKinds = std::uint8_t;

// Applies the disabled look to a control's cache. parent_color is the
// parent's colour, used when neither ParentBgColor nor parent_cache gives a
// background; pos is the control's position inside its parent.
void PaintDisabled(Bitmap& cache, TsDisabledKinds kinds, TColor parent_color, TPoint pos,
                   const BackgroundSource& parent_cache);

}  // namespace velmap::paint
