// The skin model seen the way the painters read it: one mask record as a
// mask view, one section state as a fill, one control's section as an item
// view. Lookups need no skin manager, so any program holding a model can
// paint what a control paints.
#pragma once

#include <optional>
#include <string_view>

#include "skin/data/skin_model.h"
#include "skin/paint/item_paint.h"
#include "skin/paint/mask_view.h"
#include "skin/paint/section_fill.h"
#include "skin/paint/skin_text.h"

namespace velmap {

// The view of mask record `index`; none when the index is not valid. A
// record with its own bitmap and an empty region (a small pattern picture)
// uses its whole bitmap.
std::optional<paint::MaskView> MaskViewOf(const SkinModel& model, int index);

// What a control resolves for its section: the section, its BORDERSMASK
// and its PATTERN and HOTPATTERN textures (-1 = none).
struct SkinItemIndexes {
    int Section = -1;
    int BorderMask = -1;
    int Pattern = -1;
    int HotPattern = -1;
};
SkinItemIndexes ResolveItemIndexes(const SkinModel& model, std::string_view section_name);

// The fill of section `section` in a state (0: the normal keys, >= 1 the
// HOT keys); pattern and hot_pattern are the control's texture indexes.
paint::SectionFill SectionFillOf(const SkinModel& model, int section, int state, int pattern, int hot_pattern);

// Everything a control's item paints with; none when the section is not
// valid. custom_color: the control's own (resolved) colour when it keeps
// it, else KeyColor.
std::optional<paint::SkinItemView> SkinItemViewOf(const SkinModel& model, const SkinItemIndexes& indexes,
                                                  paint::TColor custom_color = paint::KeyColor);

// The text colours of a section.
paint::SkinTextColors TextColorsOf(const TsGeneralData& section);

}  // namespace velmap
