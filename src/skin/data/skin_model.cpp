#include "skin/data/skin_model.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

#include "skin/data/convert.h"
#include "skin/data/image_decode.h"
#include "skin/data/skin_values.h"
#include "skin/data/stored_skin.h"
#include "skin/paint/color.h"

namespace velmap {

namespace {

constexpr std::int64_t kPatternMinPixels = 90000;  // smaller JPEG images become texture masks
constexpr TColor kKeyColor = paint::KeyColor;

// The keys of the section table, in one list so that each section's own values
// are gathered in one pass over its lines.
enum Key : int {
    kParentClass,
    kColor,
    kBevel,
    kShadowBlur,
    kShadowOffset,
    kShadowColor,
    kShadowTransparency,
    kShadowEnabled,
    kReservedBoolean,
    kFontColor,
    kTcLeft,
    kTcTop,
    kTcRight,
    kTcBottom,
    kHotFontColor,
    kHotTcLeft,
    kHotTcTop,
    kHotTcRight,
    kHotTcBottom,
    kTransparency,
    kGradientPercent,
    kImagePercent,
    kGradientData,
    kShowFocus,
    kFadingEnabled,
    kFadingIntervalIn,
    kFadingIntervalOut,
    kFadingIterations,
    kHotColor,
    kHotTransparency,
    kHotBevel,
    kHotGradientPercent,
    kHotGradientData,
    kHotImagePercent,
    kBorderColor1,
    kBorderColor2,
    kKeyCount
};
constexpr std::string_view kKeyNames[kKeyCount] = {"PARENTCLASS",
                                                   "COLOR",
                                                   "BEVEL",
                                                   "SHADOWBLUR",
                                                   "SHADOWOFFSET",
                                                   "SHADOWCOLOR",
                                                   "SHADOWTRANSPARENCY",
                                                   "SHADOWENABLED",
                                                   "RESERVEDBOOLEAN",
                                                   "FONTCOLOR",
                                                   "TCLEFT",
                                                   "TCTOP",
                                                   "TCRIGHT",
                                                   "TCBOTTOM",
                                                   "HOTFONTCOLOR",
                                                   "HOTTCLEFT",
                                                   "HOTTCTOP",
                                                   "HOTTCRIGHT",
                                                   "HOTTCBOTTOM",
                                                   "TRANSPARENCY",
                                                   "GRADIENTPERCENT",
                                                   "IMAGEPERCENT",
                                                   "GRADIENTDATA",
                                                   "SHOWFOCUS",
                                                   "FADINGENABLED",
                                                   "FADINGINTERVALIN",
                                                   "FADINGINTERVALOUT",
                                                   "FADINGITERATIONS",
                                                   "HOTCOLOR",
                                                   "HOTTRANSPARENCY",
                                                   "HOTBEVEL",
                                                   "HOTGRADIENTPERCENT",
                                                   "HOTGRADIENTDATA",
                                                   "HOTIMAGEPERCENT",
                                                   "BORDERCOLOR1",
                                                   "BORDERCOLOR2"};

int KeyOf(std::string_view upper) {
    if (upper.empty()) return -1;
    for (int k = 0; k < kKeyCount; ++k) {
        const std::string_view n = kKeyNames[k];
        if (n.size() == upper.size() && n[0] == upper[0] && n == upper) return k;
    }
    return -1;
}

// Reading of section keys along the PARENTCLASS chain. A chain that comes
// back to a section already visited ends there: the key counts as absent.
class SectionReader {
public:
    explicit SectionReader(const MemIniFile& ini) : sections_(ini.Sections()) {
        const std::size_t n = sections_.size();
        own_.assign(n, {});
        parent_.assign(n, -1);
        seen_.assign(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            auto& own = own_[i];
            for (const auto& e : sections_[i].entries) {
                if (!e.has_value) continue;
                int k = KeyOf(e.upper_key);
                if (k >= 0 && !own[k]) own[k] = &e.value;
            }
            const std::string_view* p = own[kParentClass];
            if (p && !p->empty() && *p != "?" && *p != sections_[i].name)
                if (const auto* ps = ini.FindSection(*p)) parent_[i] = static_cast<int>(ps - sections_.data());
        }
    }

    const std::string_view* Own(std::size_t s, Key k) const { return own_[s][k]; }

