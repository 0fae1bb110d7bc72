#include <gtest/gtest.h>

#include "archive_builder.h"
#include "model_helpers.h"
#include "skin/data/skin_loader.h"
#include "skin/data/skin_warning.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace velmap {
namespace {

using test::ReadFile;
using test::SourcePath;

// The internal skin packed from its sources, in the entry order the band ships.
std::vector<std::uint8_t> ColdArchive() {
    const std::string dir = SourcePath("assets/skins/cold/");
    return test::BuildArchive({{"Options.dat", ReadFile(dir + "Options.dat")},
                               {"ButtonHuge.bmp", ReadFile(dir + "ButtonHuge.bmp")},
                               {"Master.bmp", ReadFile(dir + "Master.bmp")}});
}

class ColdSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
#ifdef _WIN32
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
#endif
        model_ = new SkinModel;
        auto bytes = ColdArchive();
        ASSERT_TRUE(LoadPackedSkinData(*model_, bytes));
        model_->RebuildCommonIndexes();
    }
    static void TearDownTestSuite() {
        delete model_;
        model_ = nullptr;
    }
    static SkinModel* model_;
    const SkinModel& m() { return *model_; }
    const TsGeneralData& Section(const char* name) {
        int i = m().FindSectionIndex(name);
        EXPECT_GE(i, 0) << name;
        return m().Sections.at(i);
    }
    const TsMaskData& Mask(const char* section, const char* key) {
        int i = m().FindMaskIndex(m().FindSectionIndex(section), section, key);
        EXPECT_GE(i, 0) << section << " " << key;
        return m().Masks.at(i);
    }
};
SkinModel* ColdSkin::model_ = nullptr;

TEST_F(ColdSkin, SectionsInFileOrderFromGlobalInfo) {
    const auto text = ReadFile(SourcePath("assets/skins/cold/Options.dat"));
    MemIniFile ini(std::string(text.begin(), text.end()));
    ASSERT_EQ(m().Sections.size(), ini.Sections().size());
    for (std::size_t i = 0; i < ini.Sections().size(); ++i) EXPECT_EQ(m().Sections[i].Name, ini.Sections()[i].name);
    EXPECT_EQ(m().Sections[0].Name, "GLOBALINFO");
    EXPECT_GE(m().FindSectionIndex("PANEL"), 0);
    EXPECT_GE(m().FindSectionIndex("SPEEDBUTTON"), 0);
    EXPECT_EQ(m().FindSectionIndex("panel"), -1);
    for (const char* s :
         {"BUTTON",        "CHECKBOX",    "EDIT",         "COMBOBOX",      "COMBOBTN",       "GROUPBOX",
          "DIALOG",        "MAINMENU",    "BAR",          "TOOLBAR",       "TABTOP",         "TABBOTTOM",
          "TABLEFT",       "TABRIGHT",    "SCROLLBTNTOP", "SCROLLBTNLEFT", "SCROLLBTNRIGHT", "SCROLLSLIDERV",
          "SCROLLSLIDERH", "SCROLLBAR1H", "SCROLLBAR1V",  "SCROLLBAR2H",   "SCROLLBAR2V",    "DIVIDER",
          "GRIPH",         "BARPANEL",    "BUTTON_HUGE",  "EXTRALINE"})
        EXPECT_GE(m().FindSectionIndex(s), 0) << s;
}

TEST_F(ColdSkin, GlobalInfo) {
    EXPECT_DOUBLE_EQ(m().SkinData.Version, 5.43);
    EXPECT_EQ(Section("GLOBALINFO").FontColor[1], 13290186);
    const TsMaskData& close = Mask("GLOBALINFO", "BICONCLOSE");
    EXPECT_EQ(close.ImgType, TacImgType::itisaGlyph);
    EXPECT_EQ(close.R, (TRect{184, 1, 229, 14}));
    EXPECT_EQ(close.ImageCount, 3);
    ASSERT_TRUE(m().MasterBitmap);
    EXPECT_EQ(m().MasterBitmap->BitsPerPixel(), 24);
    for (const auto& mask : m().Masks) EXPECT_NE(mask.PropertyName, "MASTERBITMAP");
    const CommonIndexes& c = m().Indexes;
    EXPECT_GE(c.GlobalInfo, 0);
    for (auto i : {c.BoxChecked, c.BoxUnchecked, c.BoxGrayed, c.RadioChecked, c.RadioUnchecked, c.RadioGrayed,
                   c.SmallChecked, c.SmallUnchecked, c.SmallGrayed, c.ComboBtnBorder, c.ComboGlyph,
                   c.ScrollBtn[1].GlyphMask, c.TabBorder[3], c.ScrollBar[2].BorderMask})
        EXPECT_GE(i, 0);
    // Every region cut from the master bitmap lies inside it.
    for (const auto& mask : m().Masks)
        if (!mask.Bmp) {
            EXPECT_LE(mask.R.Right, m().MasterBitmap->Width()) << mask.SectionName << " " << mask.PropertyName;
            EXPECT_LE(mask.R.Bottom, m().MasterBitmap->Height()) << mask.SectionName << " " << mask.PropertyName;
        }
}

