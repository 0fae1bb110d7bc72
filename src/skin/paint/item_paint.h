// One skin item painted into a bitmap (normally a control's cache): the
// section's fill laid over the parent's background by transparency, the
// border of the state, the corner images; and the refresh of the border's
// key-coloured corner pixels from the parent's cache.
#pragma once

#include <optional>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"
#include "skin/paint/mask_view.h"
#include "skin/paint/section_fill.h"

namespace velmap::paint {

// Everything painting reads of one section for one control, resolved by the
// skin data layer.
struct SkinItemView {
    SectionFill Fill[2];  // state 0, and any state >= 1
    std::optional<MaskView> Border;
    // IMGTOPLEFT, IMGTOPRIGHT, IMGBTMLEFT, IMGBTMRIGHT.
    std::optional<MaskView> Corners[4];
    // A masked pattern drawn over the fill in state 0 (fill mode 10).
    std::optional<MaskView> Overlay;
    // The control's own colour when it keeps it (no gradient, texture or
    // transparency then); KeyColor when the section's colours apply.
    TColor CustomColor = KeyColor;
};

// The plain colours an item shows where its parent's cache cannot be used;
// KeyColor when none.
struct ItemColors {
    TColor ParentBg = KeyColor;
    TColor MaskFill = KeyColor;
};

// Puts ParentBgColor and MaskFillColor in force for one item and back to
// KeyColor when it ends, however it ends.
class ItemColorsScope {
public:
    explicit ItemColorsScope(ItemColors colors) noexcept;
    ~ItemColorsScope();
    ItemColorsScope(const ItemColorsScope&) = delete;
    ItemColorsScope& operator=(const ItemColorsScope&) = delete;
};

// Paints the item into r of bmp in the given state. bg: the parent's cache
// with the parent's client origin at (X, Y); p: the item's position in its
// parent. centre asks for the border's centre piece; use_bg lets key pixels
// of unmasked border corners show the parent's pixels. Nothing is painted
// when bmp is missing or r is empty or not inside bmp.
void PaintSkinItem(const SkinItemView& item, BackgroundSource bg, bool centre, int state, TRect r, TPoint p,
                   Bitmap* bmp, bool use_bg, ItemColors colors);

// The background part alone: the fill over the parent's background by the
// state's transparency, and the state-0 pattern overlay. Reads ParentBgColor
// as the caller left it.
void PaintSkinBackground(const SkinItemView& item, BackgroundSource bg, int state, TRect r, TPoint p, Bitmap* bmp);

// Corner bits of RefreshCornerPixels.
inline constexpr unsigned kCornerTopLeft = 1, kCornerBottomLeft = 2, kCornerTopRight = 4, kCornerBottomRight = 8,
                          kAllCorners = 15;

// Refills the cache pixels under the key-coloured pixels of the border's
// corners (of the frame of state, widths fitted to the cache) from bg
// (offset already holding the control's position): with plain when it is
// not KeyColor, else with the parent's pixels. Nothing without a Ready bg.
void RefreshCornerPixels(const MaskView& border, Bitmap& cache, int state, unsigned corners, const BackgroundSource& bg,
                         TColor plain);

}  // namespace velmap::paint