    // The first value along the chain that accept() takes.
    template <class Accept>
    auto Chain(std::size_t s, Key k, Accept accept) const -> decltype(accept(std::string_view())) {
        if (++stamp_ == 0) {  // wrapped: start the marks afresh
            std::fill(seen_.begin(), seen_.end(), 0u);
            stamp_ = 1;
        }
        for (int i = static_cast<int>(s); i >= 0; i = parent_[i]) {
            if (seen_[i] == stamp_) break;
            seen_[i] = stamp_;
            if (const std::string_view* v = own_[i][k])
                if (auto r = accept(*v)) return r;
        }
        return {};
    }
    std::int32_t Int(std::size_t s, Key k, std::int32_t def) const {
        auto v = Chain(s, k, [](std::string_view text) -> std::optional<std::int32_t> {
            auto n = ParseIntLenient(text);
            if (n && *n != -1) return n;
            return std::nullopt;
        });
        return v.value_or(def);
    }
    const std::string_view* StrOrNull(std::size_t s, Key k) const {
        return Chain(s, k, [](const std::string_view& text) -> const std::string_view* {
            return text == "?" ? nullptr : &text;
        });
    }
    bool Bool(std::size_t s, Key k) const {
        const std::string_view* v = StrOrNull(s, k);
        return v && ParseBool(*v);
    }
    // The gradient a value describes, parsed once however many sections
    // inherit it; none for no value.
    const TsGradArray& Gradient(const std::string_view* v) const {
        static const TsGradArray kNone;
        if (!v) return kNone;
        auto it = gradients_.find(v);
        if (it == gradients_.end()) it = gradients_.emplace(v, ParseGradientData(*v)).first;
        return it->second;
    }
    TsControlBevel Bevel(std::size_t s, Key k) const {
        // A bevel outside the five known kinds is taken as none.
        std::int32_t b = Int(s, k, 0);
        return (b >= 0 && b <= 4) ? static_cast<TsControlBevel>(b) : TsControlBevel::cbNone;
    }

private:
    const std::vector<MemIniFile::Section>& sections_;
    std::vector<std::array<const std::string_view*, kKeyCount>> own_;
    std::vector<int> parent_;
    mutable std::vector<unsigned> seen_;
    mutable unsigned stamp_ = 0;
    mutable std::unordered_map<const std::string_view*, TsGradArray> gradients_;
};

TsGeneralData ReadSection(const SectionReader& rd, std::size_t s, std::string_view name) {
    TsGeneralData g;
    g.Name = std::string(name);
    if (const auto* p = rd.Own(s, kParentClass)) g.ParentClass = std::string(*p);
    g.Color = paint::ColorToRGB(rd.Int(s, kColor, 0xFFFFFF));
    g.Bevel = rd.Bevel(s, kBevel);
    g.ShadowBlur = rd.Int(s, kShadowBlur, 6);
    g.ShadowOffset = rd.Int(s, kShadowOffset, 3);
    if (const auto* v = rd.Own(s, kShadowColor)) g.ShadowColor = ParseIntLenient(*v).value_or(0);
    g.ShadowTransparency = rd.Int(s, kShadowTransparency, 50);
    g.ShadowEnabled = rd.Bool(s, kShadowEnabled);
    g.ReservedBoolean = rd.Bool(s, kReservedBoolean);
    for (int i = 0; i < 5; ++i) {
        g.FontColor[i] = rd.Int(s, static_cast<Key>(kFontColor + i), i == 0 ? 0 : -1);
        g.HotFontColor[i] = rd.Int(s, static_cast<Key>(kHotFontColor + i), i == 0 ? 0 : -1);
    }
    g.Transparency = rd.Int(s, kTransparency, 0);
    g.GradientPercent = rd.Int(s, kGradientPercent, 0);
    g.ImagePercent = rd.Int(s, kImagePercent, 0);
    const std::string_view* gradient = rd.StrOrNull(s, kGradientData);
    g.GradientData = std::string(gradient ? *gradient : " ");
    if (g.GradientData != " ") g.GradientArray = rd.Gradient(gradient);
    g.ShowFocus = rd.Bool(s, kShowFocus);
    g.FadingEnabled = rd.Bool(s, kFadingEnabled);
    g.FadingIntervalIn = rd.Int(s, kFadingIntervalIn, 5);
    g.FadingIntervalOut = rd.Int(s, kFadingIntervalOut, 5);
    g.FadingIterations = rd.Int(s, kFadingIterations, 5);
    g.HotColor = rd.Int(s, kHotColor, 0xFFFFFF);
    g.HotTransparency = rd.Int(s, kHotTransparency, 0);
    g.HotBevel = rd.Bevel(s, kHotBevel);
    g.HotGradientPercent = rd.Int(s, kHotGradientPercent, 0);
    const std::string_view* hot_gradient = rd.StrOrNull(s, kHotGradientData);
    g.HotGradientData = std::string(hot_gradient ? *hot_gradient : "");
    if (g.HotGradientData != " ") g.HotGradientArray = rd.Gradient(hot_gradient);
    g.HotImagePercent = rd.Int(s, kHotImagePercent, 0);
    g.BorderColor1 = rd.Int(s, kBorderColor1, 0);
    g.BorderColor2 = rd.Int(s, kBorderColor2, 0);
    return g;
}

std::unique_ptr<Bitmap> LoadImage(SkinFiles& files, std::string_view name) {
    std::vector<std::uint8_t> storage;
    auto bytes = files.Find(name, storage);
    if (bytes.empty()) return nullptr;
    return DecodeImage(bytes.data(), bytes.size());
}

bool IsGrey(TColor c) { return paint::RedOf(c) == paint::GreenOf(c) && paint::GreenOf(c) == paint::BlueOf(c); }

bool HasJpegName(std::string_view value) { return ContainsNoCase(value, ".JPG") || ContainsNoCase(value, ".JPEG"); }

}  // namespace

// ---- loading -----------------------------------------------------------------

void SkinModel::AddMaskFromValue(std::string_view section, std::string_view key, std::string_view value,
                                 SkinFiles& files) {
    MaskValue v = ParseMaskValue(key, value);
    if (v.Form == MaskValueForm::None) return;
    TsMaskData m;
    m.SectionName = std::string(section);
    m.PropertyName = std::string(key);
    m.Manager = this;
    m.R = v.R;
    m.ImageCount = v.ImageCount;
    m.MaskType = v.MaskType;
    m.BorderWidth = v.BorderWidth;
    m.StretchMode = v.StretchMode;
    m.ImgType = v.ImgType;
    m.WL = v.WL;
    m.WT = v.WT;
    m.WR = v.WR;
    m.WB = v.WB;
    if (v.Form == MaskValueForm::External || v.Form == MaskValueForm::PlainBitmap) {
        m.Bmp = LoadImage(files, v.FileName);
        if (!m.Bmp || m.Bmp->Width() == 0) return;
        m.R = TRect{0, 0, m.Bmp->Width(), m.Bmp->Height()};
    }
    if (v.Form == MaskValueForm::PlainBitmap || v.Form == MaskValueForm::Described) {
        m.SectionName = UpperCase(section);
        m.PropertyName = UpperCase(key);
    }
    switch (v.Form) {
        case MaskValueForm::Border:
        case MaskValueForm::Described:
        case MaskValueForm::PlainBitmap:
            DeriveBorderWidths(m);
            break;
        case MaskValueForm::External:
            if (!v.WidthsGiven) DeriveBorderWidths(m);
            break;
        default:
            break;
    }
    Masks.push_back(std::move(m));
}

void SkinModel::LoadMasks(const MemIniFile& ini, SkinFiles& files) {
    Masks.clear();
    MasterBitmap.reset();
    const std::string_view* master = ini.FindValue("GLOBALINFO", "MASTERBITMAP");
    if (master && !master->empty()) MasterBitmap = LoadImage(files, *master);

    for (const auto& s : ini.Sections()) {
        for (const auto& e : s.entries) {
            if (!e.has_value) continue;
            if (s.name == "GLOBALINFO" && e.key == "MASTERBITMAP") continue;
            AddMaskFromValue(s.name, e.key, e.value, files);
        }
    }
    if (!CommonSections.empty()) LoadCommonMasks(MemIniFile(CommonSections));
}

void SkinModel::LoadCommonMasks(const MemIniFile& common) {
    FolderFiles disk(SkinData.SkinFolder);
    for (const auto& s : common.Sections()) {
        if (s.upper_name == "GLOBALINFO") continue;
        for (const auto& e : s.entries) {
            if (!e.has_value || e.value.find('#') != std::string::npos) continue;
            if (!ContainsNoCase(e.value, ".BMP")) continue;
            TsMaskData m;
            m.Bmp = LoadImage(disk, e.value);
            if (!m.Bmp || m.Bmp->Width() == 0) continue;
            m.SectionName = std::string(s.upper_name);
            m.PropertyName = std::string(e.upper_key);
            m.Manager = this;
            m.R = TRect{0, 0, m.Bmp->Width(), m.Bmp->Height()};
            m.ImageCount = 3;
            m.MaskType = 1;
            DeriveBorderWidths(m);
            Masks.push_back(std::move(m));
        }
    }
}

void SkinModel::LoadPatterns(const MemIniFile& ini, SkinFiles& files) {
    Patterns.clear();
    for (const auto& s : ini.Sections()) {
        for (const auto& e : s.entries) {
            if (!e.has_value) continue;
            if (!HasJpegName(e.value)) continue;
            std::unique_ptr<Bitmap> img = LoadImage(files, files.MatchesUpperCase() ? UpperCase(e.value) : e.value);
            if (!img || img->Width() == 0) continue;
            if (std::int64_t(img->Width()) * img->Height() >= kPatternMinPixels) {
                Patterns.push_back(TsPatternData{std::move(img), std::string(s.upper_name), std::string(e.upper_key)});
            } else {
                TsMaskData m;
                m.Bmp = std::move(img);
                m.SectionName = std::string(s.upper_name);
                m.PropertyName = std::string(e.upper_key);
                m.Manager = this;
                m.ImgType = TacImgType::itisaTexture;
                m.ImageCount = 1;
                Masks.push_back(std::move(m));
            }
        }
    }
    if (!CommonSections.empty()) LoadCommonPatterns(MemIniFile(CommonSections));
}

void SkinModel::LoadCommonPatterns(const MemIniFile& common) {
    FolderFiles disk(SkinData.SkinFolder);
    for (const auto& s : common.Sections()) {
        for (const auto& e : s.entries) {
            if (!e.has_value) continue;
            if (!HasJpegName(e.value)) continue;
            std::unique_ptr<Bitmap> img = LoadImage(disk, e.value);
            if (img && img->Width() > 0)
                Patterns.push_back(TsPatternData{std::move(img), std::string(s.upper_name), std::string(e.upper_key)});
        }
    }
}

void SkinModel::LoadSections(const MemIniFile& ini) {
    TsSkinData& d = SkinData;
    d.Version = ParseVersion(ini.ReadString("GLOBALINFO", "VERSION", "0"));
    d.Author = ini.ReadString("GLOBALINFO", "AUTHOR", "");
    d.Description = ini.ReadString("GLOBALINFO", "DESCRIPTION", "");
    d.Shadow1Color = ini.ReadInteger("GLOBALINFO", "SHADOW1COLOR", 0);
    d.Shadow1Offset = StrToIntStrict(ini.ReadString("GLOBALINFO", "SHADOW1OFFSET", "0"));
    d.Shadow1Blur = StrToIntStrict(ini.ReadString("GLOBALINFO", "SHADOW1BLUR", "-1"));
    d.Shadow1Transparency = StrToIntStrict(ini.ReadString("GLOBALINFO", "SHADOW1TRANSPARENCY", "0"));
    d.TitleButtonSpacing = ini.ReadInteger("GLOBALINFO", "BISPACE", 0);
    d.BorderColor = ini.ReadInteger("GLOBALINFO", "BORDERCOLOR", 0);

    Sections.clear();
    Sections.reserve(ini.Sections().size());
    SectionReader rd(ini);
    for (std::size_t i = 0; i < ini.Sections().size(); ++i)
        Sections.push_back(ReadSection(rd, i, ini.Sections()[i].name));

    if (!CommonSections.empty()) LoadCommonSections(MemIniFile(CommonSections));
    if (HueOffset != 0) ApplyHueOffset();
    if (Saturation != 0) ApplySaturation();
}

// A common section takes each key it gives; the rest comes from the record of
// its PARENTCLASS (looked up upper-cased) when there is one, else the defaults.
void SkinModel::LoadCommonSections(const MemIniFile& common) {
    for (const auto& s : common.Sections()) {
        std::string parent = common.ReadString(s.name, "PARENTCLASS", "");
        int pi = parent.empty() ? -1 : FindSectionIndex(UpperCase(parent));
        TsGeneralData g = pi >= 0 ? Sections[pi] : TsGeneralData{};
        g.Name = std::string(s.name);
        g.ParentClass = parent;
        auto integer = [&](std::string_view key, std::int32_t& field) {
            if (const auto* e = s.Find(key))
                if (auto v = ParseIntLenient(e->value)) field = *v;
        };
        auto boolean = [&](std::string_view key, bool& field) {
            if (const auto* e = s.Find(key)) field = ParseBool(e->value);
        };
        auto bevel = [&](std::string_view key, TsControlBevel& field) {
            std::int32_t b = static_cast<std::int32_t>(field);
            integer(key, b);
            field = (b >= 0 && b <= 4) ? static_cast<TsControlBevel>(b) : TsControlBevel::cbNone;
        };
        integer("COLOR", g.Color);
        bevel("BEVEL", g.Bevel);
        integer("SHADOWBLUR", g.ShadowBlur);
        integer("SHADOWOFFSET", g.ShadowOffset);
        integer("SHADOWCOLOR", g.ShadowColor);
        integer("SHADOWTRANSPARENCY", g.ShadowTransparency);
        boolean("SHADOWENABLED", g.ShadowEnabled);
        boolean("RESERVEDBOOLEAN", g.ReservedBoolean);
        static constexpr std::string_view kFont[5] = {"FONTCOLOR", "TCLEFT", "TCTOP", "TCRIGHT", "TCBOTTOM"};
        static constexpr std::string_view kHotFont[5] = {"HOTFONTCOLOR", "HOTTCLEFT", "HOTTCTOP", "HOTTCRIGHT",
                                                         "HOTTCBOTTOM"};
        for (int i = 0; i < 5; ++i) {
            integer(kFont[i], g.FontColor[i]);
            integer(kHotFont[i], g.HotFontColor[i]);
        }
        integer("TRANSPARENCY", g.Transparency);
        integer("GRADIENTPERCENT", g.GradientPercent);
        integer("IMAGEPERCENT", g.ImagePercent);
        if (const auto* e = s.Find("GRADIENTDATA")) {
            g.GradientData = std::string(e->value);
            g.GradientArray = g.GradientData == " " ? TsGradArray{} : ParseGradientData(g.GradientData);
        }
        boolean("SHOWFOCUS", g.ShowFocus);
        boolean("FADINGENABLED", g.FadingEnabled);
        integer("FADINGINTERVALIN", g.FadingIntervalIn);
        integer("FADINGINTERVALOUT", g.FadingIntervalOut);
        integer("FADINGITERATIONS", g.FadingIterations);
        integer("HOTCOLOR", g.HotColor);
        integer("HOTTRANSPARENCY", g.HotTransparency);
        bevel("HOTBEVEL", g.HotBevel);
        integer("HOTGRADIENTPERCENT", g.HotGradientPercent);
        if (const auto* e = s.Find("HOTGRADIENTDATA")) {
            g.HotGradientData = std::string(e->value);
            g.HotGradientArray = g.HotGradientData == " " ? TsGradArray{} : ParseGradientData(g.HotGradientData);
        }
        integer("HOTIMAGEPERCENT", g.HotImagePercent);
        integer("BORDERCOLOR1", g.BorderColor1);
        integer("BORDERCOLOR2", g.BorderColor2);

        int existing = FindSectionIndex(s.name);
        if (existing >= 0)
            Sections[existing] = std::move(g);
        else
            Sections.push_back(std::move(g));
    }
}

void SkinModel::Load(std::string_view options_text, SkinFiles& files) {
    MemIniFile ini(options_text);
    SkinModel staged;
    staged.HueOffset = HueOffset;
    staged.Saturation = Saturation;
    staged.CommonSections = CommonSections;
    staged.SkinData.SkinFolder = SkinData.SkinFolder;
    staged.LoadMasks(ini, files);
    staged.LoadPatterns(ini, files);
    staged.LoadSections(ini);
    staged.SkinData.SkinLoaded = SkinData.SkinLoaded;
    Swap(staged);
}

// Five blank-separated integers; another count gives colour 0 and no contours.
// A word that is not an integer throws, and the item is skipped.
static void ReadFontColors(const std::string& text, std::int32_t (&out)[5]) {
    std::vector<std::int32_t> v;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        std::size_t e = text.find(' ', i);
        if (e == std::string::npos) e = text.size();
        if (e > i) v.push_back(StrToIntStrict(std::string_view(text).substr(i, e - i)));
        i = e;
    }
    if (v.size() != 5) v = {0, -1, -1, -1, -1};
    std::copy(v.begin(), v.end(), out);
}

