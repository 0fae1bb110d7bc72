// The per-control skin state under Wine: assignments, hot tracking, waiting
// for a busy parent, the parent colour and cache queries, and the cache on
// visibility changes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "skin/messages/message_routines.h"
#include "skin_test_support.h"

namespace velmap::skin {
namespace {

using namespace velmap::skin::test;

const char kFormText[] = R"desc(
object StateForm : TForm
  Width = 200
  Height = 60
  Color = clWhite
  object SkinManager : TsSkinManager
    InternalSkins = <
      item
        Name = "Test"
        Data = @SKIN
      end>
    SkinName = "Test"
  end
  object Panel : TProbePanel
    Width = 200
    Height = 60
    SkinData.SkinSection = "PANEL"
    object Button : TProbeButton
      Left = 4
      Top = 4
      Width = 20
      Height = 20
    end
    object Inner : TProbePanel
      Left = 30
      Top = 4
      Width = 40
      Height = 20
      SkinData.SkinSection = "HALF"
    end
    object Corner : TProbePanel
      Left = 80
      Top = 4
      Width = 40
      Height = 20
      Anchors = [akRight, akTop]
      SkinData.SkinSection = "PANEL"
    end
  end
end
)desc";

class CommonDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log().clear();
        form_ = MakeForm(host_.get(), kFormText, {{"SKIN", PackSkin(SkinOptions("5.43"))}});
        manager_ = dynamic_cast<TsSkinManager*>(form_->FindComponent("SkinManager"));
        panel_ = dynamic_cast<ProbePanel*>(form_->FindComponent("Panel"));
        button_ = dynamic_cast<ProbeButton*>(form_->FindComponent("Button"));
        inner_ = dynamic_cast<ProbePanel*>(form_->FindComponent("Inner"));
        corner_ = dynamic_cast<ProbePanel*>(form_->FindComponent("Corner"));
        ASSERT_TRUE(manager_ && panel_ && button_ && inner_ && corner_);
        ASSERT_TRUE(manager_->SkinLoaded());
    }

    HostWindow host_;
    WarningCatcher warnings_;
    ui::owned<ui::TForm> form_;
    TsSkinManager* manager_ = nullptr;
    ProbePanel* panel_ = nullptr;
    ProbeButton* button_ = nullptr;
    ProbePanel* inner_ = nullptr;
    ProbePanel* corner_ = nullptr;
};

TEST_F(CommonDataTest, ControlsWithoutASectionTakeTheirKindsDefault) {
    EXPECT_EQ(button_->SkinData().SkinSection(), "SPEEDBUTTON");
    EXPECT_EQ(button_->SkinData().SectionIndex, manager_->FindSectionIndex("SPEEDBUTTON"));
    EXPECT_EQ(panel_->SkinData().SkinManager(), nullptr);  // the primary manager serves it
    EXPECT_EQ(panel_->SkinData().EffectiveManager(), manager_);
}

// A manager that always lives at one address, as a new one may after the old
// one was freed.
struct SameAddressManager : TsSkinManager {
    using TsSkinManager::TsSkinManager;
    static void* operator new(std::size_t size) {
        EXPECT_LE(size, sizeof(storage));
        return storage;
    }
    static void operator delete(void*) {}
    alignas(std::max_align_t) static inline unsigned char storage[sizeof(TsSkinManager) + 64];
};

TEST_F(CommonDataTest, ANewManagerWhereAFreedOneLivedIsTakenUp) {
    TsCommonData& sd = inner_->SkinData();
    SameAddressManager* first = ui::Make<SameAddressManager>(nullptr);
    sd.SetSkinManager(first);
    ASSERT_EQ(sd.SkinManager(), first);
    first->Free();
    EXPECT_EQ(sd.EffectiveManager(), nullptr);
    ui::owned<SameAddressManager> second(ui::Make<SameAddressManager>(nullptr));
    ASSERT_EQ(static_cast<void*>(second.get()), static_cast<void*>(first));
    sd.SetSkinManager(second.get());
    EXPECT_EQ(sd.SkinManager(), second.get());
    EXPECT_EQ(sd.EffectiveManager(), second.get());
}

