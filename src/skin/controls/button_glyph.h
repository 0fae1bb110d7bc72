// The picture of a skinned speed button, drawn into its cache: its Glyph
// bitmap with the frame, blend and disabled look the button's state asks for.
#pragma once

#include <windows.h>

#include "ui/graphics.h"
#include "ui/types.h"

namespace velmap::skin {

enum class TsDisabledGlyphKindItem { dgBlended, dgGrayed };
using TsDisabledGlyphKind = ui::TSet<TsDisabledGlyphKindItem>;

struct ButtonGlyph {
    const ui::TBitmap* glyph = nullptr;
    int num_glyphs = 1;
    int blend = 0;          // percent of the face kept over the glyph in state 0
    bool grayed = false;    // grey in state 0
    TsDisabledGlyphKind disabled_kind{TsDisabledGlyphKindItem::dgBlended};
    bool down = false;
    bool enabled = true;
    int state = 0;          // 0 normal, 1 hot, 2 pressed
};

// Which of num_glyphs side-by-side frames a state shows.
int GlyphFrame(const ButtonGlyph& g);

// Draws the glyph with its top-left corner at p. The glyph's bottom-left
// pixel names its transparent colour.
void DrawButtonGlyph(const ButtonGlyph& g, ui::TBitmap& cache, POINT p);

}  // namespace velmap::skin