static TsControlBevel BevelOf(std::int32_t b) {
    return (b >= 0 && b <= 4) ? static_cast<TsControlBevel>(b) : TsControlBevel::cbNone;
}

void SkinModel::LoadStored(const TsStoredSkin& s) {
    SkinModel staged;
    staged.HueOffset = HueOffset;
    staged.Saturation = Saturation;
    staged.CommonSections = CommonSections;
    staged.SkinData.SkinFolder = SkinData.SkinFolder;
    staged.SkinData.SkinLoaded = SkinData.SkinLoaded;
    if (s.MasterBitmap && !s.MasterBitmap->Empty()) staged.MasterBitmap = s.MasterBitmap->Clone();

    for (const TsSkinImage& im : s.Images) {
        TsMaskData m;
        m.SectionName = UpperCase(im.SectionName);
        m.PropertyName = UpperCase(im.PropertyName);
        m.Manager = &staged;
        if (im.Image && !im.Image->Empty()) {
            m.Bmp = im.Image->Clone();
            m.R = TRect{0, 0, m.Bmp->Width(), m.Bmp->Height()};
        } else {
            m.R = TRect{im.Left, im.Top, im.Right, im.Bottom};
        }
        auto c16 = [](std::int32_t v) { return static_cast<std::int16_t>(std::clamp<std::int32_t>(v, 0, INT16_MAX)); };
        if (im.ImageCount == 0) {
            m.ImageCount = 3;
            m.MaskType = 1;
        } else {
            m.ImageCount = c16(im.ImageCount);
            m.MaskType = c16(im.MaskType);
        }
        m.BorderWidth = c16(im.BorderWidth);
        m.StretchMode = c16(im.StretchMode);
        if (im.ImgType < 0 || im.ImgType > 2) continue;  // not an image type this engine knows
        m.ImgType = static_cast<TacImgType>(im.ImgType);
        if (m.PropertyName == "PATTERN" || m.PropertyName == "HOTPATTERN") m.ImgType = TacImgType::itisaTexture;
        m.WL = c16(im.WL);
        m.WT = c16(im.WT);
        m.WR = c16(im.WR);
        m.WB = c16(im.WB);
        DeriveBorderWidths(m);
        staged.Masks.push_back(std::move(m));
    }
    for (const TsSkinPattern& p : s.Patterns) {
        auto img = DecodeImage(p.Image.data(), p.Image.size());
        if (!img || img->Empty()) continue;
        staged.Patterns.push_back(TsPatternData{std::move(img), UpperCase(p.SectionName), UpperCase(p.PropertyName)});
    }

    TsSkinData& d = staged.SkinData;
    d.Version = s.Version;
    d.Author = s.Author;
    d.Description = s.Description;
    d.Shadow1Color = s.Shadow1Color;
    d.Shadow1Offset = s.Shadow1Offset;
    d.Shadow1Blur = s.Shadow1Blur;
    d.Shadow1Transparency = s.Shadow1Transparency;
    d.BorderColor = s.BorderColor;
    for (const TsSkinGeneral& in : s.GeneralData) {
        try {
            TsGeneralData g;
            g.Name = in.SectionName;
            g.ParentClass = in.ParentClass;
            g.Color = paint::ColorToRGB(in.Color);
            g.Bevel = BevelOf(in.Bevel);
            ReadFontColors(in.FontColor, g.FontColor);
            ReadFontColors(in.HotFontColor, g.HotFontColor);
            g.ReservedBoolean = in.ReservedBoolean;
            g.ShadowBlur = in.ShadowBlur;
            g.ShadowColor = in.ShadowColor;
            g.ShadowEnabled = in.ShadowEnabled;
            g.ShadowOffset = in.ShadowOffset;
            g.ShadowTransparency = in.ShadowTransparency;
            g.Transparency = in.Transparency;
            g.GradientPercent = in.GradientPercent;
            g.GradientData = in.GradientData;
            if (g.GradientData != " ") g.GradientArray = ParseGradientData(g.GradientData);
            g.ImagePercent = in.ImagePercent;
            g.ShowFocus = in.ShowFocus;
            g.FadingEnabled = in.FadingEnabled;
            g.FadingIntervalIn = in.FadingIntervalIn;
            g.FadingIntervalOut = in.FadingIntervalOut;
            g.FadingIterations = in.FadingIterations;
            g.HotColor = in.HotColor;
            g.HotTransparency = in.HotTransparency;
            g.HotBevel = BevelOf(in.HotBevel);
            g.HotGradientPercent = in.HotGradientPercent;
            g.HotGradientData = in.HotGradientData;
            if (g.HotGradientData != " ") g.HotGradientArray = ParseGradientData(g.HotGradientData);
            g.HotImagePercent = in.HotImagePercent;
            g.BorderColor1 = in.BorderColor1;
            g.BorderColor2 = in.BorderColor2;
            staged.Sections.push_back(std::move(g));
        } catch (const SkinConvertError&) {
            // an item that does not convert is left out
        }
    }
    // The owner's common sections join a stored skin as they join a loaded one.
    if (!CommonSections.empty()) {
        MemIniFile common(CommonSections);
        staged.LoadCommonMasks(common);
        staged.LoadCommonPatterns(common);
        staged.LoadCommonSections(common);
    }
    if (staged.HueOffset != 0) staged.ApplyHueOffset();
    if (staged.Saturation != 0) staged.ApplySaturation();
    Swap(staged);
}

