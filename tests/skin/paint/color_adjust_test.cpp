#include "skin/paint/color_adjust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velmap::paint {
namespace {

// An independent statement of the HSV rule: hue from atan2-free chroma
// sectors in double precision, rebuilt through the chroma formulation.
TColor ReferenceShift(int degrees, TColor c) {
    const double r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    const double max = std::max({r, g, b}), min = std::min({r, g, b}), chroma = max - min;
    double h = 0;
    if (max == r)
        h = std::fmod((g - b) / chroma + 6.0, 6.0);
    else if (max == g)
        h = (b - r) / chroma + 2.0;
    else
        h = (r - g) / chroma + 4.0;
    double hue = std::fmod(std::round(h * 60.0 + degrees), 360.0);
    if (hue < 0) hue += 360.0;
    const double hp = hue / 60.0, x = chroma * (1 - std::fabs(std::fmod(hp, 2.0) - 1));
    double rr = 0, gg = 0, bb = 0;
    switch (static_cast<int>(hp)) {
        case 0:
            rr = chroma, gg = x;
            break;
        case 1:
            rr = x, gg = chroma;
            break;
        case 2:
            gg = chroma, bb = x;
            break;
        case 3:
            gg = x, bb = chroma;
            break;
        case 4:
            rr = x, bb = chroma;
            break;
        default:
            rr = chroma, bb = x;
            break;
    }
    auto ch = [&](double v) { return std::clamp(static_cast<int>(std::lround(v + min)), 0, 255); };
    return MakeColor(ch(rr), ch(gg), ch(bb));
}

TEST(ShiftHue, AgreesWithTheHsvRuleWithinOneStep) {
    const TColor samples[] = {MakeColor(255, 0, 0),   MakeColor(200, 120, 40),  MakeColor(12, 200, 90),
                              MakeColor(30, 60, 250), MakeColor(128, 127, 129), MakeColor(1, 0, 0),
                              MakeColor(59, 59, 80),  MakeColor(255, 254, 0)};
    for (TColor c : samples) {
        for (int deg = -720; deg <= 720; deg += 7) {
            const TColor got = ShiftHue(deg, c), want = ReferenceShift(deg, c);
            ASSERT_EQ(got & ~0xFFFFFF, 0);
            EXPECT_LE(std::abs(RedOf(got) - RedOf(want)), 1) << std::hex << c << std::dec << " by " << deg;
            EXPECT_LE(std::abs(GreenOf(got) - GreenOf(want)), 1) << std::hex << c << std::dec << " by " << deg;
            EXPECT_LE(std::abs(BlueOf(got) - BlueOf(want)), 1) << std::hex << c << std::dec << " by " << deg;
        }
    }
}

TEST(ShiftHue, KnownTurnsAndGreys) {
    EXPECT_EQ(ShiftHue(120, MakeColor(255, 0, 0)), MakeColor(0, 255, 0));
    EXPECT_EQ(ShiftHue(-120, MakeColor(255, 0, 0)), MakeColor(0, 0, 255));
    EXPECT_EQ(ShiftHue(360, MakeColor(200, 0, 100)), MakeColor(200, 0, 100));  // hue 330
    EXPECT_EQ(ShiftHue(30, MakeColor(200, 0, 100)), MakeColor(200, 0, 0));
    for (int v : {0, 1, 59, 128, 255})
        for (int deg : {-90, 45, 180}) EXPECT_EQ(ShiftHue(deg, MakeColor(v, v, v)), MakeColor(v, v, v));
}

TEST(AdjustSaturation, TowardsAndAwayFromGrey) {
    const TColor c = MakeColor(90, 60, 30);  // grey 60
    EXPECT_EQ(AdjustSaturation(c, 0), c);
    EXPECT_EQ(AdjustSaturation(c | 0x55000000, 0), c | 0x55000000);  // 0 returns it as given
    EXPECT_EQ(AdjustSaturation(c, 100), MakeColor(60, 60, 60));
    EXPECT_EQ(AdjustSaturation(c, 50), MakeColor(75, 60, 45));
    EXPECT_EQ(AdjustSaturation(c, -100), MakeColor(120, 60, 0));
    EXPECT_EQ(AdjustSaturation(c, -300), MakeColor(180, 60, 0));  // clamped, no wrap
    // Half-to-even: 1 + 50 * (2 - 1) / 100 = 1.5 -> 2; 3 - 0.5 = 2.5 -> 2.
    EXPECT_EQ(AdjustSaturation(MakeColor(1, 2, 3), 50), MakeColor(2, 2, 2));
    EXPECT_EQ(AdjustSaturation(MakeColor(255, 0, 255) | 0x7F000000, 100) & ~0xFFFFFF, 0);
}

}  // namespace
}  // namespace velmap::paint
