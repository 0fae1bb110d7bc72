// Gradients: a section's parsed GRADIENTDATA painted into a rectangle.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint {

// One group of GRADIENTDATA: a run from Color1 to Color2 over Percent of the
// length. Mode is read from the first segment only (0 vertical, 1
// horizontal, 2 four triangles).
struct GradientSegment {
    TColor Color1 = 0;
    TColor Color2 = 0;
    std::uint8_t Percent = 0;  // 0..100
    std::int32_t Mode = 0;
    friend bool operator==(const GradientSegment&, const GradientSegment&) = default;
};
using TsGradArray = std::vector<GradientSegment>;

// Paints the gradient into r of a 24- or 32-bit bitmap, clipped to it.
// Colours are taken byte by byte, never resolved as system colours.
// Modes 0 and 1 are computed here with single-precision accumulators and
// double steps, rounding half to even; mode 2 goes through the platform's
// triangle gradient fill; any other mode, an empty array or an empty
// rectangle paints nothing. offset is an extra start offset of mode 0.
void PaintGradient(Bitmap& bmp, TRect r, std::span<const GradientSegment> gradient, int offset = 0);

// True when PaintGradient paints something for this array.
bool GradientPaints(std::span<const GradientSegment> gradient);

}  // namespace velmap::paint