void SkinModel::Clear() {
    Sections.clear();
    Masks.clear();
    Patterns.clear();
    MasterBitmap.reset();
    Indexes = CommonIndexes{};
}

void SkinModel::Swap(SkinModel& other) noexcept {
    std::swap(Sections, other.Sections);
    std::swap(Masks, other.Masks);
    std::swap(Patterns, other.Patterns);
    std::swap(MasterBitmap, other.MasterBitmap);
    std::swap(SkinData, other.SkinData);
    std::swap(Indexes, other.Indexes);
    RelinkMasks();
    other.RelinkMasks();
}

void SkinModel::RelinkMasks() noexcept {
    for (auto& m : Masks) m.Manager = this;
}

// ---- recolouring ---------------------------------------------------------------

void SkinModel::ApplyColorMap(const std::function<TColor(TColor)>& map) {
    // A system colour is turned as the colour it stands for: its high bits
    // name it and must not be cut off first.
    auto colour = [&](TColor c) -> TColor {
        const TColor rgb = paint::ColorToRGB(c) & 0xFFFFFF;
        if (rgb == kKeyColor || IsGrey(rgb)) return c;
        return map(rgb) & 0xFFFFFF;
    };
    auto bitmap = [&](Bitmap* b) {
        if (!b || b->Empty() || b->BitsPerPixel() != 24) return;
        for (int y = 0; y < b->Height(); ++y) {
            std::uint8_t* p = b->ScanLine(y);
            for (int x = 0; x < b->Width(); ++x, p += 3) {
                TColor c = paint::MakeColor(p[2], p[1], p[0]);
                TColor n = colour(c);
                if (n == c) continue;
                p[0] = paint::BlueOf(n);
                p[1] = paint::GreenOf(n);
                p[2] = paint::RedOf(n);
            }
        }
    };
    bitmap(MasterBitmap.get());
    for (auto& m : Masks) bitmap(m.Bmp.get());
    for (auto& g : Sections) {
        g.Color = colour(g.Color);
        g.HotColor = colour(g.HotColor);
        for (int i = 0; i < 5; ++i) {
            if (g.FontColor[i] != -1) g.FontColor[i] = colour(g.FontColor[i]);
            if (g.HotFontColor[i] != -1) g.HotFontColor[i] = colour(g.HotFontColor[i]);
        }
        for (auto* arr : {&g.GradientArray, &g.HotGradientArray})
            for (auto& s : *arr) {
                s.Color1 = colour(s.Color1);
                s.Color2 = colour(s.Color2);
            }
    }
    SkinData.Shadow1Color = colour(SkinData.Shadow1Color);
    SkinData.BorderColor = colour(SkinData.BorderColor);
}