TEST_F(ColdSkin, Panel) {
    const TsGeneralData& p = Section("PANEL");
    EXPECT_EQ(p.Color, 3881787);
    EXPECT_EQ(p.HotColor, 3881787);
    EXPECT_EQ(p.FontColor[0], 12632256);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(p.FontColor[i], -1);
    EXPECT_EQ(p.GradientData, " ");
    EXPECT_TRUE(p.GradientArray.empty());
    const TsMaskData& b = Mask("PANEL", "BORDERSMASK");
    EXPECT_EQ(b.R, (TRect{36, 0, 56, 21}));
    EXPECT_EQ(b.WL, 6);
    EXPECT_EQ(b.WB, 6);
    EXPECT_EQ(b.ImageCount, 1);
    EXPECT_EQ(b.MaskType, 0);
    EXPECT_EQ(b.StretchMode, 1);
    EXPECT_EQ(b.BorderWidth, 1);
    // The panel's face is charcoal, its outer corner the key colour.
    const std::uint8_t* row = m().MasterBitmap->ScanLine(10);
    EXPECT_EQ(row[46 * 3], 0x3B);
    const std::uint8_t* top = m().MasterBitmap->ScanLine(0);
    EXPECT_EQ(top[36 * 3 + 1], 0);     // green of magenta
    EXPECT_EQ(top[36 * 3 + 2], 0xFF);  // red of magenta
}

TEST_F(ColdSkin, SpeedButton) {
    const TsGeneralData& s = Section("SPEEDBUTTON");
    EXPECT_EQ(s.Transparency, 100);
    EXPECT_EQ(s.HotTransparency, 0);
    EXPECT_EQ(s.FontColor[0], 12632256);
    EXPECT_EQ(s.HotFontColor[0], 16777215);
    EXPECT_TRUE(s.FadingEnabled);
    EXPECT_EQ(s.FadingIterations, 20);
    EXPECT_EQ(s.FadingIntervalIn, 5);
    EXPECT_EQ(s.FadingIntervalOut, 5);
    EXPECT_EQ(s.Color, 16777215);
    EXPECT_EQ(s.HotGradientPercent, 100);
    EXPECT_EQ(s.HotGradientArray, (TsGradArray{{0x808080, 0x525252, 51, 0},
                                               {0x525252, 0x3B3B3B, 2, 0},
                                               {0x3B3B3B, 0x212121, 44, 0},
                                               {0x212121, 0x212121, 0, 0}}));
    const TsMaskData& b = Mask("SPEEDBUTTON", "BORDERSMASK");
    EXPECT_EQ(b.R, (TRect{15, 39, 36, 53}));
    EXPECT_EQ(b.ImageCount, 3);
    EXPECT_EQ(b.MaskType, 1);
    EXPECT_EQ(b.WL, 3);
    int i = m().FindMaskIndex(m().FindSectionIndex("SPEEDBUTTON"), "SPEEDBUTTON", "BORDERSMASK");
    EXPECT_EQ(m().MaskStateSize(i), (SkinModel::Size{7, 7}));
}

TEST_F(ColdSkin, OtherSections) {
    EXPECT_EQ(Section("BUTTON").GradientPercent, 100);
    EXPECT_EQ(Section("BUTTON").ImagePercent, 0);
    EXPECT_EQ(Section("GRIPH").ImagePercent, 29);
    EXPECT_EQ(Section("GRIPH").GradientPercent, 71);
    const TsMaskData& grip = Mask("GRIPH", "PATTERN");
    EXPECT_EQ(grip.ImgType, TacImgType::itisaTexture);
    EXPECT_EQ(grip.R, (TRect{95, 58, 98, 64}));
    EXPECT_EQ(grip.StretchMode, 10);
    EXPECT_EQ(grip.MaskType, 1);
    EXPECT_EQ(Section("BARPANEL").GradientArray,
              (TsGradArray{{0x3B3B3B, 0x3B3B3B, 97, 0}, {0x3B3B3B, 0x3B3B3B, 0, 0}}));
    const TsMaskData& div = Mask("DIVIDER", "BORDERSMASK");
    EXPECT_EQ(div.R, (TRect{84, 47, 89, 50}));
    EXPECT_EQ(div.WL, 2);
    EXPECT_EQ(div.WT + div.WR + div.WB, 0);
    EXPECT_EQ(div.StretchMode, 0);
    const TsMaskData& huge = Mask("BUTTON_HUGE", "BORDERSMASK");
    ASSERT_TRUE(huge.Bmp);
    EXPECT_EQ(huge.Bmp->Width(), 288);
    EXPECT_EQ(huge.Bmp->Height(), 192);
    EXPECT_EQ(huge.R, (TRect{0, 0, 288, 192}));
    EXPECT_EQ(huge.ImageCount, 3);
    EXPECT_EQ(huge.StretchMode, 4);
    EXPECT_EQ(huge.WT, 32);
    int extra = m().FindSectionIndex("EXTRALINE");
    EXPECT_EQ(m().FindMaskIndex(extra, "EXTRALINE", "BORDERSMASK"), -1);
    EXPECT_EQ(Mask("SCROLLBTNBOTTOM", "GLYPHMASK").ImgType, TacImgType::itisaGlyph);
}

