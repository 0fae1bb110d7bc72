// Caption text with the section's colours and one-pixel contours.
#pragma once

#include <cstdint>
#include <string_view>

#include "skin/paint/color.h"
#include "skin/paint/paint_device.h"

namespace velmap::paint {

// Per channel round_half_even(factor * (a - b) + b) of the resolved
// colours; the top byte of a is kept.
TColor MixTwoColors(TColor a, TColor b, double factor);

// The text colours of a section: text, then the left, top, right and bottom
// contours (-1: no contour on that side).
struct SkinTextColors {
    std::int32_t Font[5] = {0, -1, -1, -1, -1};
    std::int32_t HotFont[5] = {0, -1, -1, -1, -1};
    TColor Color = 0xFFFFFF;  // the section's background colour
};

// Writes text into r: disabled text in a 40 % mix of the text colour and
// the section colour; enabled text after its contours, in the (hot) text
// colour. custom_font keeps the surface's own colour and draws no contours.
// section null: the text is drawn once as the surface stands.
void WriteSkinText(TextSurface& surface, std::wstring_view text, bool enabled, bool hot, const SkinTextColors* section,
                   bool custom_font, unsigned format, TRect r);

}  // namespace velmap::paint