// ---- lookups -------------------------------------------------------------------

int SkinModel::FindSectionIndex(std::string_view name) const {
    for (std::size_t i = 0; i < Sections.size(); ++i)
        if (Sections[i].Name == name) return static_cast<int>(i);
    return -1;
}

int SkinModel::FindImage(Table table, int section_index, std::string_view section_name, std::string_view key) const {
    if (section_index < 0 || section_name.empty()) return -1;
    std::vector<int> visited;
    int index = section_index;
    std::string_view name = section_name;
    while (true) {
        if (table == Table::Patterns) {
            for (std::size_t i = 0; i < Patterns.size(); ++i)
                if (Patterns[i].SectionName == name && Patterns[i].PropertyName == key) return int(i);
        } else {
            for (std::size_t i = 0; i < Masks.size(); ++i) {
                const TsMaskData& m = Masks[i];
                if (m.SectionName == name && m.PropertyName == key &&
                    (table == Table::Masks || m.ImgType == TacImgType::itisaTexture))
                    return int(i);
            }
        }
        if (index < 0 || std::size_t(index) >= Sections.size()) return -1;
        visited.push_back(index);
        const std::string& parent = Sections[index].ParentClass;
        if (parent.empty() || parent == Sections[index].Name) return -1;
        int pi = FindSectionIndex(parent);
        if (pi < 0 || std::find(visited.begin(), visited.end(), pi) != visited.end()) return -1;
        index = pi;
        name = Sections[pi].Name;
    }
}

