// Skin items painted for controls: the control-level entry points that take
// a control's skin state, resolve its section in the manager's skin and
// hand the pixel work to the painting library.
#pragma once

#include <string>

#include "skin/controls/common_data.h"
#include "skin/paint/bitmap.h"
#include "skin/paint/button_glyph.h"
#include "skin/paint/color.h"
#include "skin/paint/item_paint.h"

namespace velmap::ui {
class TCanvas;
}

namespace velmap::skin {

class TsSkinManager;

// Paints the control's section into r of bmp in the given state (0 normal,
// 1 hot, 2 pressed; frames beyond the mask's last use the last). bg is the
// parent's cache as QueryParentCache returns it; p the control's position
// in its parent (Left, Top). centre asks for the border's centre piece;
// use_bg lets key pixels of unmasked border corners show the parent.
// Speed buttons pass centre = true, use_bg = false; panels the reverse.
// Nothing is painted without a bitmap, manager or valid section, or when r
// does not lie inside bmp. ParentBgColor and MaskFillColor are KeyColor
// again when it returns, also when it throws.
void PaintSkinItem(TsCommonData& data, paint::BackgroundSource bg, bool centre, int state, paint::TRect r,
                   paint::TPoint p, paint::Bitmap* bmp, bool use_bg);

// The background part alone, for controls that draw their border apart.
// manager null: the primary manager. custom_color is KeyColor when the
// section's colours apply.
void PaintSkinBackground(int section_index, const std::string& section_name, paint::BackgroundSource bg, int state,
                         paint::TRect r, paint::TPoint p, paint::Bitmap* bmp, const TsSkinManager* manager,
                         int pattern_index, int hot_pattern_index, paint::TColor custom_color);

// After a cache rebuild: the cache pixels under the key-coloured corner
// pixels of the control's border show the parent's current background.
// corners: paint::kCornerTopLeft ... (paint::kAllCorners for all four).
void RefreshCornerPixels(TsCommonData& data, int state, unsigned corners = paint::kAllCorners);

// The caption with the section's text colours and contours, through the
// canvas (its font becomes a copy of the control's font). format: the
// platform's DrawText flags.
void WriteSkinText(ui::TCanvas& canvas, const std::wstring& text, bool enabled, bool hot, TsCommonData& data,
                   unsigned format, paint::TRect r);

// One mask of the manager's skin drawn as a nine-piece border over r (bg
// holding the control's position already), or as a glyph at p. Nothing for
// an index that is not valid.
void DrawBorderMask(paint::Bitmap& bmp, paint::TRect r, bool centre, bool use_bg, int state,
                    const TsSkinManager& manager, int mask_index, const paint::BackgroundSource& bg);
void DrawGlyphMask(paint::Bitmap& bmp, paint::TPoint p, int state, const TsSkinManager& manager, int mask_index,
                   int mode = 1);

// A button's picture: see paint::DrawButtonGlyph (the button fills the view).
using paint::ButtonGlyphView;
using paint::DrawButtonGlyph;

// The cache painter of a control whose cache is one skin item of its
// section (TsCommonData::UpdateCache): PaintSkinItem over the whole cache
// at the control's position, over its parent's cache, then the corner
// refresh.
TsCommonData::CachePainter SkinItemPainter(int state, bool centre, bool use_bg);

}  // namespace velmap::skin