#ifdef VELMAP_COLD_ARCHIVE
TEST(PackedSkin, TheBuildsArchiveOfTheInternalSkin) {
    auto bytes = ReadFile(VELMAP_COLD_ARCHIVE);
    MemoryStream source(bytes);
    auto reader = std::make_unique<TacSkinConvertor>();
    reader->SetSource(&source);
    ASSERT_TRUE(LoadPackedSkin(reader));
    reader->SetSource(static_cast<Stream*>(nullptr));
    EXPECT_EQ(reader->ImageEntryCount, 2);
    ASSERT_EQ(reader->Entries.size(), 2u);
    EXPECT_EQ(reader->Entries[0].Name, "ButtonHuge.bmp");
    EXPECT_EQ(reader->Entries[1].Name, "Master.bmp");
    // The options entry comes first in the archive.
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 23), "Options.dat");
    SkinModel m;
    ASSERT_TRUE(LoadPackedSkinData(m, bytes));
    EXPECT_EQ(m.Sections.at(0).Name, "GLOBALINFO");
    EXPECT_TRUE(m.MasterBitmap);
}
#endif

TEST(PackedSkin, WrongMagicLeavesTheModelAlone) {
    auto bytes = ColdArchive();
    bytes[0] = 'a';
    std::string warned;
    auto old = SetSkinWarningHook([&](const std::string& text, const std::string&) { warned = text; });
    SkinModel m;
    EXPECT_FALSE(LoadPackedSkinData(m, bytes));
    SetSkinWarningHook(old);
    EXPECT_EQ(warned, "Loaded data is not a packed skin file");
    EXPECT_TRUE(m.Sections.empty());
}

TEST(SkinFolder, LoadsFromDiskWithItsFolder) {
    SkinModel m;
    const std::string dir = SourcePath("tests/skins/folder/");
    ASSERT_TRUE(LoadSkinFolder(m, dir));
    EXPECT_EQ(m.SkinData.SkinFolder, dir);
    ASSERT_TRUE(m.MasterBitmap);
    int s = m.FindSectionIndex("BOX");
    EXPECT_GE(m.FindMaskIndex(s, "BOX", "BORDERSMASK"), 0);
    EXPECT_FALSE(LoadSkinFolder(m, SourcePath("tests/skins/none/")));
}

TEST(SkinFolder, ParentChains) {
    SkinModel m;
    ASSERT_TRUE(LoadSkinFolder(m, SourcePath("tests/skins/chains/")));
    const auto& leaf = m.Sections.at(m.FindSectionIndex("LEAF"));
    EXPECT_EQ(leaf.Color, 0x112233);
    EXPECT_EQ(leaf.FadingIterations, 7);
    EXPECT_EQ(leaf.ShadowColor, 0);
    EXPECT_GE(m.FindMaskIndex(m.FindSectionIndex("LEAF"), "LEAF", "BORDERSMASK"), 0);
    const auto& ping = m.Sections.at(m.FindSectionIndex("PING"));
    EXPECT_EQ(ping.Color, 0xFFFFFF);
}

TEST(SkinFolder, JpegPatternsFromDisk) {
#ifdef _WIN32
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
#endif
    SkinModel m;
    ASSERT_TRUE(LoadSkinFolder(m, SourcePath("tests/skins/jpeg/")));
    int panel = m.FindSectionIndex("PANEL");
    int p = m.FindPatternIndex(panel, "PANEL", "PATTERN");
    ASSERT_GE(p, 0);
    EXPECT_EQ(m.Patterns[p].Img->Width(), 300);
    int t = m.FindTextureIndex(panel, "PANEL", "HOTPATTERN");
    ASSERT_GE(t, 0);
    EXPECT_EQ(m.Masks[t].Bmp->Height(), 30);
}

}  // namespace
}  // namespace velmap