int SkinModel::FindMaskIndex(int section_index, std::string_view section_name, std::string_view mask_name) const {
    return FindImage(Table::Masks, section_index, section_name, mask_name);
}
int SkinModel::FindTextureIndex(int section_index, std::string_view section_name, std::string_view key_name) const {
    return FindImage(Table::Textures, section_index, section_name, key_name);
}
int SkinModel::FindPatternIndex(int section_index, std::string_view section_name, std::string_view key_name) const {
    return FindImage(Table::Patterns, section_index, section_name, key_name);
}

SkinModel::Size SkinModel::MaskStateSize(int i) const {
    if (i < 0 || std::size_t(i) >= Masks.size()) return {};
    const TsMaskData& m = Masks[i];
    if (m.Bmp) return {m.Bmp->Width() / 3, m.Bmp->Height() / 2};
    return {m.R.Width() / SafeImageCount(m.ImageCount), m.R.Height() / SafeMaskRows(m.MaskType)};
}

int SkinModel::MaskBorderWidthLeft(int i) const {
    if (i < 0 || std::size_t(i) >= Masks.size()) return 0;
    const TsMaskData& m = Masks[i];
    if (m.WL > 0) return m.WL;
    if (m.BorderWidth >= 1) return m.BorderWidth;
    return m.R.Width() / (SafeImageCount(m.ImageCount) * 3);
}
int SkinModel::MaskBorderWidthRight(int i) const {
    if (i < 0 || std::size_t(i) >= Masks.size()) return 0;
    const TsMaskData& m = Masks[i];
    if (m.WR > 0) return m.WR;
    if (m.BorderWidth >= 1) return m.BorderWidth;
    return m.R.Width() / (SafeImageCount(m.ImageCount) * 3);
}
int SkinModel::MaskBorderWidthBottom(int i) const {
    if (i < 0 || std::size_t(i) >= Masks.size()) return 0;
    const TsMaskData& m = Masks[i];
    if (m.WB > 0) return m.WB;
    if (m.BorderWidth >= 1) return m.BorderWidth;
    return m.R.Height() / (SafeMaskRows(m.MaskType) * 3);
}

