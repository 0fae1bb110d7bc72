// A skin section's own fill for one state: texture, gradient and colour.
#pragma once

#include <optional>
#include <span>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"
#include "skin/paint/gradient.h"
#include "skin/paint/mask_view.h"

namespace velmap::paint {

// The inputs of one state (normal or hot) of a section.
struct SectionFill {
    TColor Color = 0xFFFFFF;
    int GradientPercent = 0;
    int ImagePercent = 0;
    int Transparency = 0;
    // The parsed gradient; empty when GRADIENTDATA is blank or unusable.
    std::span<const GradientSegment> Gradient;
    // A large pattern image tiled as it is (takes precedence), else a texture
    // region of the skin's images.
    const Bitmap* Pattern = nullptr;
    std::optional<MaskView> Texture;
};

// Paints the fill into r: the texture (ImagePercent > 0), the gradient
// (GradientPercent > 0) and the plain colour mixed in by what is left of
// 100 %. r is clipped to the bitmap; nothing outside it changes.
void PaintSectionFill(Bitmap& bmp, TRect r, const SectionFill& fill);

}  // namespace velmap::paint
