#include "skin/paint/skin_text.h"

#include "skin/paint/paint_util.h"

namespace velmap::paint {

TColor MixTwoColors(TColor a, TColor b, double factor) {
    // System colours name a colour; mix the colour, not the name.
    const TColor ra = ColorToRGB(a), rb = ColorToRGB(b);
    auto mix = [&](int ca, int cb) { return detail::RoundToByte(factor * (ca - cb) + cb); };
    const TColor rgb = MakeColor(mix(RedOf(ra), RedOf(rb)), mix(GreenOf(ra), GreenOf(rb)), mix(BlueOf(ra), BlueOf(rb)));
    return static_cast<TColor>((static_cast<std::uint32_t>(ra) & 0xFF000000u) | static_cast<std::uint32_t>(rgb));
}

void WriteSkinText(TextSurface& surface, std::wstring_view text, bool enabled, bool hot, const SkinTextColors* section,
                   bool custom_font, unsigned format, TRect r) {
    if (!enabled) {
        if (!section) {
            surface.DrawText(text, r, format, std::nullopt);
            return;
        }
        // 40 % text colour, 60 % background colour.
        surface.DrawText(text, r, format, MixTwoColors(section->Font[0], section->Color, 0.4));
        return;
    }
    const unsigned fmt = format | text_format::kNoClip;
    if (!section) {
        surface.DrawText(text, r, fmt, std::nullopt);
        return;
    }
    const std::int32_t* colors = hot ? section->HotFont : section->Font;
    if (!custom_font) {
        static constexpr int kShift[4][2] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};  // left, top, right, bottom
        for (int side = 0; side < 4; ++side) {
            if (colors[side + 1] == -1) continue;
            const TRect moved{r.Left + kShift[side][0], r.Top + kShift[side][1], r.Right + kShift[side][0],
                              r.Bottom + kShift[side][1]};
            surface.DrawText(text, moved, fmt, colors[side + 1]);
        }
    }
    surface.DrawText(text, r, fmt, custom_font ? std::nullopt : std::optional<TColor>(colors[0]));
}

}  // namespace velmap::paint
