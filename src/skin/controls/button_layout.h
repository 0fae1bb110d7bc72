// Where a skinned speed button puts its glyph and its caption.
#pragma once

#include <windows.h>

#include "ui/types.h"

namespace velmap::skin {

struct ButtonLayoutInput {
    int width = 0, height = 0;
    int drop_width = 0;  // the drop-down arrow part, right of the face
    int glyph_width = 0, glyph_height = 0;
    int text_width = 0, text_height = 0;
    int margin = -1;           // -1: centred
    int spacing = 4;           // between glyph and caption
    int text_offset = 0;       // horizontal shift of the caption
    bool has_caption = false;  // a caption is shown
    bool pressed = false;      // everything moves down and right by one
    ui::TButtonLayout layout = ui::TButtonLayout::blGlyphLeft;
    ui::TAlignment alignment = ui::TAlignment::taCenter;
};

struct ButtonLayoutRects {
    RECT glyph;  // glyph_width x glyph_height
    RECT caption;
};

ButtonLayoutRects LayOutButton(const ButtonLayoutInput& in);

}  // namespace velmap::skin