TEST_F(CommonDataTest, AnEmptySectionIsStoredAsUnknownAndRemovesTheSkin) {
    TsCommonData& sd = inner_->SkinData();
    inner_->ClearReceived();
    sd.SetSkinSection("");
    EXPECT_EQ(sd.SkinSection(), "UNKNOWN");
    EXPECT_EQ(sd.SectionIndex, -1);
    EXPECT_EQ(inner_->Received(SMC_SKIN_REMOVED), 1);
    EXPECT_EQ(sd.CacheBitmap->Width(), 0);
    EXPECT_FALSE(sd.IsSkinned());

    inner_->ClearReceived();
    sd.SetSkinSection("panel");  // stored upper-case, and the skin is back
    EXPECT_EQ(sd.SkinSection(), "PANEL");
    EXPECT_EQ(inner_->Received(SMC_SKIN_REFRESH), 1);
    EXPECT_TRUE(sd.IsSkinned(true));
}

TEST_F(CommonDataTest, OnlyKindsOutsideTheNoHotSetBecomeHot) {
    panel_->Perform(ui::UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(panel_));
    EXPECT_FALSE(panel_->SkinData().MouseOver);
    EXPECT_FALSE(panel_->SkinData().IsHot());
    button_->Perform(ui::UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(button_));
    EXPECT_TRUE(button_->SkinData().MouseOver);
    EXPECT_TRUE(button_->SkinData().IsHot());
    // Entering the parent clears a hot look the button kept by mistake.
    panel_->HandleNeeded();
    panel_->Perform(ui::UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(panel_));
    EXPECT_FALSE(button_->SkinData().MouseOver);
    EXPECT_EQ(manager_->HotWindow(), panel_->Handle());
    // Disabled controls are never hot.
    button_->Perform(ui::UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(button_));
    button_->SetEnabled(false);
    EXPECT_FALSE(button_->SkinData().IsHot());
}

TEST_F(CommonDataTest, IsUpdatingWaitsForABusyParent) {
    TsCommonData& parent = panel_->SkinData();
    TsCommonData& child = button_->SkinData();
    child.Updating = false;
    parent.Updating = false;
    parent.CacheStale = true;
    EXPECT_TRUE(child.IsUpdating());
    parent.CacheStale = false;
    EXPECT_FALSE(child.IsUpdating());
    // Busy up the chain: the panel waits for the form, which answers nothing.
    parent.Updating = true;
    EXPECT_TRUE(child.IsUpdating());
    parent.Updating = false;
    // A control without a parent always waits.
    ui::owned<ProbeButton> orphan(ui::Make<ProbeButton>(nullptr));
    orphan->SkinData().Updating = false;
    EXPECT_TRUE(orphan->SkinData().IsUpdating());
    // And nothing paints while no skin is in force.
    manager_->SetActive(false);
    EXPECT_TRUE(child.IsUpdating());
}

TEST_F(CommonDataTest, HalfTransparentBlackOverWhiteGives0x313131) {
    // Inner (TRANSPARENCY 50, COLOR 0) sits on Panel (opaque PANEL colour):
    // first a plain white parent.
    ui::owned<ui::TPanel> white(ui::Make<ui::TPanel>(nullptr));
    white->SetParent(form_.get());
    white->SetColor(ui::clWhite);
    inner_->SetParent(white.get());
    EXPECT_EQ(TsCommonData::GetParentBgColor(inner_), 0x313131u);
    // A skinned opaque parent answers its section colour; the mix follows it.
    inner_->SetParent(panel_);
    EXPECT_EQ(TsCommonData::GetParentBgColor(panel_), 3881787u);
    EXPECT_EQ(TsCommonData::GetParentBgColor(inner_), MixTransparentColor(3881787, 0, 50));
    // A fully transparent button shows what is behind it.
    EXPECT_EQ(TsCommonData::GetParentBgColor(button_), 3881787u);
    // Unskinned, the control's own colour.
    manager_->SetActive(false);
    panel_->SetColor(0x123456);
    EXPECT_EQ(TsCommonData::GetParentBgColor(inner_), 0x123456u);
}

