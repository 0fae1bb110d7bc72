#include <gtest/gtest.h>

#include "skin/data/convert.h"
#include "skin/data/skin_values.h"

namespace velmap {
namespace {

TEST(ParseGradientData, SegmentsOfFiveFields) {
    auto g = ParseGradientData("3881787;3881787;97;0;0;3881787;3881787;0;0;0");
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[0], (GradientSegment{0x3B3B3B, 0x3B3B3B, 97, 0}));
    EXPECT_EQ(g[1], (GradientSegment{0x3B3B3B, 0x3B3B3B, 0, 0}));
}

TEST(ParseGradientData, SeparatorRunsShortValuesAndPercentRange) {
    EXPECT_TRUE(ParseGradientData("1;2;3;4").empty());
    auto g = ParseGradientData(";;1;;2;3;4;5;;");
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0], (GradientSegment{1, 2, 3, 4}));
    EXPECT_EQ(ParseGradientData("1;2;150;0;0")[0].Percent, 100);
    EXPECT_EQ(ParseGradientData("1;2;-5;0;0")[0].Percent, 0);  // never wraps in the byte
    EXPECT_EQ(ParseGradientData("1;2;3;4;5;6;7").size(), 1u);  // surplus ignored
    EXPECT_THROW(ParseGradientData("1;2;x;4;5"), SkinConvertError);
}

TEST(ParseMaskValue, BorderColumns) {
    auto m = ParseMaskValue("BORDERSMASK", "^0015^0039^0036^0053^0003^0003^0003^0003^3^1^1^1");
    EXPECT_EQ(m.Form, MaskValueForm::Border);
    EXPECT_EQ(m.R, (TRect{15, 39, 36, 53}));
    EXPECT_EQ(m.WL + m.WT + m.WR + m.WB, 12);
    EXPECT_EQ(m.ImageCount, 3);
    EXPECT_EQ(m.MaskType, 1);
    EXPECT_EQ(m.StretchMode, 1);
    EXPECT_EQ(m.BorderWidth, 1);
    auto d = ParseMaskValue("BORDERSMASK", "^0084^0047^0089^0050^0002^0000^0000^0000^1^0^0^1");
    EXPECT_EQ(d.R, (TRect{84, 47, 89, 50}));
    EXPECT_EQ(d.WL, 2);
    EXPECT_EQ(d.WT + d.WR + d.WB, 0);
    EXPECT_EQ(d.StretchMode, 0);
}

TEST(ParseMaskValue, GlyphAndTexture) {
    auto g = ParseMaskValue("BICONCLOSE", "@0184@0001@0229@0014@3@0");
    EXPECT_EQ(g.Form, MaskValueForm::Glyph);
    EXPECT_EQ(g.ImgType, TacImgType::itisaGlyph);
    EXPECT_EQ(g.R, (TRect{184, 1, 229, 14}));
    EXPECT_EQ(g.ImageCount, 3);
    EXPECT_EQ(g.MaskType, 0);
    auto t = ParseMaskValue("PATTERN", "~0095~0058~0098~0064~10~1");
    EXPECT_EQ(t.ImgType, TacImgType::itisaTexture);
    EXPECT_EQ(t.R, (TRect{95, 58, 98, 64}));
    EXPECT_EQ(t.ImageCount, 1);
    EXPECT_EQ(t.StretchMode, 10);
    EXPECT_EQ(t.MaskType, 1);
    EXPECT_EQ(ParseMaskValue("PATTERN", "~0095~0058~0098~0064~10~").MaskType, 0);  // 24 characters
}

TEST(ParseMaskValue, ExternalBitmap) {
    auto e = ParseMaskValue("BORDERSMASK", "!BUTTONHUGE.BMP!3!1!0!0032!0032!0032!0032");
    EXPECT_EQ(e.Form, MaskValueForm::External);
    EXPECT_EQ(e.FileName, "BUTTONHUGE.BMP");
    EXPECT_EQ(e.ImageCount, 3);
    EXPECT_EQ(e.MaskType, 1);
    EXPECT_EQ(e.StretchMode, 4);
    EXPECT_TRUE(e.WidthsGiven);
    EXPECT_EQ(e.WL, 32);
    EXPECT_FALSE(ParseMaskValue("K", "!A.BMP!3!1!0").WidthsGiven);
    EXPECT_EQ(ParseMaskValue("K", "!a.bmp!3!1!0").Form, MaskValueForm::None);  // ".BMP" as written
    EXPECT_EQ(ParseMaskValue("K", "!A.BMP!3!1!7").Form, MaskValueForm::None);  // no such image type
    EXPECT_EQ(ParseMaskValue("K", "!A.BMP!-3!-1!1").ImageCount, 0);
}

TEST(ParseMaskValue, PlainNamesDescribedValuesAndNothing) {
    auto p = ParseMaskValue("AUTHOR", "me.bmp");
    EXPECT_EQ(p.Form, MaskValueForm::PlainBitmap);
    EXPECT_EQ(p.FileName, "me.bmp");
    auto d = ParseMaskValue("BORDERSMASK", "#FRAME (0, 0, 30, 12) (0, -2, 4)");
    EXPECT_EQ(d.Form, MaskValueForm::Described);
    EXPECT_EQ(d.R, (TRect{0, 0, 30, 12}));
    EXPECT_EQ(d.ImageCount, 1);
    EXPECT_EQ(d.MaskType, 0);
    EXPECT_EQ(d.BorderWidth, 4);
    EXPECT_EQ(d.StretchMode, 1);
    auto pat = ParseMaskValue("PATTERN", "#T 1,2,3,4 2,1,0,9");
    EXPECT_EQ(pat.ImgType, TacImgType::itisaTexture);
    EXPECT_EQ(pat.StretchMode, 0);
    EXPECT_EQ(pat.ImageCount, 2);
    EXPECT_THROW(ParseMaskValue("DESCRIPTION", "Our skin #1"), SkinConvertError);
    for (const char* v : {"N/A", "#", "12", "", "PIC.JPG"})
        EXPECT_EQ(ParseMaskValue("K", v).Form, MaskValueForm::None) << v;
}

TEST(ParseMaskValue, ShortFixedColumnValuesFail) {
    EXPECT_THROW(ParseMaskValue("K", "^0015^0039^0036"), SkinConvertError);
    EXPECT_THROW(ParseMaskValue("K", "@0184@0001@0229@0014@3"), SkinConvertError);
    EXPECT_THROW(ParseMaskValue("K", "^00x5^0039^0036^0053^0003^0003^0003^0003^3^1^1^1"), SkinConvertError);
}

TEST(DeriveBorderWidths, FromBorderWidthOrAThirdOfAFrame) {
    TsMaskData m;
    m.R = {0, 0, 30, 12};
    m.ImageCount = 1;
    DeriveBorderWidths(m);
    EXPECT_EQ(m.WL, 10);
    EXPECT_EQ(m.WR, 10);
    EXPECT_EQ(m.WT, 4);
    EXPECT_EQ(m.WB, 4);
    TsMaskData b;
    b.BorderWidth = 2;
    b.R = {0, 0, 30, 12};
    DeriveBorderWidths(b);
    EXPECT_EQ(b.WT, 2);
    TsMaskData z;  // ImageCount 0 must not divide by zero
    z.R = {0, 0, 9, 9};
    z.MaskType = 2;
    DeriveBorderWidths(z);
    EXPECT_EQ(z.WL, 3);
    EXPECT_EQ(z.WT, 1);
}

}  // namespace
}  // namespace velmap
