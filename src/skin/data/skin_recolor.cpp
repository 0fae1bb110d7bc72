// Recolouring of a loaded skin by the manager's HueOffset and Saturation.
#include "skin/data/skin_model.h"
#include "skin/paint/color_adjust.h"

namespace velmap {

void SkinModel::ApplyHueOffset() {
    const int degrees = HueOffset;
    ApplyColorMap([degrees](TColor c) { return paint::ShiftHue(degrees, c); });
}

void SkinModel::ApplySaturation() {
    // The remainder keeps the sign of the dividend, as the amount is meant.
    const int amount = -Saturation % 101;
    ApplyColorMap([amount](TColor c) { return paint::AdjustSaturation(c, amount); });
}

}  // namespace velmap
