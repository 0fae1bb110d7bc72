#include "skin/controls/speed_button.h"

#include <algorithm>

#include "skin/controls/control_painter.h"
#include "skin/messages/message_routines.h"
#include "skin/manager/skin_manager.h"
#include "skin/paint/button_glyph.h"
#include "skin/paint/masks.h"
#include "skin/paint/pixel_ops.h"
#include "ui/reader.h"
#include "win/handles.h"

namespace velmap::skin {

namespace {

using ui::TComponentState;

constexpr const char* kAnimatEvents[] = {"aeMouseEnter", "aeMouseLeave", "aeMouseDown", "aeMouseUp", "aeGlobalDef"};
constexpr const char* kAlignments[] = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr const char* kButtonStyles[] = {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"};
constexpr const char* kDisabledGlyphKinds[] = {"dgBlended", "dgGrayed"};
constexpr const char* kDisabledKinds[] = {"dkBlended", "dkGrayed"};

UINT AlignFlag(ui::TAlignment a) {
    return a == ui::TAlignment::taLeftJustify ? DT_LEFT : a == ui::TAlignment::taRightJustify ? DT_RIGHT : DT_CENTER;
}

paint::BackgroundSource ToPaint(const paint::BackgroundSource& bg) { return {bg.Bmp, bg.X, bg.Y, bg.Ready && bg.Bmp}; }

}  // namespace

bool EventEnabled(TacAnimatEvent event, TacAnimatEvents events) {
    if (events.Contains(event)) return true;
    if (!events.Contains(TacAnimatEvent::aeGlobalDef) || event == TacAnimatEvent::aeGlobalDef) return false;
    return ButtonEffectEvents.Contains(static_cast<TacBtnEffect>(event));
}

// ---- life ---------------------------------------------------------------------------

TsSpeedButton::TsSpeedButton(ui::TComponent* owner)
    : ui::TSpeedButton(owner), skin_data_(std::make_unique<TsCommonData>(static_cast<ui::TControl*>(this), true)) {
    skin_data_->ControlKind = ControlKindSpeedButton;
    last_num_glyphs_ = NumGlyphs();
    last_spacing_ = Spacing();
    last_layout_ = Layout();
    // After the framework's own reaction, a new picture makes the face stale.
    auto previous = Glyph().OnChange;
    Glyph().OnChange = [this, previous] {
        if (previous) previous();
        if (!Is(TComponentState::csLoading) && !Is(TComponentState::csDestroying) && !Is(TComponentState::csCreating))
            skin_data_->InvalidateSkin();
    };
}

TsSpeedButton::~TsSpeedButton() {
    if (fade_timer_) {
        TsAnimTimer* t = fade_timer_;
        fade_timer_ = nullptr;
        t->Dispose();
    }
}

void TsSpeedButton::AfterConstruction() {
    ui::TSpeedButton::AfterConstruction();
    skin_data_->AfterOwnerLoaded();
    if (skin_data_->IsSkinned()) style_.Include(ui::TControlStyle::csOpaque);
}

void TsSpeedButton::Loaded() {
    ui::TSpeedButton::Loaded();
    skin_data_->AfterOwnerLoaded();
    if (skin_data_->IsSkinned()) style_.Include(ui::TControlStyle::csOpaque);
}

void TsSpeedButton::Invalidate() {
    if (Layout() != last_layout_) {
        last_layout_ = Layout();
        skin_data_->CacheStale = true;
    }
    ui::TSpeedButton::Invalidate();
}

// ---- published properties -------------------------------------------------------------

void TsSpeedButton::Changed() {
    if (Visible()) skin_data_->CacheStale = true;
    RepaintThroughParent();
}

void TsSpeedButton::SetAlignment(ui::TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    Changed();
}

void TsSpeedButton::SetBlend(int v) {
    v = std::clamp(v, 0, 100);
    if (v == blend_) return;
    blend_ = v;
    Changed();
}

void TsSpeedButton::SetButtonStyle(TToolButtonStyle v) {
    if (v == button_style_) return;
    const bool was_drop = button_style_ == TToolButtonStyle::tbsDropDown;
    button_style_ = v;
    if (!Is(TComponentState::csLoading)) {
        // The arrow part is added to the right of the face.
        if (v == TToolButtonStyle::tbsDropDown)
            SetWidth(Width() + kDropWidth);
        else if (was_drop)
            SetWidth(Width() - kDropWidth);
    }
    Changed();
}

void TsSpeedButton::SetDisabledGlyphKind(TsDisabledGlyphKind v) {
    if (v == disabled_glyph_kind_) return;
    disabled_glyph_kind_ = v;
    Changed();
}

void TsSpeedButton::SetDisabledKind(TsDisabledKind v) {
    if (v == disabled_kind_) return;
    disabled_kind_ = v;
    Changed();
}

void TsSpeedButton::SetGrayed(bool v) {
    if (v == grayed_) return;
    grayed_ = v;
    Changed();
}

void TsSpeedButton::SetShowCaption(bool v) {
    if (v == show_caption_) return;
    show_caption_ = v;
    // The caption is kept aside while it is not shown.
    if (!Caption().empty()) stored_caption_ = Caption();
    SetCaption(v ? stored_caption_ : std::wstring{});
    Changed();
}

void TsSpeedButton::SetDrawOverBorder(bool v) {
    if (v == draw_over_border_) return;
    draw_over_border_ = v;
    Changed();
}

void TsSpeedButton::SetTextOffset(int v) {
    if (v == text_offset_) return;
    text_offset_ = v;
    Changed();
}

void TsSpeedButton::SetTextAlignment(ui::TAlignment v) {
    if (v == text_alignment_) return;
    text_alignment_ = v;
    RepaintThroughParent();
}

// ---- the look ---------------------------------------------------------------------------

int TsSpeedButton::VisualState() const {
    if (state_ == ui::TButtonState::bsDown || state_ == ui::TButtonState::bsExclusive) return 2;
    return skin_data_->IsHot() ? 1 : 0;
}

int TsSpeedButton::GlyphWidth() const {
    const ui::TBitmap& g = const_cast<TsSpeedButton*>(this)->Glyph();
    return g.Width() > 0 ? g.Width() / std::max(1, NumGlyphs()) : 0;
}

int TsSpeedButton::GlyphHeight() const {
    const ui::TBitmap& g = const_cast<TsSpeedButton*>(this)->Glyph();
    return g.Width() > 0 ? g.Height() : 0;
}

SIZE TsSpeedButton::TextExtent() {
    if (!show_caption_ || Caption().empty()) return {0, 0};
    const int gw = GlyphWidth();
    const int max_width = Width() - DropWidth() - 2 * Margin() - (gw > 0 ? gw + Spacing() : 0);
    RECT r{0, 0, std::max(max_width, 0), 0};
    win::unique_hdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return {0, 0};
    win::select_object font(dc.get(), Font().Handle());
    ::DrawTextW(dc.get(), Caption().c_str(), static_cast<int>(Caption().size()), &r,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    return {r.right - r.left, r.bottom - r.top};
}

ButtonLayoutRects TsSpeedButton::ComputeLayout() {
    const SIZE text = TextExtent();
    ButtonLayoutInput in;
    in.width = Width();
    in.height = Height();
    in.drop_width = DropWidth();
    in.glyph_width = GlyphWidth();
    in.glyph_height = GlyphHeight();
    in.text_width = text.cx;
    in.text_height = text.cy;
    in.margin = Margin();
    in.spacing = Spacing();
    in.text_offset = text_offset_;
    in.has_caption = show_caption_ && !Caption().empty();
    in.pressed = VisualState() == 2;
    in.layout = ui::TSpeedButton::Layout();
    in.alignment = alignment_;
    return LayOutButton(in);
}

RECT TsSpeedButton::GlyphRect() { return ComputeLayout().glyph; }
RECT TsSpeedButton::CaptionRect() { return ComputeLayout().caption; }

void TsSpeedButton::DrawCaption() {
    if (!show_caption_ || Caption().empty()) return;
    ui::TCanvas& c = skin_data_->CacheBitmap->Canvas();
    c.Font().Assign(Font());
    c.Brush().SetStyle(ui::TBrushStyle::bsClear);
    DrawCaptionText(CaptionRect(), AlignFlag(text_alignment_) | DT_VCENTER | DT_EXPANDTABS | DT_WORDBREAK);
}

void TsSpeedButton::DrawCaptionText(RECT r, UINT flags) {
    ui::TCanvas& c = skin_data_->CacheBitmap->Canvas();
    c.Font().Assign(Font());
    // The disabled look is laid over the whole face afterwards.
    CurrentPainter().WriteText(c, Caption(), true, VisualState() != 0, *skin_data_, flags & ~UINT(DT_SINGLELINE), r);
}

void TsSpeedButton::DrawGlyph() {
    paint::ButtonGlyphView g;
    g.Glyph = &Glyph().Image();
    g.NumGlyphs = NumGlyphs();
    g.Blend = blend_;
    g.Grayed = grayed_;
    g.DisabledGlyphKind = static_cast<paint::TsDisabledGlyphKinds>(disabled_glyph_kind_.Bits());
    g.Down = Down();
    g.State = VisualState();
    g.Enabled = Enabled();
    g.Hot = skin_data_->IsHot();
    const RECT r = GlyphRect();
    paint::DrawButtonGlyph(g, skin_data_->CacheBitmap->Image(), {r.left, r.top});
}

void TsSpeedButton::PaintBackgroundOnly(const paint::BackgroundSource& bg) {
    ui::TBitmap& cache = *skin_data_->CacheBitmap;
    if (bg.Ready && bg.Bmp) {
        ::BitBlt(cache.Canvas().Handle(), 0, 0, Width(), Height(), bg.Bmp->Dc(), Left() + bg.X, Top() + bg.Y, SRCCOPY);
    } else {
        const ui::TColor c = Parent() ? Parent()->Color() : Color();
        paint::FillRectColor(cache.Image(), {0, 0, Width(), Height()}, static_cast<paint::TColor>(ui::ColorRefOf(c)));
    }
}

void TsSpeedButton::RebuildCache() {
    TsCommonData& sd = *skin_data_;
    sd.PrepareCacheBitmap();
    ui::TBitmap& cache = *sd.CacheBitmap;
    if (cache.Empty()) return;
    paint::BackgroundSource bg = sd.QueryParentCache();
    // A parent whose cache is not built yet: try again at the next paint.
    if (bg.Ready && (!bg.Bmp || bg.Bmp->Width() == 0)) return;
    TsSkinManager* manager = sd.EffectiveManager();
    ControlPainter& painter = CurrentPainter();
    const int state = VisualState();
    const POINT pos{Left(), Top()};

    if (button_style_ == TToolButtonStyle::tbsSeparator || button_style_ == TToolButtonStyle::tbsDivider) {
        PaintBackgroundOnly(bg);
        if (button_style_ == TToolButtonStyle::tbsDivider && manager) {
            const int section = manager->FindSectionIndex("DIVIDER");
            const int mask = section < 0 ? -1 : manager->FindMaskIndex(section, "DIVIDER", "BORDERSMASK");
            if (mask >= 0 && mask < static_cast<int>(manager->Model().Masks.size())) {
                const TsMaskData& m = manager->Model().Masks[static_cast<std::size_t>(mask)];
                const int w = m.ImageCount > 0 ? m.R.Width() / m.ImageCount : 0;
                painter.DrawBorder(cache, {(Width() - w) / 2, 0, (Width() + w) / 2, Height()}, true, false, 0, *manager,
                                   mask, bg);
            }
        }
        sd.CacheStale = false;
        cached_state_ = state;
        return;
    }

    // What the painters fill see-through parts with while the parent's cache
    // cannot be used; no colour again afterwards, however painting ends.
    struct ResetColours {
        ~ResetColours() { paint::ParentBgColor = paint::MaskFillColor = paint::KeyColor; }
    } reset_colours;
    paint::ParentBgColor = bg.Ready
                               ? paint::KeyColor
                               : static_cast<paint::TColor>(ui::ColorRefOf(Parent() ? Parent()->Color() : Color()));
    const RECT face{0, 0, Width() - DropWidth(), Height()};
    const bool border = manager && sd.BorderMaskIndex >= 0 &&
                        sd.BorderMaskIndex < static_cast<int>(manager->Model().Masks.size());
    if (draw_over_border_) {
        painter.PaintItem(sd, bg, true, state, face, pos, cache, false);
        painter.RefreshCorners(sd, state, kAllCorners);
        DrawCaption();
        DrawGlyph();
    } else {
        painter.PaintBackground(sd, bg, state, face, pos, cache);
        DrawCaption();
        DrawGlyph();
        if (border) {
            paint::BackgroundSource moved = bg;
            moved.X += Left();
            moved.Y += Top();
            painter.DrawBorder(cache, face, true, false, state, *manager, sd.BorderMaskIndex, moved);
        }
    }

    if (button_style_ == TToolButtonStyle::tbsDropDown) {
        const bool pressed = Down() || state_ == ui::TButtonState::bsDown || state_ == ui::TButtonState::bsExclusive;
        const int arrow_state = pressed ? 2 : sd.IsHot() ? 1 : 0;
        const paint::BackgroundSource bg2 = sd.QueryParentCache();
        const RECT part{Width() - kDropWidth, 0, Width(), Height()};
        const POINT part_pos{Left() + Width() - kDropWidth, Top()};
        if (draw_over_border_) {
            painter.PaintItem(sd, bg2, true, arrow_state, part, part_pos, cache, false);
        } else {
            painter.PaintBackground(sd, bg2, arrow_state, part, part_pos, cache);
            if (border) painter.DrawBorder(cache, part, true, false, arrow_state, *manager, sd.BorderMaskIndex, bg2);
        }
        const int arrow = manager ? manager->Model().Indexes.ScrollBtn[1].GlyphMask : -1;
        if (arrow >= 0 && arrow < static_cast<int>(manager->Model().Masks.size())) {
            const TsMaskData& m = manager->Model().Masks[static_cast<std::size_t>(arrow)];
            const int fw = m.ImageCount > 0 ? m.R.Width() / m.ImageCount : 0;
            const int fh = m.R.Height() / (m.MaskType + 1);
            paint::MaskFillColor = paint::KeyColor;
            painter.DrawGlyph(cache, {(kDropWidth - fw) / 2 + Width() - kDropWidth + 1, (Height() - fh) / 2},
                              arrow_state, *manager, arrow);
        }
    }

    paint::MaskFillColor = paint::KeyColor;
    if (!Enabled()) {
        const paint::BackgroundSource pbg = sd.QueryParentCache();
        if (pbg.Ready && pbg.Bmp && !pbg.Bmp->Empty() && !sd.BgDependsOnPosition() && !sd.CacheFrozen) {
            const std::uint8_t* p = pbg.Bmp->ScanLine(pbg.Bmp->Height() / 2) +
                                    (pbg.Bmp->Width() / 2) * pbg.Bmp->BytesPerPixel();
            paint::ParentBgColor = paint::MakeColor(p[2], p[1], p[0]);
        }
        paint::PaintDisabled(cache.Image(), static_cast<paint::TsDisabledKinds>(disabled_kind_.Bits()),
                             Parent() ? Parent()->Color() : Color(), {Left(), Top()}, ToPaint(pbg));
    }
    paint::ParentBgColor = paint::KeyColor;

    if (OnPaint) {
        // The handler draws on the face with the button's font; the face's own
        // device context is made only for such drawing (and for the caption).
        cache.Canvas().Font().Assign(Font());
        TBmpPaintEvent handler = OnPaint;
        handler(this, cache);
    }
    sd.CacheStale = false;
    cached_state_ = state;
}

bool TsSpeedButton::FadeShowing() const {
    return fade_timer_ && fade_timer_->Enabled() && fade_timer_->FrameImage.Width() == Width();
}

void TsSpeedButton::Paint() {
    TsCommonData& sd = *skin_data_;
    TsSkinManager* manager = sd.EffectiveManager();
    // Only a section that is not resolved yet is looked up again.
    if (manager && manager->SkinLoaded() && sd.SectionIndex < 0) sd.ResolveIndexes();
    const bool designing = Is(TComponentState::csDesigning);
    if (!sd.IsSkinned() || (!Visible() && !designing)) {
        ui::TSpeedButton::Paint();
        return;
    }
    if (Width() <= 0 || Height() <= 0 || sd.IsUpdating()) return;
    if (FadeShowing()) {
        Canvas().Draw(0, 0, fade_timer_->FrameImage);
        return;
    }
    // A face built for another look (the press dragged out and back, say)
    // is stale too.
    sd.CacheStale = sd.CacheStale || sd.PartlyVisible || Down() != last_down_ || VisualState() != cached_state_;
    last_down_ = Down();
    sd.PartlyVisible = sd.BgDependsOnPosition();
    if (sd.CacheStale) {
        last_num_glyphs_ = NumGlyphs();
        last_spacing_ = Spacing();
    } else if (NumGlyphs() != last_num_glyphs_ || Spacing() != last_spacing_) {
        sd.CacheStale = true;
        last_num_glyphs_ = NumGlyphs();
        last_spacing_ = Spacing();
    }
    if (sd.CacheStale && !sd.CacheFrozen) RebuildCache();
    CurrentPainter().RefreshCorners(sd, 0, kAllCorners);
    Canvas().Draw(0, 0, *sd.CacheBitmap);
}

void TsSpeedButton::RepaintThroughParent() {
    if (Is(TComponentState::csCreating) || Is(TComponentState::csDestroying) || Is(TComponentState::csLoading)) return;
    ui::TWinControl* parent = Parent();
    if (!parent || !Visible() || !parent->HandleAllocated()) return;
    const HWND wnd = parent->Handle();
    ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(SMC_SET_REPAINTING_CHILD), reinterpret_cast<LPARAM>(this));
    Repaint();
    if (::IsWindow(wnd)) ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(SMC_SET_REPAINTING_CHILD), 0);
}

// ---- fading -------------------------------------------------------------------------------

void TsSpeedButton::Animate(bool half, bool fade) {
    TsCommonData& sd = *skin_data_;
    try {
        const TsGeneralData* section = sd.IsSkinned() ? sd.Section() : nullptr;
        if (fade && !SkinChangeInProgress() && section && section->FadingEnabled && !sd.CacheStale && Visible()) {
            sd.CacheStale = true;
            StartFade(half);
            return;
        }
        sd.CacheStale = true;
        if (fade_timer_ && fade_timer_->Enabled()) StopFade();
        RepaintThroughParent();
    } catch (...) {
        // The face is stale; the next paint rebuilds it.
    }
}

void TsSpeedButton::StartFade(bool half) {
    if (Is(TComponentState::csDesigning)) return;
    TsCommonData& sd = *skin_data_;
    int first = 1;
    if (fade_timer_) {
        // A reversed fade goes on from the mirrored point of the old one.
        first = fade_timer_->FadeSteps - fade_timer_->FadeStep;
        TsAnimTimer* old = fade_timer_;
        fade_timer_ = nullptr;
        old->Dispose();
    }
    const TsGeneralData* section = sd.Section();
    if (!section || !section->FadingEnabled) return;
    const int steps = FadeStepCount(section->FadingIterations, half);
    if (steps == 0) {
        RepaintThroughParent();
        return;
    }
    TsAnimTimer* timer = ui::Make<TsAnimTimer>();
    fade_timer_ = timer;
    timer->Prepare(sd, steps);
    timer->FadeStep = std::clamp(first, 1, steps);
    timer->StartImage.Assign(*sd.CacheBitmap);
    RebuildCache();
    CurrentPainter().RefreshCorners(sd, 1, kAllCorners);
    timer->SetEnabled(true);
    timer->Step();
}

void TsSpeedButton::StopFade() {
    if (!fade_timer_) return;
    if (!Is(TComponentState::csDestroying) && !Is(TComponentState::csDesigning)) {
        fade_timer_->SetEnabled(false);
        if (fade_timer_->FadeStep != 0) {
            skin_data_->CacheStale = true;
            RepaintThroughParent();
        }
    }
    if (TsAnimTimer* t = fade_timer_) {
        fade_timer_ = nullptr;
        t->Dispose();
    }
}

// ---- the window procedure ----------------------------------------------------------------

bool TsSpeedButton::HandleSkinCommand(ui::TMessage& m) {
    TsCommonData& sd = *skin_data_;
    auto* sender = reinterpret_cast<TsSkinManager*>(m.LParam);
    const bool mine = sender && (sender == sd.EffectiveManager() || sender == sd.SkinManager());
    switch (SkinCommandOf(m.WParam)) {
        case SMC_SKIN_LOADED:
            if (mine) {
                SkinMessageHandler(m, &sd);
                if (sd.IsSkinned()) style_.Include(ui::TControlStyle::csOpaque);
            }
            return true;
        case SMC_SKIN_REMOVED:
            if (mine && !Is(TComponentState::csDestroying)) {
                StopFade();
                SkinMessageHandler(m, &sd);
                Invalidate();
                style_.Exclude(ui::TControlStyle::csOpaque);
            }
            return true;
        case SMC_SKIN_REFRESH:
            if (mine) {
                SkinMessageHandler(m, &sd);
                if (Visible()) Repaint();
            }
            return true;
        case SMC_PARENT_READY:
            if (sd.IsUpdating()) {
                sd.Updating = false;
                RepaintThroughParent();
            }
            return true;
        case SMC_IS_SKINNED:
        case SMC_GET_APPLICATION:
            SkinMessageHandler(m, &sd);
            return true;
        case SMC_STOP_ANIMATION:
            // Also once the skin or the parent is gone: a fade that ran out
            // must not keep its timer ticking.
            StopFade();
            return true;
        default:
            return false;
    }
}

// Before the framework, while skinned; true when the message is done with.
bool TsSpeedButton::SkinnedBefore(ui::TMessage& m) {
    TsCommonData& sd = *skin_data_;
    const bool designing = Is(TComponentState::csDesigning);
    switch (m.Msg) {
        case SM_SKINCMD:
            switch (SkinCommandOf(m.WParam)) {
                case SMC_FREEZE_CACHE:
                    SkinMessageHandler(m, &sd);
                    if (sd.CacheFrozen) RebuildCache();
                    return true;
                case SMC_SECTION_CHANGED:
                    RepaintThroughParent();
                    return true;
                default:
                    return false;
            }
        case WM_SIZE:
        case WM_WINDOWPOSCHANGED:
            if (Visible()) sd.CacheStale = true;
            return false;
        case WM_ERASEBKGND:
            m.Result = 1;
            return true;
        case WM_LBUTTONUP:
            // Released during a fade: straight to the final face.
            if (!designing && FadeShowing()) {
                StopFade();
                // The face is cosmetic; the release must still reach the
                // click rule below when it cannot be built now.
                try {
                    RebuildCache();
                    RepaintThroughParent();
                } catch (...) {
                    sd.CacheStale = true;
                }
            }
            return false;
        case ui::UIM_TEXTCHANGED:
            if (!show_caption_) return false;
            sd.InvalidateSkin();
            return true;
        case ui::UIM_MOUSEENTER:
            // OnMouseEnter itself is fired by the framework.
            if (Enabled() && !mouse_in_control_ && !designing && !sd.MouseOver) {
                sd.MouseOver = true;
                Animate(false, EventEnabled(TacAnimatEvent::aeMouseEnter, animat_events_));
            }
            return false;
        case ui::UIM_MOUSELEAVE:
            if (Enabled()) {
                const bool changed = sd.MouseOver || state_ == ui::TButtonState::bsDown;
                sd.MouseOver = false;
                if (state_ == ui::TButtonState::bsDown) state_ = ui::TButtonState::bsUp;
                if (changed) Animate(false, EventEnabled(TacAnimatEvent::aeMouseLeave, animat_events_));
            }
            return false;
        default:
            return false;
    }
}

void TsSpeedButton::SkinnedAfter(ui::TMessage& m, const std::weak_ptr<void>& life) {
    const bool designing = Is(TComponentState::csDesigning);
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (!designing) Animate(true, EventEnabled(TacAnimatEvent::aeMouseDown, animat_events_));
            break;
        case WM_LBUTTONUP:
            // The click handler may have freed the button.
            if (life.expired() || designing || Is(TComponentState::csDestroying)) {
                m.Result = 1;
                break;
            }
            Animate(true, EventEnabled(TacAnimatEvent::aeMouseUp, animat_events_));
            break;
        case ui::UIM_VISIBLECHANGED:
            Perform(ui::UIM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(static_cast<ui::TControl*>(this)));
            break;
        case ui::UIM_ENABLEDCHANGED:
            if (!Visible() && !designing) break;
            if (Visible()) skin_data_->CacheStale = true;
            RepaintThroughParent();
            break;
        default:
            break;
    }
}