TEST_F(CommonDataTest, TheDisabledLookMixesWithTheColourTheParentAnswered) {
    // Inner answers its half-transparent mix; painting a control inside it
    // disabled, without a parent cache, must take that answer and not the
    // fallback colour it is given.
    const COLORREF answer = TsCommonData::GetParentBgColor(inner_);
    ASSERT_NE(answer, ui::ColorRefOf(ui::clWhite));
    auto painted = paint::CreateBitmap24(2, 1);
    auto expected = paint::CreateBitmap24(2, 1);
    paint::PaintDisabled(*painted, paint::dkBlended, ui::clWhite, {0, 0}, {});
    paint::MixColorIntoRect(*expected, {0, 0, 2, 1}, 50, static_cast<paint::TColor>(answer));
    EXPECT_EQ(0, std::memcmp(painted->ScanLine(0), expected->ScanLine(0), 6));
}

TEST_F(CommonDataTest, HidingEmptiesTheCacheAndShowingMarksItStale) {
    TsCommonData& sd = inner_->SkinData();
    sd.PrepareCacheBitmap();
    EXPECT_EQ(sd.CacheBitmap->Width(), 40);
    EXPECT_EQ(sd.CacheBitmap->Height(), 20);
    sd.CacheStale = false;
    inner_->SetVisible(false);
    EXPECT_EQ(sd.CacheBitmap->Width(), 0);
    EXPECT_EQ(sd.CacheBitmap->Height(), 0);
    inner_->SetVisible(true);
    EXPECT_TRUE(sd.CacheStale);
    sd.PrepareCacheBitmap();
    EXPECT_EQ(sd.CacheBitmap->Width(), 40);
}

TEST_F(CommonDataTest, TheCacheIsRepaintedOnlyWhenStaleAndNotFrozen) {
    TsCommonData& sd = inner_->SkinData();
    int paints = 0;
    auto painter = [&](ui::TBitmap& cache, TsCommonData& state) {
        ++paints;
        EXPECT_EQ(&state, &sd);
        EXPECT_EQ(cache.Width(), 40);
        EXPECT_EQ(cache.Height(), 20);
        cache.ScanLine(0)[0] = 0x5A;
    };
    sd.CacheStale = true;
    EXPECT_TRUE(sd.UpdateCache(painter));
    EXPECT_EQ(sd.CacheBitmap->ScanLine(0)[0], 0x5A);
    EXPECT_FALSE(sd.UpdateCache(painter));
    inner_->Perform(SM_SKINCMD, SkinWParam(SMC_SET_HALF_VISIBLE));
    EXPECT_TRUE(sd.UpdateCache(painter));
    inner_->Perform(SM_SKINCMD, SkinWParam(SMC_FREEZE_CACHE, 1));
    inner_->Perform(SM_SKINCMD, SkinWParam(SMC_INVALIDATE_CACHE));
    EXPECT_FALSE(sd.UpdateCache(painter));
    inner_->Perform(SM_SKINCMD, SkinWParam(SMC_FREEZE_CACHE, 0));
    // A control resized to nothing gets an empty cache and no paint.
    inner_->SetBounds(30, 4, 0, 20);
    EXPECT_TRUE(sd.UpdateCache(painter));
    EXPECT_TRUE(sd.CacheBitmap->Empty());
    EXPECT_EQ(paints, 2);
}

TEST_F(CommonDataTest, BackgroundDependsOnPositionOnlyOverAVaryingParent) {
    // Half transparent over a plain opaque panel: moving shows the same colour.
    EXPECT_FALSE(inner_->SkinData().BgDependsOnPosition());
    // Over a gradient it does, and a move tells the control to repaint.
    panel_->SkinData().SetSkinSection("GRADIENT");
    EXPECT_TRUE(inner_->SkinData().BgDependsOnPosition());
    EXPECT_TRUE(button_->SkinData().BgDependsOnPosition());  // fully transparent: asks the panel
    inner_->ClearReceived();
    inner_->SetBounds(32, 4, 40, 20);
    EXPECT_EQ(inner_->Received(SMC_REPAINT_CHILDREN), 1);
    // An opaque control never depends on where it is, unless disabled.
    EXPECT_FALSE(corner_->SkinData().BgDependsOnPosition());
    corner_->SetEnabled(false);
    EXPECT_TRUE(corner_->SkinData().BgDependsOnPosition());
}

