#include "skin/data/item_views.h"

namespace velmap {

namespace {

bool ValidMask(const SkinModel& model, int index) { return index >= 0 && index < static_cast<int>(model.Masks.size()); }

}  // namespace

std::optional<paint::MaskView> MaskViewOf(const SkinModel& model, int index) {
    if (!ValidMask(model, index)) return std::nullopt;
    const TsMaskData& m = model.Masks[index];
    paint::MaskView v;
    v.OwnImage = m.Bmp != nullptr;
    v.Image = m.Bmp ? m.Bmp.get() : m.Manager ? m.Manager->MasterBitmap.get() : nullptr;
    v.R = m.R;
    if (v.OwnImage && (v.R.Width() <= 0 || v.R.Height() <= 0)) v.R = {0, 0, m.Bmp->Width(), m.Bmp->Height()};
    v.ImageCount = m.ImageCount;
    v.MaskType = m.MaskType;
    v.WL = m.WL, v.WT = m.WT, v.WR = m.WR, v.WB = m.WB;
    v.StretchMode = m.StretchMode;
    return v;
}

SkinItemIndexes ResolveItemIndexes(const SkinModel& model, std::string_view section_name) {
    SkinItemIndexes ix;
    ix.Section = model.FindSectionIndex(section_name);
    if (ix.Section < 0) return ix;
    ix.BorderMask = model.FindMaskIndex(ix.Section, section_name, "BORDERSMASK");
    ix.Pattern = model.FindTextureIndex(ix.Section, section_name, "PATTERN");
    ix.HotPattern = model.FindTextureIndex(ix.Section, section_name, "HOTPATTERN");
    return ix;
}

paint::SectionFill SectionFillOf(const SkinModel& model, int section, int state, int pattern, int hot_pattern) {
    paint::SectionFill f;
    if (section < 0 || section >= static_cast<int>(model.Sections.size())) return f;
    const TsGeneralData& s = model.Sections[section];
    const bool hot = state >= 1;
    f.Color = paint::ColorToRGB(hot ? s.HotColor : s.Color);
    f.ImagePercent = hot ? s.HotImagePercent : s.ImagePercent;
    f.GradientPercent = hot ? s.HotGradientPercent : s.GradientPercent;
    f.Transparency = hot ? s.HotTransparency : s.Transparency;
    if (f.GradientPercent != 0) f.Gradient = hot ? s.HotGradientArray : s.GradientArray;
    if (f.ImagePercent > 0) {
        const std::string_view key = hot ? "HOTPATTERN" : "PATTERN";
        const int given = hot ? hot_pattern : pattern;
        int texture = -1;
        if (given == -1)
            texture = model.FindMaskIndex(section, s.Name, key);
        else if (ValidMask(model, given) && model.Masks[given].MaskType == 0)
            texture = given;  // a texture with a mask half is drawn over the fill instead
        if (ValidMask(model, texture)) {
            f.Texture = MaskViewOf(model, texture);
        } else {
            const int p = model.FindPatternIndex(section, s.Name, key);
            if (p >= 0 && p < static_cast<int>(model.Patterns.size())) f.Pattern = model.Patterns[p].Img.get();
        }
    }
    return f;
}

std::optional<paint::SkinItemView> SkinItemViewOf(const SkinModel& model, const SkinItemIndexes& ix,
                                                  paint::TColor custom_color) {
    if (ix.Section < 0 || ix.Section >= static_cast<int>(model.Sections.size())) return std::nullopt;
    const TsGeneralData& s = model.Sections[ix.Section];
    paint::SkinItemView v;
    v.Fill[0] = SectionFillOf(model, ix.Section, 0, ix.Pattern, ix.HotPattern);
    v.Fill[1] = SectionFillOf(model, ix.Section, 1, ix.Pattern, ix.HotPattern);
    v.Border = MaskViewOf(model, ix.BorderMask);
    static constexpr std::string_view kCorners[4] = {"IMGTOPLEFT", "IMGTOPRIGHT", "IMGBTMLEFT", "IMGBTMRIGHT"};
    for (int k = 0; k < 4; ++k) v.Corners[k] = MaskViewOf(model, model.FindMaskIndex(ix.Section, s.Name, kCorners[k]));
    // The state-0 overlay: the PATTERN texture with a mask half when it is
    // laid out by fill mode 10, else the HOTPATTERN one under the same rule.
    auto masked = [&](int i) { return ValidMask(model, i) && model.Masks[i].MaskType > 0; };
    if (masked(ix.Pattern)) {
        if (model.Masks[ix.Pattern].StretchMode == 10) v.Overlay = MaskViewOf(model, ix.Pattern);
    } else if (masked(ix.HotPattern) && model.Masks[ix.HotPattern].StretchMode == 10) {
        v.Overlay = MaskViewOf(model, ix.HotPattern);
    }
    v.CustomColor = custom_color;
    return v;
}

paint::SkinTextColors TextColorsOf(const TsGeneralData& s) {
    paint::SkinTextColors c;
    for (int i = 0; i < 5; ++i) c.Font[i] = s.FontColor[i], c.HotFont[i] = s.HotFontColor[i];
    c.Color = s.Color;
    return c;
}

}  // namespace velmap
