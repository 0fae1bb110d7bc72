#include "ui/speed_button.h"

#include "ui/reader.h"
#include "ui/win_control.h"

#include <algorithm>

namespace velmap::ui {

namespace {
constexpr const char* kLayouts[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
}  // namespace

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    width_ = 23;
    height_ = 22;
    glyph_.OnChange = [this] { Invalidate(); };
}

void TSpeedButton::SetGlyphData(const std::vector<std::uint8_t>& bmp) { glyph_.LoadFromBmpData(bmp); }

void TSpeedButton::SetNumGlyphs(int v) {
    v = std::clamp(v, 1, 4);
    if (v != num_glyphs_) {
        num_glyphs_ = v;
        Invalidate();
    }
}
void TSpeedButton::SetLayout(TButtonLayout v) {
    layout_ = v;
    Invalidate();
}
void TSpeedButton::SetMargin(int v) {
    margin_ = std::max(v, -1);
    Invalidate();
}
void TSpeedButton::SetSpacing(int v) {
    spacing_ = v;
    Invalidate();
}
void TSpeedButton::SetFlat(bool v) {
    flat_ = v;
    Invalidate();
}
void TSpeedButton::SetAllowAllUp(bool v) {
    allow_all_up_ = v;
    if (!Is(TComponentState::csLoading) && parent_)
        for (TControl* c : parent_->Controls())
            if (auto* b = dynamic_cast<TSpeedButton*>(c);
                b && b != this && b->group_index_ == group_index_ && group_index_)
                b->allow_all_up_ = v;
}
void TSpeedButton::SetGroupIndex(int v) {
    group_index_ = std::max(v, 0);
    // Out of every group a button cannot stay down; moved into a group, it
    // is the one left down there.
    if (!group_index_ && down_) {
        down_ = false;
        SetState(RestingState());
    } else if (down_) {
        UpdateExclusive();
    }
}

TButtonState TSpeedButton::RestingState() const {
    if (!enabled_) return TButtonState::bsDisabled;
    return down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
}

void TSpeedButton::SetState(TButtonState s) {
    if (s == state_) return;
    state_ = s;
    Invalidate();
}

void TSpeedButton::SetDown(bool v) {
    if (group_index_ == 0) v = false;
    if (v == down_) return;
    // The last button of a group without AllowAllUp stays down.
    if (down_ && !v && !allow_all_up_ && !Is(TComponentState::csLoading)) return;
    down_ = v;
    SetState(RestingState());
    if (v) UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (!parent_ || !group_index_) return;
    for (TControl* c : parent_->Controls()) {
        auto* b = dynamic_cast<TSpeedButton*>(c);
        if (!b || b == this || b->group_index_ != group_index_ || !b->down_) continue;
        b->down_ = false;
        b->SetState(b->RestingState());
    }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !enabled_) return;
    if (!down_) SetState(TButtonState::bsDown);
    dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    bool inside = x >= 0 && x < width_ && y >= 0 && y < height_;
    SetState(down_ ? TButtonState::bsExclusive : inside ? TButtonState::bsDown : TButtonState::bsUp);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !dragging_) return;
    dragging_ = false;
    bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight();
    if (group_index_ == 0) {
        SetState(TButtonState::bsUp);
        if (inside) Invalidate();
    } else if (inside) {
        SetDown(!down_);
        if (down_)
            Repaint();
        else
            SetState(TButtonState::bsUp);
    } else {
        if (down_) SetState(TButtonState::bsExclusive);
        Repaint();
    }
    if (inside) Click();
}

void TSpeedButton::WndProc(TMessage& m) {
    switch (m.Msg) {
        // OnMouseEnter and OnMouseLeave belong to a button that can be used:
        // a disabled or designed one notes the pointer and fires neither.
        case UIM_MOUSEENTER:
            if (!enabled_ || Is(TComponentState::csDesigning)) return;
            mouse_in_control_ = true;
            Invalidate();
            break;
        case UIM_MOUSELEAVE:
            mouse_in_control_ = false;
            if (!enabled_ || Is(TComponentState::csDesigning)) return;
            Invalidate();
            break;
        case UIM_ENABLEDCHANGED:
            // A press in progress is abandoned; the face follows.
            if (!enabled_) {
                mouse_in_control_ = false;
                dragging_ = false;
            }
            SetState(RestingState());
            break;
        case WM_CANCELMODE:
            // Capture went elsewhere: the press is abandoned, no click.
            if (dragging_) {
                dragging_ = false;
                SetState(RestingState());
            }
            return;
        default:
            break;
    }
    TGraphicControl::WndProc(m);
}

void TSpeedButton::Paint() {
    TCanvas& c = Canvas();
    HDC dc = c.Handle();
    RECT r{0, 0, width_, height_};
    bool pressed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
    bool hot = mouse_in_control_ && enabled_;
    if (flat_) {
        if (pressed || hot) ::DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    }
    int off = pressed ? 1 : 0;
    int gw = glyph_.Empty() ? 0 : glyph_.Width() / num_glyphs_, gh = glyph_.Height();
    SIZE ts = text_.empty() ? SIZE{0, 0} : c.TextExtent(text_);
    int gap = gw && ts.cx ? spacing_ : 0;
    int total = gw + gap + ts.cx;
    int x = margin_ < 0 ? (width_ - total) / 2 : margin_;
    if (gw > 0) {
        // Frame: up, disabled, down, exclusive (when that many are stored).
        int frame = !enabled_ ? 1 : state_ == TButtonState::bsDown ? 2 : state_ == TButtonState::bsExclusive ? 3 : 0;
        if (frame >= num_glyphs_) frame = 0;
        HDC src = glyph_.Canvas().Handle();
        // The bottom-left pixel names the colour that lets the face show.
        COLORREF key = ::GetPixel(src, frame * gw, gh - 1);
        ::GdiTransparentBlt(dc, x + off, (height_ - gh) / 2 + off, gw, gh, src, frame * gw, 0, gw, gh, key);
    }
    if (ts.cx > 0) {
        c.Brush().SetStyle(TBrushStyle::bsClear);
        c.Font().SetColor(enabled_ ? font_.Color() : clGrayText);
        RECT tr{x + gw + gap + off, off, x + total + off, height_ + off};
        c.DrawText(text_, tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
}

namespace {
const TPropInfo kSpeedButtonProps[] = {
    props::Binary<&TSpeedButton::SetGlyphData>("Glyph"),
    props::Int<&TSpeedButton::SetNumGlyphs>("NumGlyphs"),
    props::Enum<&TSpeedButton::SetLayout, kLayouts>("Layout"),
    props::Int<&TSpeedButton::SetMargin>("Margin"),
    props::Int<&TSpeedButton::SetSpacing>("Spacing"),
    props::Bool<&TSpeedButton::SetDown>("Down"),
    props::Int<&TSpeedButton::SetGroupIndex>("GroupIndex"),
    props::Bool<&TSpeedButton::SetAllowAllUp>("AllowAllUp"),
    props::Bool<&TSpeedButton::SetFlat>("Flat"),
};
}
const TPropTable& TSpeedButton::ClassProps() {
    static const TPropTable table{&TControl::ClassProps(), kSpeedButtonProps};
    return table;
}
const TPropTable& TSpeedButton::Props() const { return ClassProps(); }

}  // namespace velmap::ui
