// Direct pixel access through cached row addresses, and the rectangle blend.
#pragma once

#include <cstddef>
#include <cstdint>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint {

// Reads pixels of a bitmap of one format. Attach refuses bitmaps under 2x2
// and bitmaps of another format (Width becomes 0, nothing may be read).
template <int Bits>
class TacFastBitmap {
public:
    static constexpr int BytesPerPixel = Bits / 8;

    Bitmap* Bmp = nullptr;  // borrowed
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::ptrdiff_t Delta = 0;       // row 1 minus row 0, negative for bottom-up
    std::uint8_t* Start = nullptr;  // row 0

    bool Attach(Bitmap* bmp) noexcept;

    std::uint8_t* At(int x, int y) const noexcept { return Start + y * Delta + x * BytesPerPixel; }
    // The pixel as a colour value (red in the low byte; alpha of a 32-bit
    // pixel is dropped). No bounds check: callers check.
    TColor Pixel(int x, int y) const noexcept {
        const std::uint8_t* p = At(x, y);
        return MakeColor(p[2], p[1], p[0]);
    }
};

using TacFast24 = TacFastBitmap<24>;
using TacFast32 = TacFastBitmap<32>;

extern template class TacFastBitmap<24>;
extern template class TacFastBitmap<32>;

// Blends a rectangle of a 24-bit source into a 24-bit destination:
//   d := (d * Alpha + s * (255 - Alpha) + 127) >> 8 per byte.
class TacFastSum24 {
public:
    Bitmap* Src = nullptr;    // borrowed
    Bitmap* Dst = nullptr;    // borrowed
    std::int32_t Width = 0;   // the smaller of the two widths
    std::int32_t Height = 0;  // the smaller of the two heights
    std::uint8_t* SrcStart = nullptr;
    std::ptrdiff_t SrcDelta = 0;
    std::uint8_t* DstStart = nullptr;
    std::ptrdiff_t DstDelta = 0;
    std::uint8_t Alpha = 0;  // the weight the destination keeps
    // X2 and Y2 exclusive. Source pixel (SrcX1 + i, SrcY1 + j) lands on
    // destination pixel (DstX1 + i, DstY1 + j).
    std::int32_t DstX1 = 0, DstY1 = 0, DstX2 = 0, DstY2 = 0;
    std::int32_t SrcX1 = 0, SrcY1 = 0, SrcX2 = 0, SrcY2 = 0;

    // Both must be 24-bit and at least 2x2.
    bool Attach(Bitmap* src, Bitmap* dst) noexcept;
    // Blends the destination rectangle; any part that would fall outside
    // either bitmap is left out.
    void Blend() noexcept;
};

}  // namespace velmap::paint
