// Skins stored inside a skin manager: either a whole packed archive (Data) or
// collections that mirror the run-time records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/skin_types.h"

namespace velmap {

struct TsSkinGeneral {
    std::string SectionName;
    std::string ParentClass;
    TColor Color = 0xFFFFFF;
    std::int32_t Bevel = 0;
    std::int32_t ShadowBlur = 6;
    TColor ShadowColor = 0;
    bool ShadowDontUse = false;
    bool ShadowEnabled = false;
    bool ReservedBoolean = false;
    std::int32_t ShadowOffset = 3;
    std::int32_t ShadowTransparency = 50;
    std::string FontColor = "0 -1 -1 -1 -1";  // colour and four contour colours
    std::string HotFontColor = "0 -1 -1 -1 -1";
    std::int32_t Transparency = 0;
    std::int32_t GradientPercent = 0;
    std::string GradientData = " ";
    std::int32_t ImagePercent = 0;
    bool ShowFocus = false;
    bool FadingEnabled = false;
    std::int32_t FadingIntervalIn = 5;
    std::int32_t FadingIntervalOut = 5;
    std::int32_t FadingIterations = 5;
    TColor HotColor = 0xFFFFFF;
    std::int32_t HotTransparency = 0;
    std::int32_t HotBevel = 0;
    std::int32_t HotGradientPercent = 0;
    std::string HotGradientData;
    std::int32_t HotImagePercent = 0;
    TColor BorderColor1 = 0;
    TColor BorderColor2 = 0;
    std::string Name;
};

struct TsSkinImage {
    std::string SectionName;
    std::unique_ptr<Bitmap> Image;  // own bitmap, or none: a region of the master bitmap
    std::string Name;
    std::string PropertyName;
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    std::int32_t ImageCount = 0;  // 0: three states with a mask part
    std::int32_t MaskType = 0;
    std::int32_t BorderWidth = 0;
    std::int32_t StretchMode = 0;
    std::int32_t ImgType = 0;
    std::int32_t WL = 0, WR = 0, WT = 0, WB = 0;
};

struct TsSkinPattern {
    std::string SectionName;
    std::vector<std::uint8_t> Image;  // the JPEG file
    std::string Name;
    std::string PropertyName;
};

using TsSkinGenerals = std::vector<TsSkinGeneral>;
using TsSkinImages = std::vector<TsSkinImage>;
using TsSkinPatterns = std::vector<TsSkinPattern>;

struct TsStoredSkin {
    std::string Name;
    TsSkinGenerals GeneralData;
    TsSkinImages Images;
    TsSkinPatterns Patterns;
    std::unique_ptr<Bitmap> MasterBitmap;
    std::int32_t Shadow1Color = 0;
    std::int32_t Shadow1Offset = 0;
    std::int32_t Shadow1Blur = -1;
    std::int32_t Shadow1Transparency = 0;
    std::int32_t BorderColor = 0xFF00FF;
    double Version = 0;
    std::string Author;
    std::string Description;
    std::vector<std::uint8_t> Data;  // a whole packed archive; when set the collections are not used
};
using TsStoredSkins = std::vector<TsStoredSkin>;

}  // namespace velmap
