// Hue and saturation changes of single colours (a skin's hue offset and
// saturation setting).
#pragma once

#include "skin/paint/color.h"

namespace velmap::paint {

// The resolved colour with its HSV hue turned by degrees (either sign).
// Greys (saturation 0) come back unchanged.
TColor ShiftHue(int degrees, TColor color);

// amount > 0 moves each channel towards the grey (r + g + b) / 3 by amount
// percent (100 gives the grey); amount < 0 pushes it away; 0 returns the
// colour as given.
TColor AdjustSaturation(TColor color, int amount);

}  // namespace velmap::paint
