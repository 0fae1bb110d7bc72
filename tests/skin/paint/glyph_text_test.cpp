#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/paint/button_glyph.h"
#include "skin/paint/paint_device.h"
#include "skin/paint/skin_text.h"
#include "test_util.h"

namespace velmap::paint {
namespace {

using testing::At;
using testing::Bgr;
using testing::Put;

constexpr Bgr kFace{100, 100, 100};

// A 2 x 2 glyph frame per state: white (the transparent colour, bottom-left)
// and one coloured pixel at (1, 0) per frame: frame f is red 10 * (f + 1).
std::unique_ptr<Bitmap> Glyph(int frames) {
    auto g = CreateBitmap24(2 * frames, 2);
    testing::Fill(*g, {255, 255, 255});
    for (int f = 0; f < frames; ++f) Put(*g, 2 * f + 1, 0, {0, 0, static_cast<std::uint8_t>(10 * (f + 1))});
    return g;
}

TEST(DrawButtonGlyph, FramesTransparencyAndBlend) {
    struct Case {
        const char* what;
        int frames, state, blend;
        bool enabled, down;
        Bgr shown;
    };
    const Case cases[] = {
        {"one frame", 1, 0, 0, true, false, {0, 0, 10}},
        // Round(0.6 * glyph + 0.4 * face) per channel.
        {"blend 40", 1, 0, 40, true, false, {40, 40, 46}},
        {"hot: frame 4 of five", 5, 1, 0, true, false, {0, 0, 50}},
        {"hot: frame 0 of two", 2, 1, 0, true, false, {0, 0, 10}},
        {"pressed and down: frame 3", 4, 2, 0, true, true, {0, 0, 40}},
        {"pressed: frame 2", 4, 2, 0, true, false, {0, 0, 30}},
        {"disabled: frame 1", 4, 0, 0, false, false, {0, 0, 20}},
    };
    for (const Case& c : cases) {
        const auto glyph = Glyph(c.frames);
        ButtonGlyphView b;
        b.Glyph = glyph.get();
        b.NumGlyphs = c.frames;
        b.State = c.state;
        b.Blend = c.blend;
        b.Enabled = c.enabled;
        b.Down = c.down;
        auto cache = CreateBitmap24(6, 4);
        testing::Fill(*cache, kFace);
        DrawButtonGlyph(b, *cache, {2, 1});
        EXPECT_EQ(At(*cache, 3, 1), c.shown) << c.what;
        // The white pixels are left out, and the next frame's first column
        // never shows.
        EXPECT_EQ(At(*cache, 2, 1), kFace) << c.what;
        EXPECT_EQ(At(*cache, 4, 1), kFace) << c.what;
        EXPECT_EQ(At(*cache, 2, 2), kFace) << c.what;
    }
}

// Greyed, a picture pixel of the same grey as the transparent colour stays:
// transparency is decided on the pixels before greying, on a copy.
TEST(DrawButtonGlyph, GreyingKeepsPicturePixelsOfTheBackgroundsGrey) {
    auto glyph = CreateBitmap24(3, 2);
    testing::Fill(*glyph, {0, 0, 90});  // the transparent colour (bottom-left), grey 30
    Put(*glyph, 0, 0, {30, 30, 30});
    Put(*glyph, 1, 0, {90, 0, 0});
    Put(*glyph, 2, 0, {0, 60, 0});
    const struct {
        const char* what;
        bool enabled, grayed;
        TsDisabledGlyphKinds kinds;
    } cases[] = {
        {"disabled, greyed", false, false, dgGrayed},
        {"enabled, Grayed in state 0", true, true, 0},
    };
    for (const auto& c : cases) {
        ButtonGlyphView b;
        b.Glyph = glyph.get();
        b.Enabled = c.enabled;
        b.Grayed = c.grayed;
        b.DisabledGlyphKind = c.kinds;
        auto cache = CreateBitmap24(3, 2);
        testing::Fill(*cache, kFace);
        DrawButtonGlyph(b, *cache, {0, 0});
        EXPECT_EQ(At(*glyph, 1, 0), (Bgr{90, 0, 0})) << c.what << ": the button's own picture was greyed";
        EXPECT_EQ(At(*cache, 0, 0), (Bgr{30, 30, 30})) << c.what;
        EXPECT_EQ(At(*cache, 1, 0), (Bgr{30, 30, 30})) << c.what;
        EXPECT_EQ(At(*cache, 2, 0), (Bgr{20, 20, 20})) << c.what;
        EXPECT_EQ(At(*cache, 0, 1), kFace) << c.what;
    }
}

TEST(MixTwoColors, WorkedValueAndSystemColours) {
    EXPECT_EQ(MixTwoColors(0xC0C0C0, 0x3B3B3B, 0.4), 0x707070);               // Round(112.2) per channel
    EXPECT_EQ(MixTwoColors(MakeColor(1, 0, 0), MakeColor(0, 0, 0), 0.5), 0);  // Round(0.5) = 0
    EXPECT_EQ(MixTwoColors(MakeColor(3, 0, 0), MakeColor(0, 0, 0), 0.5), MakeColor(2, 0, 0));
    const TColor face = SystemColor(15);
    EXPECT_EQ(MixTwoColors(face, face, 0.4), ColorToRGB(face)) << "a system colour is mixed as its colour";
}

// Records what WriteSkinText asks the surface to draw.
struct Recorder : TextSurface {
    struct Call {
        TRect r;
        unsigned format;
        std::optional<TColor> color;
    };
    std::vector<Call> calls;
    bool DrawText(std::wstring_view, TRect r, unsigned format, std::optional<TColor> color) override {
        calls.push_back({r, format, color});
        return true;
    }
};

TEST(WriteSkinText, ContoursThenText) {
    SkinTextColors s;
    s.Font[0] = 0x111111, s.Font[1] = 0xCACACA, s.Font[3] = 0x0000FF;
    s.HotFont[0] = 0xFFFFFF, s.HotFont[4] = 0x00FF00;
    s.Color = 0x3B3B3B;
    const TRect r{10, 10, 50, 30};
    using namespace text_format;
    struct Case {
        const char* what;
        bool enabled, hot, custom_font;
        const SkinTextColors* section;
        std::vector<Recorder::Call> expected;
    };
    const Case cases[] = {
        {"left and right contours",
         true,
         false,
         false,
         &s,
         {{{9, 10, 49, 30}, kNoClip, 0xCACACA}, {{11, 10, 51, 30}, kNoClip, 0x0000FF}, {r, kNoClip, 0x111111}}},
        {"hot: the bottom contour",
         true,
         true,
         false,
         &s,
         {{{10, 11, 50, 31}, kNoClip, 0x00FF00}, {r, kNoClip, 0xFFFFFF}}},
        {"custom font: no contours, own colour", true, false, true, &s, {{r, kNoClip, std::nullopt}}},
        {"disabled: 40 % text on the section colour", false, false, false, &s, {{r, 0, 0x2A2A2A}}},
        {"no section", true, true, false, nullptr, {{r, kNoClip, std::nullopt}}},
    };
    for (const Case& c : cases) {
        Recorder rec;
        WriteSkinText(rec, L"Text", c.enabled, c.hot, c.section, c.custom_font, 0, r);
        ASSERT_EQ(rec.calls.size(), c.expected.size()) << c.what;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(rec.calls[i].r, c.expected[i].r) << c.what << " #" << i;
            EXPECT_EQ(rec.calls[i].format, c.expected[i].format) << c.what << " #" << i;
            EXPECT_EQ(rec.calls[i].color, c.expected[i].color) << c.what << " #" << i;
        }
    }
}

}  // namespace
}  // namespace velmap::paint
