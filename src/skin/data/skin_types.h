// Records of the skin data model: sections, masks, patterns, skin-wide values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"
#include "skin/paint/gradient.h"

namespace velmap {

using paint::Bitmap;
using paint::TColor;
using paint::TRect;

class SkinModel;

// A parsed GRADIENTDATA group, shared with the painters.
using paint::GradientSegment;
using paint::TsGradArray;

enum class TsControlBevel : std::uint8_t {
    cbNone = 0,
    cbRaisedSoft = 1,
    cbLoweredSoft = 2,
    cbRaisedHard = 3,
    cbLoweredHard = 4,
};

enum class TacImgType : std::uint8_t { itisaBorder = 0, itisaTexture = 1, itisaGlyph = 2 };

// One options section. Defaults are the values a section gets when neither it
// nor any section up its PARENTCLASS chain gives the key.
struct TsGeneralData {
    std::string ParentClass;
    std::string Name;
    TColor Color = 0xFFFFFF;
    TsControlBevel Bevel = TsControlBevel::cbNone;
    std::int32_t FontColor[5] = {0, -1, -1, -1, -1};  // text, contour left/top/right/bottom
    std::int32_t HotFontColor[5] = {0, -1, -1, -1, -1};
    bool ReservedBoolean = false;
    std::int32_t ShadowBlur = 6;
    TColor ShadowColor = 0;
    bool ShadowEnabled = false;
    std::int32_t ShadowOffset = 3;
    std::int32_t ShadowTransparency = 50;
    std::int32_t Transparency = 0;
    std::int32_t GradientPercent = 0;
    std::string GradientData = " ";  // one blank: no gradient
    TsGradArray GradientArray;
    std::int32_t ImagePercent = 0;
    bool ShowFocus = false;
    bool FadingEnabled = false;
    std::int32_t FadingIntervalIn = 5;
    std::int32_t FadingIntervalOut = 5;
    std::int32_t FadingIterations = 5;
    TColor HotColor = 0xFFFFFF;
    std::int32_t HotTransparency = 0;
    TsControlBevel HotBevel = TsControlBevel::cbNone;
    std::int32_t HotGradientPercent = 0;
    std::string HotGradientData;
    TsGradArray HotGradientArray;
    std::int32_t HotImagePercent = 0;
    TColor BorderColor1 = 0;
    TColor BorderColor2 = 0;
};
using TsGeneralDataArray = std::vector<TsGeneralData>;

// One image found in the options: a region of the master bitmap or of its own bitmap.
struct TsMaskData {
    std::unique_ptr<Bitmap> Bmp;  // none: the pixels are in the master bitmap
    std::string SectionName;
    std::string PropertyName;
    TRect R;
    std::int16_t ImageCount = 0;
    std::int16_t MaskType = 0;
    std::int16_t BorderWidth = 0;
    std::int16_t StretchMode = 0;
    TacImgType ImgType = TacImgType::itisaBorder;
    const SkinModel* Manager = nullptr;
    std::int16_t WL = 0, WT = 0, WR = 0, WB = 0;
};
using TsMaskArray = std::vector<TsMaskData>;

// A large pattern image, decoded once at load.
struct TsPatternData {
    std::unique_ptr<Bitmap> Img;
    std::string SectionName;   // upper case
    std::string PropertyName;  // upper case
};
using TsPatternArray = std::vector<TsPatternData>;

// Skin-wide values.
struct TsSkinData {
    std::string SkinFolder;  // ends in a path separator; empty for an internal skin
    bool SkinLoaded = false;
    double Version = 0;
    std::string Author;
    std::string Description;
    std::int32_t Shadow1Color = 0;
    std::int32_t Shadow1Offset = 0;
    std::int32_t Shadow1Blur = -1;
    std::int32_t Shadow1Transparency = 0;
    std::int32_t BorderColor = 0;
    std::int32_t TitleButtonSpacing = 0;
};

// Indexes of frequently used sections and masks, rebuilt after every load; -1 = absent.
struct CommonIndexes {
    struct ScrollPart {
        std::int16_t Section = -1, BorderMask = -1, GlyphMask = -1, Pattern = -1, HotPattern = -1;
    };
    std::int16_t GlobalInfo = -1;
    std::int16_t BoxChecked = -1, BoxUnchecked = -1, BoxGrayed = -1;
    std::int16_t RadioChecked = -1, RadioUnchecked = -1, RadioGrayed = -1;
    std::int16_t SmallChecked = -1, SmallUnchecked = -1, SmallGrayed = -1;

    std::int16_t ComboBtn = -1, ComboBtnBorder = -1, ComboBtnPattern = -1, ComboBtnHotPattern = -1;
    std::int16_t ComboGlyph = -1;  // GLYPHMASK of COMBOBOX

    // TABTOP, TABBOTTOM, TABLEFT, TABRIGHT and the BORDERSMASK of each.
    std::int16_t TabSection[4] = {-1, -1, -1, -1};
    std::int16_t TabBorder[4] = {-1, -1, -1, -1};

    ScrollPart ScrollBtn[4];     // SCROLLBTNTOP, SCROLLBTNBOTTOM, SCROLLBTNLEFT, SCROLLBTNRIGHT
    ScrollPart ScrollSlider[2];  // SCROLLSLIDERV, SCROLLSLIDERH
    ScrollPart ScrollBar[4];     // SCROLLBAR1H, SCROLLBAR1V, SCROLLBAR2H, SCROLLBAR2V (no glyph)
};

}  // namespace velmap
