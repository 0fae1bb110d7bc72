// The skinned speed button: a non-windowed button whose face comes from a
// skin section (SPEEDBUTTON unless named otherwise), with normal, hot and
// pressed looks, a glyph, an optional caption, separator, divider and
// drop-down styles, and a short cross-fade whenever its look changes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "skin/controls/anim_timer.h"
#include "skin/controls/button_layout.h"
#include "skin/controls/common_data.h"
#include "ui/speed_button.h"

namespace velmap::skin {

enum class TacAnimatEvent { aeMouseEnter, aeMouseLeave, aeMouseDown, aeMouseUp, aeGlobalDef };
using TacAnimatEvents = ui::TSet<TacAnimatEvent>;

// Whether an event fades: named in events, or, with aeGlobalDef, in the
// process-wide ButtonEffectEvents of the skin manager.
bool EventEnabled(TacAnimatEvent event, TacAnimatEvents events);

enum class TsDisabledGlyphKindItem { dgBlended, dgGrayed };
using TsDisabledGlyphKind = ui::TSet<TsDisabledGlyphKindItem>;
enum class TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
enum class TsDisabledKindItem { dkBlended, dkGrayed };
using TsDisabledKind = ui::TSet<TsDisabledKindItem>;

// Width of the arrow part of a drop-down button.
inline constexpr int kDropWidth = 16;

class TsSpeedButton;
using TBmpPaintEvent = std::function<void(ui::TComponent* sender, ui::TBitmap& bmp)>;

class TsSpeedButton : public ui::TSpeedButton, public TsSkinnedControl {
public:
    explicit TsSpeedButton(ui::TComponent* owner);
    ~TsSpeedButton() override;

    TsCommonData& SkinData() override { return *skin_data_; }
    void AfterConstruction() override;
    void Loaded() override;
    void Invalidate() override;

    // ---- published ----
    TacAnimatEvents AnimatEvents() const { return animat_events_; }
    void SetAnimatEvents(TacAnimatEvents v) { animat_events_ = v; }
    ui::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(ui::TAlignment v);
    int Blend() const { return blend_; }
    void SetBlend(int v);
    TToolButtonStyle ButtonStyle() const { return button_style_; }
    void SetButtonStyle(TToolButtonStyle v);
    TsDisabledGlyphKind DisabledGlyphKind() const { return disabled_glyph_kind_; }
    void SetDisabledGlyphKind(TsDisabledGlyphKind v);
    TsDisabledKind DisabledKind() const { return disabled_kind_; }
    void SetDisabledKind(TsDisabledKind v);
    bool Grayed() const { return grayed_; }
    void SetGrayed(bool v);
    bool ShowCaption() const { return show_caption_; }
    void SetShowCaption(bool v);
    bool DrawOverBorder() const { return draw_over_border_; }
    void SetDrawOverBorder(bool v);
    int TextOffset() const { return text_offset_; }
    void SetTextOffset(int v);
    ui::TAlignment TextAlignment() const { return text_alignment_; }
    void SetTextAlignment(ui::TAlignment v);
    // Called at the end of every rebuild of the face, with the cache.
    TBmpPaintEvent OnPaint;

    // ---- the look ----
    // 2 pressed, 1 hot, 0 normal.
    int VisualState() const;
    int GlyphWidth() const;
    int GlyphHeight() const;
    RECT GlyphRect();
    RECT CaptionRect();
    // Paints the face for the current state into the cache.
    virtual void RebuildCache();
    // Repaints the button now, telling the parent it repaints one child.
    void RepaintThroughParent();

    // ---- fading ----
    void Animate(bool half, bool fade);
    void StartFade(bool half);
    void StopFade();
    TsAnimTimer* FadeTimer() const { return fade_timer_; }

    std::string ClassName() const override { return "TsSpeedButton"; }
    const ui::TPropTable& Props() const override;
    static const ui::TPropTable& ClassProps();

protected:
    void WndProc(ui::TMessage& m) override;
    void Paint() override;
    virtual void DrawCaption();
    virtual void DrawCaptionText(RECT r, UINT flags);
    virtual SIZE TextExtent();
    virtual void DrawGlyph();

private:
    bool HandleSkinCommand(ui::TMessage& m);
    bool SkinnedBefore(ui::TMessage& m);
    void SkinnedAfter(ui::TMessage& m, const std::weak_ptr<void>& life);
    void Changed();
    int DropWidth() const { return button_style_ == TToolButtonStyle::tbsDropDown ? kDropWidth : 0; }
    ButtonLayoutRects ComputeLayout();
    void PaintBackgroundOnly(const paint::BackgroundSource& bg);
    bool FadeShowing() const;

    std::unique_ptr<TsCommonData> skin_data_;
    TsAnimTimer* fade_timer_ = nullptr;
    TacAnimatEvents animat_events_{TacAnimatEvent::aeGlobalDef};
    ui::TAlignment alignment_ = ui::TAlignment::taCenter;
    int blend_ = 0;
    TToolButtonStyle button_style_ = TToolButtonStyle::tbsButton;
    TsDisabledGlyphKind disabled_glyph_kind_{TsDisabledGlyphKindItem::dgBlended};
    TsDisabledKind disabled_kind_{TsDisabledKindItem::dkBlended};
    bool grayed_ = false;
    bool show_caption_ = true;
    bool draw_over_border_ = true;
    int text_offset_ = 0;
    ui::TAlignment text_alignment_ = ui::TAlignment::taCenter;

    int last_num_glyphs_ = 1;
    int last_spacing_ = 4;
    bool last_down_ = false;
    ui::TButtonLayout last_layout_ = ui::TButtonLayout::blGlyphLeft;
    int cached_state_ = -1;  // the visual state the cache was built for
    std::wstring stored_caption_;
};

}  // namespace velmap::skin