TColor SkinModel::GlobalColor() const {
    int i = FindSectionIndex("GLOBALINFO");
    return i >= 0 ? paint::ColorToRGB(Sections[i].Color) : paint::ColorToRGB(paint::SystemColor(15));  // button face
}
TColor SkinModel::GlobalFontColor() const {
    int i = FindSectionIndex("GLOBALINFO");
    return i >= 0 ? paint::ColorToRGB(Sections[i].FontColor[0]) : kKeyColor;
}
TColor SkinModel::GlobalHotColor() const {
    int i = FindSectionIndex("GLOBALINFO");
    return i >= 0 ? paint::ColorToRGB(Sections[i].HotColor) : paint::ColorToRGB(paint::SystemColor(5));  // window
}

// ---- common indexes -------------------------------------------------------------

void SkinModel::RebuildCommonIndexes() {
    CommonIndexes c;
    // An index beyond 16 bits cannot be cached; it counts as absent.
    auto i16 = [](int i) { return static_cast<std::int16_t>(i > INT16_MAX ? -1 : i); };
    auto sec = [&](std::string_view n) { return i16(FindSectionIndex(n)); };
    auto mask = [&](int s, std::string_view sn, std::string_view k) { return i16(FindMaskIndex(s, sn, k)); };
    auto tex = [&](int s, std::string_view sn, std::string_view k) { return i16(FindTextureIndex(s, sn, k)); };
    c.GlobalInfo = sec("GLOBALINFO");
    if (c.GlobalInfo >= 0) {
        const std::string_view g = "GLOBALINFO";
        c.BoxChecked = mask(c.GlobalInfo, g, "BOXCHECKED");
        c.BoxUnchecked = mask(c.GlobalInfo, g, "BOXUNCHECKED");
        c.BoxGrayed = mask(c.GlobalInfo, g, "BOXGRAYED");
        c.RadioChecked = mask(c.GlobalInfo, g, "RADIOCHECKED");
        c.RadioUnchecked = mask(c.GlobalInfo, g, "RADIOUNCHECKED");
        c.RadioGrayed = mask(c.GlobalInfo, g, "RADIOGRAYED");
        c.SmallChecked = mask(c.GlobalInfo, g, "SMALLCHECKED");
        c.SmallUnchecked = mask(c.GlobalInfo, g, "SMALLUNCHECKED");
        c.SmallGrayed = mask(c.GlobalInfo, g, "SMALLGRAYED");
    }
    c.ComboBtn = sec("COMBOBTN");
    c.ComboBtnBorder = mask(c.ComboBtn, "COMBOBTN", "BORDERSMASK");
    c.ComboBtnPattern = tex(c.ComboBtn, "COMBOBTN", "PATTERN");
    c.ComboBtnHotPattern = tex(c.ComboBtn, "COMBOBTN", "HOTPATTERN");
    c.ComboGlyph = mask(sec("COMBOBOX"), "COMBOBOX", "GLYPHMASK");

    static constexpr std::string_view kTabs[4] = {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"};
    for (int i = 0; i < 4; ++i) {
        c.TabSection[i] = sec(kTabs[i]);
        c.TabBorder[i] = mask(c.TabSection[i], kTabs[i], "BORDERSMASK");
    }
    auto part = [&](std::string_view n, bool glyph) {
        CommonIndexes::ScrollPart p;
        p.Section = sec(n);
        p.BorderMask = mask(p.Section, n, "BORDERSMASK");
        if (glyph) p.GlyphMask = mask(p.Section, n, "GLYPHMASK");
        p.Pattern = tex(p.Section, n, "PATTERN");
        p.HotPattern = tex(p.Section, n, "HOTPATTERN");
        return p;
    };
    static constexpr std::string_view kBtns[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};
    for (int i = 0; i < 4; ++i) c.ScrollBtn[i] = part(kBtns[i], true);
    c.ScrollSlider[0] = part("SCROLLSLIDERV", true);
    c.ScrollSlider[1] = part("SCROLLSLIDERH", true);
    static constexpr std::string_view kBars[4] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
    for (int i = 0; i < 4; ++i) c.ScrollBar[i] = part(kBars[i], false);
    Indexes = c;
}

}  // namespace velmap
