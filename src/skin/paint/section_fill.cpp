#include "skin/paint/section_fill.h"

#include <algorithm>

#include "skin/paint/paint_util.h"
#include "skin/paint/pixel_ops.h"
#include "skin/paint/textures.h"

namespace velmap::paint {

void PaintSectionFill(Bitmap& bmp, TRect r, const SectionFill& fill) {
    if (!detail::Usable(bmp)) return;
    r = detail::ClipToBitmap(r, bmp);
    if (detail::IsEmpty(r)) return;
    const int image_percent = std::clamp(fill.ImagePercent, 0, 100);
    const int gradient_percent = std::clamp(fill.GradientPercent, 0, 100);
    // Blank, unparsable or unknown-mode gradient data gives no gradient: the
    // plain colour stands in for it, so no stale pixels remain.
    const bool has_gradient = GradientPaints(fill.Gradient);

    bool texture_painted = false;
    if (image_percent > 0) {
        TRect rest = r;
        if (fill.Pattern && detail::Usable(*fill.Pattern)) {
            TileImage(bmp, r, *fill.Pattern);
            rest = kAllCovered;
            texture_painted = true;
        } else if (fill.Texture && fill.Texture->Image) {
            if (fill.Texture->MaskRows() != 0) {
                // The texture is composed over what lies below it: the colour.
                FillRectColor(bmp, r, fill.Color);
                PaintMaskedTexture(bmp, r, {}, fill.Texture->StretchMode, *fill.Texture);
                rest = kAllCovered;
            } else {
                FillByStretchMode(bmp, rest, nullptr, fill.Texture->StretchMode, *fill.Texture);
            }
            texture_painted = true;
        }
        if (rest != kAllCovered) FillRectColor(bmp, rest, fill.Color);
    }

    if (gradient_percent > 0) {
        if (texture_painted) {
            const auto tmp = CreateBitmap24(r.Width(), r.Height());
            const TRect all{0, 0, r.Width(), r.Height()};
            if (has_gradient)
                PaintGradient(*tmp, all, fill.Gradient);
            else
                FillRectColor(*tmp, all, fill.Color);
            // The texture keeps the image share, the gradient takes the rest.
            BlendBitmapRect(bmp, *tmp, WeightFromPercent(image_percent), {r.Left, r.Top}, all);
        } else if (has_gradient) {
            PaintGradient(bmp, r, fill.Gradient);
        } else {
            FillRectColor(bmp, r, fill.Color);
        }
    }

    const int share = gradient_percent + image_percent;
    if (share == 0) {
        const bool parent_shows = ParentBgColor != KeyColor && fill.Transparency != 0;
        FillRectColor(bmp, r, parent_shows ? ParentBgColor : fill.Color);
    } else if (share < 100) {
        // The mix takes inclusive right and bottom edges.
        MixColorIntoRect(bmp, {r.Left, r.Top, r.Right - 1, r.Bottom - 1}, static_cast<std::uint8_t>(share), fill.Color);
    }
}

}  // namespace velmap::paint
