// The skinned panel: its caption, its graphic children composed over its
// cache, painting into a DC it is handed, and rebuilding after it was seen
// only in part.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace velmap::skin::test {
namespace {

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        TsAnimTimer::SetManualTicks(true);
        form_ = MakeControlsForm(SharedHost(), R"(
    object Key : TsSpeedButton
      Left = 40
      Top = 10
      Width = 20
      Height = 20
    end
    object Glass : TsPanel
      Left = 100
      Top = 5
      Width = 60
      Height = 30
      SkinData.SkinSection = "HALF"
    end
)");
        panel_ = dynamic_cast<TsPanel*>(form_->FindComponent("Panel"));
        glass_ = dynamic_cast<TsPanel*>(form_->FindComponent("Glass"));
        ASSERT_TRUE(panel_ && glass_);
        panel_->Repaint();
    }
    void TearDown() override {
        form_.reset();
        TsAnimTimer::SetManualTicks(false);
    }

    FacePainter painter_;
    PainterScope scope_{&painter_};
    ui::owned<ui::TForm> form_;
    TsPanel* panel_ = nullptr;
    TsPanel* glass_ = nullptr;
};

TEST_F(PanelTest, TheCaptionShowsItsAmpersand) {
    panel_->SetCaption(L"A&B");
    panel_->Repaint();
    // The columns with ink span the width of "A&B", not that of "AB".
    ui::TBitmap& cache = *panel_->SkinData().CacheBitmap;
    int first = cache.Width(), last = -1;
    for (int y = 0; y < cache.Height(); ++y)
        for (int x = 0; x < cache.Width(); ++x) {
            const std::uint8_t* p = cache.ScanLine(y) + 3 * x;
            if (p[0] != 0x40 || p[1] != 0x40 || p[2] != 0x40) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    win::unique_hdc dc(::CreateCompatibleDC(nullptr));
    win::select_object font(dc.get(), panel_->Font().Handle());
    SIZE with{}, without{};
    ::GetTextExtentPoint32W(dc.get(), L"A&B", 3, &with);
    ::GetTextExtentPoint32W(dc.get(), L"AB", 2, &without);
    ASSERT_GE(last, first);
    EXPECT_NEAR(last - first + 1, with.cx, 2);
    EXPECT_GT(last - first + 1, without.cx + 2);
}

TEST_F(PanelTest, GraphicChildrenLandAtTheirPlacesPlusTheOffset) {
    // A child that paints nothing shows the panel's cache; a child whose
    // first pixel is the key colour is left out, its own place tested even
    // when the whole picture moves.
    ui::owned<ui::TGraphicControl> plain(ui::Make<ui::TGraphicControl>(nullptr));
    plain->SetParent(panel_);
    plain->SetBounds(10, 10, 20, 20);
    painter_.faces[0] = 0xFF00FF;
    dynamic_cast<TsSpeedButton*>(form_->FindComponent("Key"))->SkinData().CacheStale = true;
    ui::TBitmap target;
    target.SetSize(240, 40);
    paint::FillRectColor(target.Image(), {0, 0, 240, 40}, 0x00FF00);
    PaintGraphicChildren(target.Image().Dc(), panel_, {30, 0});
    EXPECT_EQ(::GetPixel(target.Image().Dc(), 45, 15), FacePainter::kPanel);
    EXPECT_EQ(::GetPixel(target.Image().Dc(), 75, 15), 0x00FF00u);
}

TEST_F(PanelTest, HandedDcsArePaintedAndTheUpdateRegionStays) {
    ::InvalidateRect(panel_->Handle(), nullptr, FALSE);
    ui::TBitmap target;
    target.SetSize(200, 40);
    ::SendMessageW(panel_->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(target.Image().Dc()), 0);
    EXPECT_EQ(::GetPixel(target.Image().Dc(), 5, 5), FacePainter::kPanel);
    EXPECT_TRUE(::GetUpdateRect(panel_->Handle(), nullptr, FALSE));
    // Printing paints also a panel held back after a skin change.
    ui::TBitmap printed;
    printed.SetSize(200, 40);
    panel_->SkinData().Updating = true;
    ::SendMessageW(panel_->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(printed.Image().Dc()), PRF_CLIENT);
    EXPECT_EQ(::GetPixel(printed.Image().Dc(), 5, 5), FacePainter::kPanel);
}

TEST_F(PanelTest, APanelSeenInPartRebuildsOnceWhenSeenWhole) {
    // Half transparent over a gradient: its face depends on where it is.
    panel_->SkinData().SetSkinSection("GRADIENT");
    int rebuilds = 0;
    glass_->OnPaint = [&](ui::TComponent*, ui::TCanvas&) { ++rebuilds; };
    ui::owned<ui::TPanel> cover(ui::Make<ui::TPanel>(nullptr));
    cover->SetParent(panel_);
    cover->SetBounds(130, 0, 60, 40);
    ::SetWindowPos(cover->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    glass_->Repaint();
    EXPECT_TRUE(glass_->SkinData().PartlyVisible);
    rebuilds = 0;
    cover->Hide();
    glass_->Repaint();
    glass_->Repaint();
    EXPECT_EQ(rebuilds, 1);
    EXPECT_FALSE(glass_->SkinData().PartlyVisible);
}

}  // namespace
}  // namespace velmap::skin::test
