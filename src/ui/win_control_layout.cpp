// Aligned and anchored layout of a windowed control's children.
#include "ui/win_control.h"

namespace velmap::ui {

void TWinControl::Realign() {
    if (aligning_ || Is(TComponentState::csLoading) || Is(TComponentState::csDestroying)) return;
    aligning_ = true;
    try {
        AlignControls();
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::AlignControls() {
    RECT r = ClientRect();
    int cw = r.right - r.left, ch = r.bottom - r.top;
    int dx = aligned_w_ < 0 ? 0 : cw - aligned_w_, dy = aligned_h_ < 0 ? 0 : ch - aligned_h_;
    aligned_w_ = cw;
    aligned_h_ = ch;
    AdjustClientRect(r);
    // Anchored children follow the parent's change of size.
    if (dx || dy) {
        for (TControl* c : controls_) {
            if (c->align_ != TAlign::alNone) continue;
            if (!c->anchor_set_) {
                c->anchor_bounds_ = c->BoundsRect();
                c->anchor_parent_w_ = cw - dx;
                c->anchor_parent_h_ = ch - dy;
                c->anchor_set_ = true;
            }
            const RECT& o = c->anchor_bounds_;
            int l = o.left, t = o.top, w = o.right - o.left, h = o.bottom - o.top;
            int ax = cw - c->anchor_parent_w_, ay = ch - c->anchor_parent_h_;
            bool al = c->anchors_.Contains(TAnchorKind::akLeft), ar = c->anchors_.Contains(TAnchorKind::akRight);
            bool at = c->anchors_.Contains(TAnchorKind::akTop), ab = c->anchors_.Contains(TAnchorKind::akBottom);
            if (ar && al)
                w += ax;
            else if (ar)
                l += ax;
            else if (!al)
                l += ax / 2;
            if (ab && at)
                h += ay;
            else if (ab)
                t += ay;
            else if (!at)
                t += ay / 2;
            c->SetBounds(l, t, w, h);
        }
    }
    auto place = [&](TAlign a) {
        for (TControl* c : controls_) {
            if (c->align_ != a || !c->visible_) continue;
            int w = c->width_, h = c->height_;
            switch (a) {
                case TAlign::alTop:
                    c->SetBounds(r.left, r.top, r.right - r.left, h);
                    r.top += c->height_;
                    break;
                case TAlign::alBottom:
                    c->SetBounds(r.left, r.bottom - h, r.right - r.left, h);
                    r.bottom -= c->height_;
                    break;
                case TAlign::alLeft:
                    c->SetBounds(r.left, r.top, w, r.bottom - r.top);
                    r.left += c->width_;
                    break;
                case TAlign::alRight:
                    c->SetBounds(r.right - w, r.top, w, r.bottom - r.top);
                    r.right -= c->width_;
                    break;
                case TAlign::alClient:
                    c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
                    break;
                default:
                    break;
            }
        }
    };
    for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) place(a);
}

}  // namespace velmap::ui
