// Items painted for controls under Wine: the band's panel and speed button
// from its own skin, through the cache seam, and captions through GDI.
#include <windows.h>

#include <gtest/gtest.h>

#include "model_helpers.h"
#include "skin/controls/item_painter.h"
#include "skin/paint/masks.h"
#include "skin/paint/pixel_ops.h"
#include "skin_test_support.h"

namespace velmap::skin {
namespace {

using namespace velmap::skin::test;

const char kFormText[] = R"desc(
object ItemForm : TForm
  Width = 200
  Height = 40
  Color = clWhite
  object SkinManager : TsSkinManager
    InternalSkins = <
      item
        Name = "Cold"
        Data = @SKIN
      end>
    SkinName = "Cold"
  end
  object Panel : TProbePanel
    Width = 160
    Height = 25
    SkinData.SkinSection = "PANEL"
    object Button : TProbeButton
      Left = 30
      Top = 2
      Width = 20
      Height = 20
      SkinData.SkinSection = "SPEEDBUTTON"
    end
    object Label : TProbePanel
      Left = 60
      Top = 2
      Width = 60
      Height = 20
      SkinData.SkinSection = "GLOBALINFO"
    end
  end
end
)desc";

int GreyAt(ui::TBitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
    return p[0] == p[1] && p[1] == p[2] ? p[0] : -1;
}

class ItemPainterTest : public ::testing::Test {
protected:
    // The skin's pictures are decoded by the system's codecs, which need COM
    // on the thread (the shell's thread has it).
    static void SetUpTestSuite() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
    void SetUp() override {
        const std::string dir = velmap::test::SourcePath("assets/skins/cold/");
        const Bytes cold = velmap::test::BuildArchive(
            {{"Options.dat", velmap::test::ReadFile(dir + "Options.dat")},
             {"ButtonHuge.bmp", velmap::test::ReadFile(dir + "ButtonHuge.bmp")},
             {"Master.bmp", velmap::test::ReadFile(dir + "Master.bmp")}});
        form_ = MakeForm(host_.get(), kFormText, {{"SKIN", cold}});
        panel_ = dynamic_cast<ProbePanel*>(form_->FindComponent("Panel"));
        button_ = dynamic_cast<ProbeButton*>(form_->FindComponent("Button"));
        label_ = dynamic_cast<ProbePanel*>(form_->FindComponent("Label"));
        ASSERT_TRUE(panel_ && button_ && label_);
        ASSERT_TRUE(panel_->SkinData().IsSkinned() && button_->SkinData().IsSkinned());
        ASSERT_TRUE(panel_->SkinData().UpdateCache());
    }
    HostWindow host_;
    WarningCatcher warnings_;
    ui::owned<ui::TForm> form_;
    ProbePanel* panel_ = nullptr;
    ProbeButton* button_ = nullptr;
    ProbePanel* label_ = nullptr;
};

// The speed button over the panel's cache: transparent in state 0 with the
// normal frame, the hot gradient with the hot frame in state 1, corners
// showing the panel; the control's own colour when it keeps it.
TEST_F(ItemPainterTest, SpeedButtonOverThePanelsCache) {
    EXPECT_EQ(GreyAt(*panel_->SkinData().CacheBitmap, 40, 12), 0x3B);
    struct Case {
        int state;
        bool custom;
        int face, ring, corner;
    };
    for (const Case c : {Case{0, false, 0x3B, 67, 0x3B}, Case{1, false, 105, 128, 0x3B}, Case{2, false, 105, 33, 0x3B},
                         Case{1, true, 0x80, 128, 0x3B}}) {
        TsCommonData& sd = button_->SkinData();
        sd.SetCustomColor(c.custom);
        button_->SetColor(c.custom ? static_cast<ui::TColor>(0x808080) : ui::clBtnFace);
        sd.CacheStale = true;
        ASSERT_TRUE(sd.UpdateCache(SkinItemPainter(c.state, true, false)));
        ui::TBitmap& cache = *sd.CacheBitmap;
        EXPECT_EQ(GreyAt(cache, 10, 5), c.face) << "state " << c.state;
        EXPECT_EQ(GreyAt(cache, 10, 0), c.ring) << "state " << c.state;
        EXPECT_EQ(GreyAt(cache, 0, 0), c.corner) << "state " << c.state;
        EXPECT_EQ(GreyAt(cache, 19, 19), c.corner) << "state " << c.state;
        EXPECT_EQ(paint::ParentBgColor, paint::KeyColor);
        EXPECT_EQ(paint::MaskFillColor, paint::KeyColor);
    }
}

// GLOBALINFO's text has a one-pixel left contour (TCLEFT); MS Sans Serif
// draws without antialiasing, so both colours show exactly. A custom font
// keeps the control's colour and draws no contour.
TEST_F(ItemPainterTest, CaptionWithItsContour) {
    TsCommonData& sd = label_->SkinData();
    sd.PrepareCacheBitmap();
    label_->Font().SetColor(static_cast<ui::TColor>(0x0000FF));
    for (bool custom : {false, true}) {
        sd.SetCustomFont(custom);
        ui::TBitmap& cache = *sd.CacheBitmap;
        ::PatBlt(cache.Canvas().Handle(), 0, 0, 60, 20, BLACKNESS);
        WriteSkinText(cache.Canvas(), L"HIH", true, false, sd, DT_SINGLELINE | DT_VCENTER, {4, 0, 60, 20});
        ::GdiFlush();
        int text = 0, contour = 0, red = 0, left_text = 99, left_contour = 99;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x) {
                const std::uint8_t* p = cache.ScanLine(y) + 3 * x;
                if (p[0] == 0xC0 && p[1] == 0xC0 && p[2] == 0xC0) ++text, left_text = std::min(left_text, x);
                if (p[0] == 0xCA && p[1] == 0xCA && p[2] == 0xCA) ++contour, left_contour = std::min(left_contour, x);
                if (p[0] == 0 && p[1] == 0 && p[2] == 0xFF) ++red;
            }
        if (custom) {
            EXPECT_EQ(contour, 0);
            EXPECT_GT(red, 10);
        } else {
            EXPECT_GT(text, 10);
            EXPECT_GT(contour, 0);
            EXPECT_EQ(left_contour, left_text - 1);
        }
    }
}

}  // namespace
}  // namespace velmap::skin
