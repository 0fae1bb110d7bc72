#include <gtest/gtest.h>

#include "model_helpers.h"
#include "skin/data/convert.h"
#include "skin/data/skin_model.h"
#include "skin/data/stored_skin.h"
#include "skin/paint/color_adjust.h"

namespace velmap {
namespace {

using test::MapFiles;
using test::SolidBmp;

void Load(SkinModel& m, const std::string& text, SkinFiles& files) { m.Load(text, files); }
void Load(SkinModel& m, const std::string& text) {
    MapFiles none;
    m.Load(text, none);
}

TEST(SkinSections, InheritEveryKeyButShadowColour) {
    SkinModel m;
    Load(m,
         "[BASE]\nCOLOR=1\nBEVEL=2\nSHADOWBLUR=7\nSHADOWOFFSET=8\nSHADOWCOLOR=9\nSHADOWTRANSPARENCY=10\n"
         "SHADOWENABLED=TRUE\nRESERVEDBOOLEAN=true\nFONTCOLOR=11\nTCLEFT=12\nTCBOTTOM=13\nHOTFONTCOLOR=14\n"
         "HOTTCTOP=15\nTRANSPARENCY=16\nGRADIENTPERCENT=17\nIMAGEPERCENT=18\nGRADIENTDATA=1;2;3;0;0\n"
         "SHOWFOCUS=TRUE\nFADINGENABLED=TRUE\nFADINGINTERVALIN=19\nFADINGINTERVALOUT=20\nFADINGITERATIONS=21\n"
         "HOTCOLOR=22\nHOTTRANSPARENCY=23\nHOTBEVEL=4\nHOTGRADIENTPERCENT=24\nHOTGRADIENTDATA=4;5;6;1;0\n"
         "HOTIMAGEPERCENT=25\nBORDERCOLOR1=26\nBORDERCOLOR2=27\n"
         "[CHILD]\nPARENTCLASS=BASE\nCOLOR=-1\nFADINGITERATIONS=abc\n");
    ASSERT_EQ(m.Sections.size(), 2u);
    const TsGeneralData& c = m.Sections[1];
    EXPECT_EQ(c.Name, "CHILD");
    EXPECT_EQ(c.ParentClass, "BASE");
    EXPECT_EQ(c.Color, 1);  // -1 counts as absent
    EXPECT_EQ(c.Bevel, TsControlBevel::cbLoweredSoft);
    EXPECT_EQ(c.ShadowBlur, 7);
    EXPECT_EQ(c.ShadowOffset, 8);
    EXPECT_EQ(c.ShadowColor, 0);  // only from the section itself
    EXPECT_EQ(c.ShadowTransparency, 10);
    EXPECT_TRUE(c.ShadowEnabled);
    EXPECT_TRUE(c.ReservedBoolean);
    EXPECT_EQ(c.FontColor[0], 11);
    EXPECT_EQ(c.FontColor[1], 12);
    EXPECT_EQ(c.FontColor[2], -1);
    EXPECT_EQ(c.FontColor[4], 13);
    EXPECT_EQ(c.HotFontColor[0], 14);
    EXPECT_EQ(c.HotFontColor[2], 15);
    EXPECT_EQ(c.Transparency, 16);
    EXPECT_EQ(c.GradientPercent, 17);
    EXPECT_EQ(c.ImagePercent, 18);
    EXPECT_EQ(c.GradientData, "1;2;3;0;0");
    EXPECT_EQ(c.GradientArray.size(), 1u);
    EXPECT_TRUE(c.ShowFocus);
    EXPECT_TRUE(c.FadingEnabled);
    EXPECT_EQ(c.FadingIntervalIn, 19);
    EXPECT_EQ(c.FadingIntervalOut, 20);
    EXPECT_EQ(c.FadingIterations, 21);  // not an integer: absent
    EXPECT_EQ(c.HotColor, 22);
    EXPECT_EQ(c.HotTransparency, 23);
    EXPECT_EQ(c.HotBevel, TsControlBevel::cbLoweredHard);
    EXPECT_EQ(c.HotGradientPercent, 24);
    EXPECT_EQ(c.HotGradientArray, (TsGradArray{{4, 5, 6, 1}}));
    EXPECT_EQ(c.HotImagePercent, 25);
    EXPECT_EQ(c.BorderColor1, 26);
    EXPECT_EQ(c.BorderColor2, 27);
    EXPECT_EQ(m.Sections[0].ShadowColor, 9);
}

TEST(SkinSections, DefaultsAndLoopingParents) {
    SkinModel m;
    Load(m, "[A]\nPARENTCLASS=B\n[B]\nPARENTCLASS=A\n[C]\nPARENTCLASS=C\nBEVEL=9\n");
    for (const auto& s : m.Sections) {
        EXPECT_EQ(s.Color, 0xFFFFFF);
        EXPECT_EQ(s.HotColor, 0xFFFFFF);
        EXPECT_EQ(s.ShadowBlur, 6);
        EXPECT_EQ(s.ShadowOffset, 3);
        EXPECT_EQ(s.ShadowTransparency, 50);
        EXPECT_EQ(s.FadingIterations, 5);
        EXPECT_EQ(s.GradientData, " ");
        EXPECT_TRUE(s.GradientArray.empty());
        EXPECT_EQ(s.HotGradientData, "");
        EXPECT_EQ(s.FontColor[1], -1);
        EXPECT_EQ(s.Bevel, TsControlBevel::cbNone);  // 9 is no bevel this engine knows
    }
    EXPECT_EQ(m.FindMaskIndex(0, "A", "BORDERSMASK"), -1);
}

TEST(SkinSections, GlobalInfoValues) {
    SkinModel m;
    Load(m, "[GLOBALINFO]\nVERSION=5.43\nAUTHOR=Me\nSHADOW1OFFSET=4\nSHADOW1COLOR=0x10\nBISPACE=2\nBORDERCOLOR=7\n");
    EXPECT_DOUBLE_EQ(m.SkinData.Version, 5.43);
    EXPECT_EQ(m.SkinData.Author, "Me");
    EXPECT_EQ(m.SkinData.Shadow1Offset, 4);
    EXPECT_EQ(m.SkinData.Shadow1Blur, -1);
    EXPECT_EQ(m.SkinData.Shadow1Color, 16);
    EXPECT_EQ(m.SkinData.TitleButtonSpacing, 2);
    EXPECT_EQ(m.SkinData.BorderColor, 7);
    EXPECT_THROW(Load(m, "[GLOBALINFO]\nSHADOW1BLUR=0x10\n"), SkinConvertError);
}

TEST(SkinLoad, MalformedNumbersLeaveTheModelAsItWas) {
    SkinModel m;
    Load(m, "[PANEL]\nCOLOR=5\n");
    EXPECT_THROW(Load(m, "[GLOBALINFO]\nDESCRIPTION=Our skin #1\n[X]\n"), SkinConvertError);
    EXPECT_THROW(Load(m, "[X]\nGRADIENTDATA=1;2;a;4;5\n"), SkinConvertError);
    ASSERT_EQ(m.Sections.size(), 1u);
    EXPECT_EQ(m.Sections[0].Name, "PANEL");
}

TEST(SkinMasks, EveryKeyIsTriedAsAnImage) {
    MapFiles files;
    files.files["ME.BMP"] = SolidBmp(6, 4, 0x123456);
    SkinModel m;
    Load(m, "[GLOBALINFO]\nMASTERBITMAP=MASTER.BMP\nAUTHOR=ME.BMP\nVERSION=5\n[X]\nBORDERSMASK=N/A\n", files);
    EXPECT_EQ(files.asked, (std::vector<std::string>{"MASTER.BMP", "ME.BMP"}));
    EXPECT_FALSE(m.MasterBitmap);
    ASSERT_EQ(m.Masks.size(), 1u);
    const TsMaskData& k = m.Masks[0];
    EXPECT_EQ(k.SectionName, "GLOBALINFO");
    EXPECT_EQ(k.PropertyName, "AUTHOR");
    EXPECT_EQ(k.R, (TRect{0, 0, 6, 4}));
    EXPECT_EQ(k.ImageCount, 3);
    EXPECT_EQ(k.MaskType, 1);
    EXPECT_EQ(k.WL, 0);  // 6 div 9
    EXPECT_EQ(k.WT, 0);
    EXPECT_EQ(k.Manager, &m);
}

TEST(SkinMasks, NamesKeepOrTakeUpperCase) {
    MapFiles files;
    files.files["pic.bmp"] = SolidBmp(9, 6, 1);
    SkinModel m;
    Load(m, "[Sec]\nGlyph=@0001@0002@0003@0004@1@0\nPlain=pic.bmp\nDesc=#D (0,0,30,12) (1,0)\nMiss=!NONE.BMP!1!0!1\n",
         files);
    ASSERT_EQ(m.Masks.size(), 3u);
    EXPECT_EQ(m.Masks[0].SectionName, "Sec");
    EXPECT_EQ(m.Masks[0].PropertyName, "Glyph");
    EXPECT_EQ(m.Masks[1].SectionName, "SEC");
    EXPECT_EQ(m.Masks[1].PropertyName, "PLAIN");
    EXPECT_EQ(m.Masks[1].WL, 1);
    EXPECT_EQ(m.Masks[1].WT, 1);
    EXPECT_EQ(m.Masks[2].PropertyName, "DESC");
    EXPECT_EQ(m.Masks[2].WL, 10);
    EXPECT_EQ(m.Masks[2].WT, 4);
    EXPECT_EQ(m.FindSectionIndex("SEC"), -1);  // section names compare exactly
}

TEST(SkinLookups, MasksTexturesAndPatternsAlongParents) {
    SkinModel m;
    Load(m,
         "[BASE]\nBORDERSMASK=^0000^0000^0030^0012^0000^0000^0000^0000^1^0^0^0\n"
         "PATTERN=~0001~0001~0002~0002~00\nGLYPHMASK=@0001@0001@0002@0002@1@0\n"
         "[MID]\nPARENTCLASS=BASE\n[LEAF]\nPARENTCLASS=MID\nGLYPHMASK=@0005@0005@0006@0006@1@0\n"
         "[LOOP1]\nPARENTCLASS=LOOP2\n[LOOP2]\nPARENTCLASS=LOOP1\n");
    int leaf = m.FindSectionIndex("LEAF");
    EXPECT_EQ(m.FindMaskIndex(leaf, "LEAF", "BORDERSMASK"), 0);
    EXPECT_EQ(m.FindMaskIndex(leaf, "LEAF", "GLYPHMASK"), 3);
    EXPECT_EQ(m.FindTextureIndex(leaf, "LEAF", "PATTERN"), 1);
    EXPECT_EQ(m.FindTextureIndex(leaf, "LEAF", "BORDERSMASK"), -1);
    EXPECT_EQ(m.FindPatternIndex(leaf, "LEAF", "PATTERN"), -1);
    EXPECT_EQ(m.FindMaskIndex(-1, "LEAF", "BORDERSMASK"), -1);
    EXPECT_EQ(m.FindMaskIndex(leaf, "", "BORDERSMASK"), -1);
    EXPECT_EQ(m.FindMaskIndex(99, "X", "BORDERSMASK"), -1);
    EXPECT_EQ(m.FindMaskIndex(m.FindSectionIndex("LOOP1"), "LOOP1", "BORDERSMASK"), -1);
    // Widths derived for R = (0, 0, 30, 12), one frame, no mask half.
    EXPECT_EQ(m.Masks[0].WL, 10);
    EXPECT_EQ(m.Masks[0].WR, 10);
    EXPECT_EQ(m.Masks[0].WT, 4);
    EXPECT_EQ(m.Masks[0].WB, 4);
    EXPECT_EQ(m.MaskStateSize(0), (SkinModel::Size{30, 12}));
    EXPECT_EQ(m.MaskBorderWidthLeft(0), 10);
    EXPECT_EQ(m.MaskBorderWidthBottom(0), 4);
    EXPECT_EQ(m.MaskStateSize(-1), (SkinModel::Size{0, 0}));
}

TEST(SkinLookups, GlobalColours) {
    SkinModel m;
    Load(m, "[X]\n");
    EXPECT_EQ(m.GlobalFontColor(), 0xFF00FF);
    EXPECT_EQ(m.GlobalColor(), paint::ColorToRGB(paint::SystemColor(15)));
    Load(m, "[GLOBALINFO]\nCOLOR=3881787\nFONTCOLOR=12632256\nHOTCOLOR=5\n");
    EXPECT_EQ(m.GlobalColor(), 3881787);
    EXPECT_EQ(m.GlobalFontColor(), 12632256);
    EXPECT_EQ(m.GlobalHotColor(), 5);
}

TEST(SkinRecolour, KeysAndGreysStayAsTheyAre) {
    MapFiles files;
    files.files["M.BMP"] = SolidBmp(2, 2, 0x0000FF);
    files.files["K.BMP"] = SolidBmp(3, 3, 0xFF00FF);
    files.files["G.BMP"] = SolidBmp(3, 3, 0x808080);
    SkinModel m;
    Load(m,
         "[GLOBALINFO]\nMASTERBITMAP=M.BMP\nBORDERCOLOR=255\n[S]\nCOLOR=0xFF00FF\nHOTCOLOR=0x0000FF\n"
         "FONTCOLOR=0x202020\nTCLEFT=0x00FF00\nGRADIENTDATA=255;8421504;50;0;0\nK=K.BMP\nG=G.BMP\n",
         files);
    m.ApplyColorMap([](TColor c) { return c ^ 0x0F0F0F; });
    const TsGeneralData& s = m.Sections[1];
    EXPECT_EQ(s.Color, 0xFF00FF);
    EXPECT_EQ(s.HotColor, 0x0F0FF0);
    EXPECT_EQ(s.FontColor[0], 0x202020);
    EXPECT_EQ(s.FontColor[1], 0x0FF00F);
    EXPECT_EQ(s.FontColor[2], -1);
    EXPECT_EQ(s.GradientArray[0].Color1, 0x0F0FF0);
    EXPECT_EQ(s.GradientArray[0].Color2, 0x808080);
    EXPECT_EQ(m.SkinData.BorderColor, 0x0F0FF0);
    EXPECT_EQ(m.MasterBitmap->ScanLine(0)[2], 0xF0);  // red channel
    EXPECT_EQ(m.Masks[0].Bmp->ScanLine(1)[0], 0xFF);  // magenta untouched
    EXPECT_EQ(m.Masks[1].Bmp->ScanLine(1)[1], 0x80);
}

TEST(SkinRecolour, SystemColoursTurnAsTheColourTheyStandFor) {
    // HOTCOLOR is kept as written; a system colour must not lose its high
    // bits (and become a near-black) before it is turned.
    const TColor highlight = paint::ColorToRGB(paint::SystemColor(13));
    struct Case {
        int hue, saturation;
        TColor expected;
    } const cases[] = {{40, 0, paint::ShiftHue(40, highlight)}, {0, -30, paint::AdjustSaturation(highlight, 30)}};
    for (const Case& c : cases) {
        SkinModel m;
        m.HueOffset = c.hue;
        m.Saturation = c.saturation;
        Load(m, "[S]\nHOTCOLOR=-2147483635\n");
        EXPECT_EQ(m.Sections[m.FindSectionIndex("S")].HotColor, c.expected & 0xFFFFFF) << c.hue << " " << c.saturation;
    }
}

TEST(SkinCommonSections, MergeOverwritesOrAppends) {
    SkinModel m;
    m.CommonSections = "[PANEL]\nHOTCOLOR=0x10\n[NEWONE]\nPARENTCLASS=panel\nFADINGITERATIONS=9\n";
    Load(m, "[PANEL]\nCOLOR=3881787\nHOTCOLOR=7\nFONTCOLOR=1\n");
    ASSERT_EQ(m.Sections.size(), 2u);
    EXPECT_EQ(m.Sections[0].HotColor, 16);
    EXPECT_EQ(m.Sections[0].Color, 0xFFFFFF);  // a merged record starts from defaults, no parent
    EXPECT_EQ(m.Sections[1].Name, "NEWONE");
    EXPECT_EQ(m.Sections[1].Color, 0xFFFFFF);  // "panel" upper-cased finds the record as merged
    EXPECT_EQ(m.Sections[1].HotColor, 16);
    EXPECT_EQ(m.Sections[1].FadingIterations, 9);
}

TEST(SkinCommonIndexes, MissingSectionsGiveMinusOne) {
    SkinModel m;
    Load(m, "[COMBOBOX]\nGLYPHMASK=@0001@0001@0002@0002@1@0\n[SCROLLBTNBOTTOM]\nGLYPHMASK=@0001@0001@0002@0002@1@0\n");
    m.RebuildCommonIndexes();
    EXPECT_EQ(m.Indexes.GlobalInfo, -1);
    EXPECT_EQ(m.Indexes.BoxChecked, -1);
    EXPECT_EQ(m.Indexes.ComboGlyph, 0);
    EXPECT_EQ(m.Indexes.ScrollBtn[1].Section, 1);
    EXPECT_EQ(m.Indexes.ScrollBtn[1].GlyphMask, 1);
    EXPECT_EQ(m.Indexes.ScrollBtn[0].Section, -1);
}

TEST(StoredSkins, CommonSectionsJoinAStoredSkinToo) {
    TsStoredSkin s;
    TsSkinGeneral g;
    g.SectionName = "PANEL";
    g.Color = 3881787;
    s.GeneralData.push_back(g);
    SkinModel m;
    m.CommonSections = "[PANEL]\r\nCOLOR=255\r\n[EXTRA]\r\nTRANSPARENCY=40\r\n";
    m.LoadStored(s);
    ASSERT_GE(m.FindSectionIndex("EXTRA"), 0);
    EXPECT_EQ(m.Sections[m.FindSectionIndex("EXTRA")].Transparency, 40);
    EXPECT_EQ(m.Sections[m.FindSectionIndex("PANEL")].Color, 255);
}

TEST(StoredSkins, CollectionsBecomeRecords) {
    TsStoredSkin s;
    s.Version = 5.5;
    s.Shadow1Blur = 2;
    TsSkinGeneral g;
    g.SectionName = "PANEL";
    g.Name = "PANEL";
    g.Color = 3881787;
    g.FontColor = "1 2 3 4 5";
    g.HotFontColor = "1 2";
    g.GradientData = "1;2;3;0;0";
    s.GeneralData.push_back(g);
    TsSkinGeneral bad = g;
    bad.SectionName = "BAD";
    bad.GradientData = "1;2;x;0;0";
    s.GeneralData.push_back(bad);
    TsSkinImage border;
    border.SectionName = "panel";
    border.PropertyName = "bordersmask";
    border.Right = 30;
    border.Bottom = 12;
    border.ImageCount = 1;
    s.Images.push_back(std::move(border));
    TsSkinImage own;
    own.SectionName = "PANEL";
    own.PropertyName = "PATTERN";
    own.Image = paint::CreateBitmap24(4, 6);
    s.Images.push_back(std::move(own));
    s.MasterBitmap = paint::CreateBitmap24(8, 8);

    SkinModel m;
    m.LoadStored(s);
    ASSERT_EQ(m.Sections.size(), 1u);
    EXPECT_EQ(m.Sections[0].FontColor[4], 5);
    EXPECT_EQ(m.Sections[0].HotFontColor[0], 0);  // wrong count: colour 0, no contours
    EXPECT_EQ(m.Sections[0].HotFontColor[1], -1);
    EXPECT_EQ(m.Sections[0].GradientArray.size(), 1u);
    ASSERT_EQ(m.Masks.size(), 2u);
    EXPECT_EQ(m.Masks[0].SectionName, "PANEL");
    EXPECT_EQ(m.Masks[0].WL, 10);
    EXPECT_EQ(m.Masks[1].ImgType, TacImgType::itisaTexture);
    EXPECT_EQ(m.Masks[1].ImageCount, 3);  // 0 means three states with a mask part
    EXPECT_EQ(m.Masks[1].R, (TRect{0, 0, 4, 6}));
    ASSERT_TRUE(m.MasterBitmap);
    EXPECT_NE(m.MasterBitmap.get(), s.MasterBitmap.get());
    EXPECT_DOUBLE_EQ(m.SkinData.Version, 5.5);
    EXPECT_EQ(m.SkinData.Shadow1Blur, 2);
}

}  // namespace
}  // namespace velmap
