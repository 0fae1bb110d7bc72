// The skinned panel: its caption, its graphic children composed over its
// cache (also after the panel grew), painting into a DC it is handed, and
// rebuilding after it was seen only in part.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace velmap::skin::test {
namespace {

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        TsAnimTimer::SetManualTicks(true);
        form_ = MakeControlsForm(Button("Key", 40) + Child("TsPanel", "Glass", 100, 5, 60, 30, "HALF"));
        panel_ = Find<TsPanel>(form_, "Panel");
        glass_ = Find<TsPanel>(form_, "Glass");
        panel_->Repaint();
    }
    void TearDown() override {
        form_.reset();
        TsAnimTimer::SetManualTicks(false);
    }
    COLORREF PixelOf(ui::TBitmap& b, int x, int y) { return ::GetPixel(b.Image().Dc(), x, y); }

    FacePainter painter_;
    PainterScope scope_{&painter_};
    ui::owned<ui::TForm> form_;
    TsPanel* panel_ = nullptr;
    TsPanel* glass_ = nullptr;
    ui::TBitmap target_;
};

TEST_F(PanelTest, TheCaptionShowsItsAmpersand) {
    panel_->SetCaption(L"A&B");
    panel_->Repaint();
    // The columns with ink span the width of "A&B", not that of "AB".
    ui::TBitmap& cache = *panel_->SkinData().CacheBitmap;
    int first = cache.Width(), last = -1;
    for (int y = 0; y < cache.Height(); ++y)
        for (int x = 0; x < cache.Width(); ++x)
            if (PixelOf(cache, x, y) != FacePainter::kPanel) first = std::min(first, x), last = std::max(last, x);
    win::unique_hdc dc(::CreateCompatibleDC(nullptr));
    win::select_object font(dc.get(), panel_->Font().Handle());
    SIZE with{}, without{};
    ::GetTextExtentPoint32W(dc.get(), L"A&B", 3, &with);
    ::GetTextExtentPoint32W(dc.get(), L"AB", 2, &without);
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
    Find<TsSpeedButton>(form_, "Key")->SkinData().CacheStale = true;
    target_.SetSize(240, 40);
    paint::FillRectColor(target_.Image(), {0, 0, 240, 40}, 0x00FF00);
    PaintGraphicChildren(target_.Image().Dc(), panel_, {30, 0});
    EXPECT_EQ(PixelOf(target_, 45, 15), FacePainter::kPanel);
    EXPECT_EQ(PixelOf(target_, 75, 15), 0x00FF00u);
}

TEST_F(PanelTest, HandedDcsArePaintedAndTheUpdateRegionStays) {
    ::InvalidateRect(panel_->Handle(), nullptr, FALSE);
    target_.SetSize(200, 40);
    ::SendMessageW(panel_->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(target_.Image().Dc()), 0);
    EXPECT_EQ(PixelOf(target_, 5, 5), FacePainter::kPanel);
    EXPECT_TRUE(::GetUpdateRect(panel_->Handle(), nullptr, FALSE));
    // Printing paints also a panel held back after a skin change.
    target_.SetSize(0, 0);
    target_.SetSize(200, 40);
    panel_->SkinData().Updating = true;
    ::SendMessageW(panel_->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(target_.Image().Dc()), PRF_CLIENT);
    EXPECT_EQ(PixelOf(target_, 5, 5), FacePainter::kPanel);
}

TEST_F(PanelTest, ChildrenShowInThePartAPanelGrewBy) {
    // The bitmap the children are composed in is kept from one paint to the
    // next (SetUp painted once): it must follow the panel's new size.
    panel_->SetBounds(0, 0, 300, 40);
    Find<TsSpeedButton>(form_, "Key")->SetBounds(260, 10, 20, 20);
    target_.SetSize(300, 40);
    paint::FillRectColor(target_.Image(), {0, 0, 300, 40}, 0x00FF00);
    ::SendMessageW(panel_->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(target_.Image().Dc()), 0);
    EXPECT_EQ(PixelOf(target_, 270, 20), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(target_, 250, 20), FacePainter::kPanel);
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
}

}  // namespace
}  // namespace velmap::skin::test