TEST_F(CommonDataTest, UpdatesAndSectionChangesReachTheControl) {
    TsCommonData& sd = inner_->SkinData();
    inner_->ClearReceived();
    sd.BeginUpdate();
    EXPECT_TRUE(sd.Updating);
    EXPECT_TRUE(sd.IsUpdating());
    sd.EndUpdate();
    EXPECT_FALSE(sd.Updating);
    EXPECT_EQ(inner_->Received(SMC_BEGIN_UPDATE), 1);
    EXPECT_EQ(inner_->Received(SMC_END_UPDATE), 1);

    sd.CacheStale = false;
    ChangedSectionName = "PANEL";
    inner_->Perform(SM_SKINCMD, SkinWParam(SMC_SECTION_CHANGED));
    EXPECT_FALSE(sd.CacheStale);  // HALF is not the changed section
    ChangedSectionName = "HALF";
    inner_->Perform(SM_SKINCMD, SkinWParam(SMC_SECTION_CHANGED));
    EXPECT_TRUE(sd.CacheStale);
    ChangedSectionName.clear();

    sd.CacheStale = false;
    inner_->Perform(SM_SKINCMD, SkinWParam(SMC_PARENT_BG_CHANGED, 1));
    EXPECT_TRUE(sd.CacheStale);  // it shows its parent through
    corner_->SkinData().CacheStale = false;
    corner_->Perform(SM_SKINCMD, SkinWParam(SMC_PARENT_BG_CHANGED, 1));
    EXPECT_FALSE(corner_->SkinData().CacheStale);  // opaque
}

TEST_F(CommonDataTest, AChildFindsItsBackgroundInTheParentsCache) {
    panel_->SkinData().PrepareCacheBitmap();
    paint::BackgroundSource bg = button_->SkinData().QueryParentCache();
    EXPECT_TRUE(bg.Ready);
    EXPECT_EQ(bg.Bmp, &panel_->SkinData().CacheBitmap->Image());
    EXPECT_EQ(bg.X, 0);
    // The form keeps no cache: not ready.
    EXPECT_FALSE(panel_->SkinData().QueryParentCache().Ready);
    ui::owned<ProbeButton> orphan(ui::Make<ProbeButton>(nullptr));
    EXPECT_FALSE(orphan->SkinData().QueryParentCache().Ready);
}

TEST_F(CommonDataTest, ResizingRepaintsLeftTopAnchoredChildrenOnlyWithAGradient) {
    panel_->HandleNeeded();
    inner_->ClearReceived();
    corner_->ClearReceived();
    panel_->SetBounds(0, 0, 190, 60);  // PANEL has no gradient
    EXPECT_EQ(inner_->Received(SMC_REPAINT_CHILDREN), 0);
    EXPECT_EQ(corner_->Received(SMC_REPAINT_CHILDREN), 0);

    panel_->SkinData().SetSkinSection("GRADIENT");
    panel_->SetBounds(0, 0, 180, 60);
    EXPECT_GE(inner_->Received(SMC_REPAINT_CHILDREN), 1);
    EXPECT_EQ(corner_->Received(SMC_REPAINT_CHILDREN), 0);
}

TEST_F(CommonDataTest, AnotherManagerTakesOverWhenAssigned) {
    ui::owned<TsSkinManager> other(ui::Make<TsSkinManager>(nullptr));
    other->InternalSkins().push_back(
        StoredSkin("Other", "[GLOBALINFO]\r\nVERSION=1\r\n[A]\r\n[B]\r\n[PANEL]\r\nCOLOR=255\r\n"));
    other->SetSkinName("Other");
    TsCommonData& sd = inner_->SkinData();
    sd.SetSkinSection("PANEL");
    inner_->ClearReceived();
    sd.SetSkinManager(other.get());
    EXPECT_EQ(sd.EffectiveManager(), other.get());
    EXPECT_EQ(sd.SectionIndex, 3);
    EXPECT_EQ(inner_->Received(SMC_SKIN_REFRESH), 1);
    // The primary manager's announcements no longer concern it.
    manager_->SetSkinName("Test");
    EXPECT_EQ(sd.SectionIndex, 3);
    // A manager that goes away is never used again: the state is unskinned.
    other.reset();
    EXPECT_EQ(sd.SkinManager(), nullptr);
    EXPECT_EQ(sd.EffectiveManager(), nullptr);
    EXPECT_FALSE(sd.IsSkinned());
    // Assigning the primary manager stores none.
    sd.SetSkinManager(manager_);
    EXPECT_EQ(sd.SkinManager(), nullptr);
}

}  // namespace
}  // namespace velmap::skin
