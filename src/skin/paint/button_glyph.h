// The picture of a skinned speed button drawn into its cache.
#pragma once

#include <cstdint>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint {

// The glyph looks a disabled button can ask for (a bit set).
enum TsDisabledGlyphKind : std::uint8_t {
    dgBlended = 1u << 0,
    dgGrayed = 1u << 1,
};
using TsDisabledGlyphKinds = std::uint8_t;

// What DrawButtonGlyph reads of a button.
struct ButtonGlyphView {
    // The Glyph picture: NumGlyphs frames side by side; null or empty: none.
    const Bitmap* Glyph = nullptr;
    int NumGlyphs = 1;
    // Without a Glyph: the image-list picture already drawn on ListColor,
    // which is then its transparent colour (KeyColor when the list has none).
    const Bitmap* ListImage = nullptr;
    TColor ListColor = KeyColor;
    int Blend = 0;  // percent of the face kept over the glyph in state 0
    bool Grayed = false;
    TsDisabledGlyphKinds DisabledGlyphKind = dgBlended;
    bool Down = false;
    int State = 0;  // 0 normal, 1 hot, 2 pressed
    bool Enabled = true;
    bool Hot = false;
};

// Draws the button's picture with its top-left corner at `at`, clipped to
// the cache.
void DrawButtonGlyph(const ButtonGlyphView& button, Bitmap& cache, TPoint at);

}  // namespace velmap::paint