void TsSpeedButton::WndProc(ui::TMessage& m) {
    TsCommonData& sd = *skin_data_;
    if (m.Msg == SM_SKINCMD && HandleSkinCommand(m)) return;

    if (!ReadyToPaint() || !sd.IsSkinned()) {
        // Plain: the framework's button. A press left in the down state is
        // given up when the pointer goes.
        if (m.Msg == ui::UIM_MOUSELEAVE && Enabled() && state_ == ui::TButtonState::bsDown)
            state_ = ui::TButtonState::bsUp;
        ui::TSpeedButton::WndProc(m);
        return;
    }

    if (SkinnedBefore(m)) return;
    if (SkinMessageHandler(m, &sd)) return;
    const auto life = Life();
    ui::TSpeedButton::WndProc(m);
    if (life.expired()) {
        if (m.Msg == WM_LBUTTONUP) m.Result = 1;
        return;
    }
    SkinnedAfter(m, life);
}

// ---- published property table -----------------------------------------------------------------

const ui::TPropTable& TsSpeedButton::ClassProps() {
    using ui::props::Bool;
    using ui::props::Enum;
    using ui::props::Event;
    using ui::props::Int;
    using ui::props::SetOf;
    static const ui::TPropInfo infos[] = {
        SetOf<&TsSpeedButton::SetAnimatEvents, kAnimatEvents>("AnimatEvents"),
        Enum<&TsSpeedButton::SetAlignment, kAlignments>("Alignment"),
        Int<&TsSpeedButton::SetBlend>("Blend"),
        Enum<&TsSpeedButton::SetButtonStyle, kButtonStyles>("ButtonStyle"),
        {"SkinData", nullptr,
         [](ui::TPersistent& o) -> ui::TPersistent* { return &static_cast<TsSpeedButton&>(o).SkinData(); }},
        SetOf<&TsSpeedButton::SetDisabledGlyphKind, kDisabledGlyphKinds>("DisabledGlyphKind"),
        SetOf<&TsSpeedButton::SetDisabledKind, kDisabledKinds>("DisabledKind"),
        Bool<&TsSpeedButton::SetGrayed>("Grayed"),
        Bool<&TsSpeedButton::SetShowCaption>("ShowCaption"),
        Bool<&TsSpeedButton::SetDrawOverBorder>("DrawOverBorder"),
        Int<&TsSpeedButton::SetTextOffset>("TextOffset"),
        Enum<&TsSpeedButton::SetTextAlignment, kAlignments>("TextAlignment"),
        Event<&TsSpeedButton::OnPaint>("OnPaint"),
    };
    static const ui::TPropTable table{&ui::TSpeedButton::ClassProps(), infos};
    return table;
}
const ui::TPropTable& TsSpeedButton::Props() const { return ClassProps(); }

}  // namespace velmap::skin
