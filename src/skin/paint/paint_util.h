// Small pieces the painters share: rounding, pixel reads and writes of 24-
// and 32-bit bitmaps, clipped block copies. Internal to the painting library.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"
#include "skin/paint/pixel_ops.h"

namespace velmap::paint::detail {

// Round half to even, whatever the floating-point environment says.
inline double RoundHalfEven(double v) noexcept {
    const double r = std::floor(v);
    const double frac = v - r;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2.0) != 0.0)) return r + 1.0;
    return r;
}

// The same rounding to a byte, clamped to 0..255 (NaN gives 0).
inline std::uint8_t RoundToByte(double v) noexcept {
    if (!(v >= 0.0)) return 0;
    if (v >= 255.0) return 255;
    int i = static_cast<int>(v);
    const double frac = v - i;
    if (frac > 0.5 || (frac == 0.5 && (i & 1) != 0)) ++i;
    return static_cast<std::uint8_t>(i);
}

inline bool Usable(const Bitmap& bmp) noexcept {
    return !bmp.Empty() && (bmp.BitsPerPixel() == 24 || bmp.BitsPerPixel() == 32);
}

// A bitmap TacFast24/TacFast32 would attach: at least 2x2.
inline bool Attachable(const Bitmap* bmp) noexcept { return bmp && bmp->Width() >= 2 && bmp->Height() >= 2; }

inline bool Inside(const Bitmap& bmp, std::int64_t x, std::int64_t y) noexcept {
    return x >= 0 && y >= 0 && x < bmp.Width() && y < bmp.Height();
}

inline std::uint8_t* PixelAt(const Bitmap& bmp, std::int64_t x, std::int64_t y) noexcept {
    return bmp.RowStart() + y * bmp.RowDelta() + x * bmp.BytesPerPixel();
}

// Row addressing of a bitmap, taken once: for loops over pixels, where
// PixelAt would finish queued drawing (a call into the system) at every pixel.
struct Rows {
    std::uint8_t* start;
    std::ptrdiff_t delta;
    int bpp;
    explicit Rows(const Bitmap& b) noexcept : start(b.RowStart()), delta(b.RowDelta()), bpp(b.BytesPerPixel()) {}
    std::uint8_t* At(std::int64_t x, std::int64_t y) const noexcept { return start + y * delta + x * bpp; }
};

inline bool SameBgr(const std::uint8_t* p, TColor c) noexcept {
    return p[0] == BlueOf(c) && p[1] == GreenOf(c) && p[2] == RedOf(c);
}

inline void PutBgr(std::uint8_t* p, TColor c) noexcept {
    p[0] = BlueOf(c);
    p[1] = GreenOf(c);
    p[2] = RedOf(c);
}

inline void CopyBgr(std::uint8_t* d, const std::uint8_t* s) noexcept {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
}

// The intersection of r with the bitmap's area.
inline TRect ClipToBitmap(TRect r, const Bitmap& bmp) noexcept {
    return {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, bmp.Width()), std::min(r.Bottom, bmp.Height())};
}

inline bool IsEmpty(const TRect& r) noexcept { return r.Right <= r.Left || r.Bottom <= r.Top; }

// Copies w x h pixels from (sx, sy) of src to (dx, dy) of dst, leaving out
// whatever lies outside either bitmap. Only the colour bytes are written.
void CopyPixels(Bitmap& dst, std::int64_t dx, std::int64_t dy, const Bitmap& src, std::int64_t sx, std::int64_t sy,
                std::int64_t w, std::int64_t h) noexcept;

}  // namespace velmap::paint::detail
