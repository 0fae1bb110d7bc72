// Parsing of the value forms an options file writes: gradients and image values.
#pragma once

#include <string>
#include <string_view>

#include "skin/data/skin_types.h"

namespace velmap {

// "c1;c2;percent;mode;unused;..." to segments. Runs of ";" count as one; surplus
// fields are ignored; a field that is not a decimal integer throws SkinConvertError.
TsGradArray ParseGradientData(std::string_view text);

enum class MaskValueForm {
    None,         // no image syntax: creates nothing
    Border,       // "^" fixed columns
    Glyph,        // "@" fixed columns
    Texture,      // "~" fixed columns
    External,     // "!" file name and fields
    PlainBitmap,  // a bare ".BMP" file name
    Described,    // "#" words
};

// The fields an image value gives, before any file is looked at.
struct MaskValue {
    MaskValueForm Form = MaskValueForm::None;
    std::string FileName;  // External, PlainBitmap: as written
    TRect R;
    std::int16_t ImageCount = 0, MaskType = 0, BorderWidth = 0, StretchMode = 0;
    TacImgType ImgType = TacImgType::itisaBorder;
    std::int16_t WL = 0, WT = 0, WR = 0, WB = 0;
    bool WidthsGiven = false;  // External with five fields or more: no derived widths
};

// Recognises the value by its first matching form. Numbers that are not decimal
// integers (also fields cut off by a short value) throw SkinConvertError.
// Values outside the documented ranges are made safe here: a negative
// ImageCount, MaskType or BorderWidth becomes 0, an "!" ImgType outside 0..2
// gives no image, and numbers beyond 16 bits are clamped.
MaskValue ParseMaskValue(std::string_view key, std::string_view value);

// Fills WL..WB when all four are 0: from BorderWidth, else one third of a frame.
void DeriveBorderWidths(TsMaskData& m);

// Frame arithmetic that never divides by zero: an ImageCount below 1 counts as
// 1, a negative MaskType as 0.
inline int SafeImageCount(int image_count) { return image_count < 1 ? 1 : image_count; }
inline int SafeMaskRows(int mask_type) { return mask_type < 0 ? 1 : mask_type + 1; }

}  // namespace velmap
