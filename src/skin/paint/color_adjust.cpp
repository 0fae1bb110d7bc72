#include "skin/paint/color_adjust.h"

#include <algorithm>
#include <cmath>

#include "skin/paint/pixel_ops.h"

namespace velmap::paint {

namespace {

inline int RoundHalfEven(double v) noexcept {
    double r = std::floor(v);
    const double frac = v - r;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    return static_cast<int>(std::clamp(r, -1e6, 1e6));
}

}  // namespace

TColor ShiftHue(int degrees, TColor color) {
    const TColor c = ColorToRGB(color) & 0xFFFFFF;
    const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    const int max = std::max({r, g, b}), min = std::min({r, g, b});
    if (max == 0 || max == min) return c;  // saturation 0: a grey has no hue

    const double v = max, s = static_cast<double>(max - min) / max, span = max - min;
    double h;
    if (max == r)
        h = 60.0 * (g - b) / span;
    else if (max == g)
        h = 120.0 + 60.0 * (b - r) / span;
    else
        h = 240.0 + 60.0 * (r - g) / span;
    // Turning by a negative amount must still land in 0..359.
    int hue = RoundHalfEven(h + degrees) % 360;
    if (hue < 0) hue += 360;

    const int sector = hue / 60;
    const double f = hue / 60.0 - sector;
    const double p = v * (1.0 - s), q = v * (1.0 - s * f), t = v * (1.0 - s * (1.0 - f));
    double rr, gg, bb;
    switch (sector) {
        case 0:
            rr = v;
            gg = t;
            bb = p;
            break;
        case 1:
            rr = q;
            gg = v;
            bb = p;
            break;
        case 2:
            rr = p;
            gg = v;
            bb = t;
            break;
        case 3:
            rr = p;
            gg = q;
            bb = v;
            break;
        case 4:
            rr = t;
            gg = p;
            bb = v;
            break;
        default:
            rr = v;
            gg = p;
            bb = q;
            break;
    }
    return MakeColor(LimitToByte(RoundHalfEven(rr)), LimitToByte(RoundHalfEven(gg)), LimitToByte(RoundHalfEven(bb)));
}

TColor AdjustSaturation(TColor color, int amount) {
    if (amount == 0) return color;
    const TColor c = ColorToRGB(color);
    const int ch[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
    const double grey = (ch[0] + ch[1] + ch[2]) / 3.0;
    int out[3];
    for (int i = 0; i < 3; ++i) out[i] = LimitToByte(RoundHalfEven(ch[i] + amount * (grey - ch[i]) / 100.0));
    return MakeColor(out[0], out[1], out[2]);
}

}  // namespace velmap::paint
