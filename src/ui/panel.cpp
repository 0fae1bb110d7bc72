#include "ui/panel.h"

#include "ui/reader.h"

namespace velmap::ui {

namespace {
constexpr const char* kBevelCuts[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
constexpr const char* kAlignments[] = {"taLeftJustify", "taRightJustify", "taCenter"};
}  // namespace

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
    style_.Include(TControlStyle::csAcceptsControls);
    style_.Include(TControlStyle::csOpaque);
    width_ = 185;
    height_ = 41;
    parent_color_ = false;
    color_ = clBtnFace;
}

void TPanel::SetBevelInner(TBevelCut v) {
    bevel_inner_ = v;
    Invalidate();
}
void TPanel::SetBevelOuter(TBevelCut v) {
    bevel_outer_ = v;
    Invalidate();
}
void TPanel::SetBevelWidth(int v) {
    bevel_width_ = std::clamp(v, 1, 1000);
    Invalidate();
}
void TPanel::SetBorderWidth(int v) {
    border_width_ = std::clamp(v, 0, 1000);
    Invalidate();
}
void TPanel::SetAlignment(TAlignment v) {
    alignment_ = v;
    Invalidate();
}
void TPanel::SetParentBackground(bool v) {
    if (v)
        style_.Include(TControlStyle::csParentBackground);
    else
        style_.Exclude(TControlStyle::csParentBackground);
    Invalidate();
}

void TPanel::WndProc(TMessage& m) {
    // The caption is part of the face.
    if (m.Msg == UIM_TEXTCHANGED) Invalidate();
    TWinControl::WndProc(m);
}

void TPanel::Paint() {
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    c.Brush().SetStyle(TBrushStyle::bsSolid);
    c.Brush().SetColor(color_);
    c.FillRect(r);
    auto bevel = [&](TBevelCut cut) {
        if (cut == TBevelCut::bvNone) return;
        COLORREF hi = ColorRefOf(clBtnHighlight), lo = ColorRefOf(clBtnShadow);
        if (cut == TBevelCut::bvLowered) std::swap(hi, lo);
        for (int i = 0; i < bevel_width_ && r.right - r.left > 1 && r.bottom - r.top > 1; ++i) {
            if (cut != TBevelCut::bvSpace) {
                HDC dc = c.Handle();
                RECT t{r.left, r.top, r.right - 1, r.top + 1}, l{r.left, r.top, r.left + 1, r.bottom - 1};
                RECT b{r.left, r.bottom - 1, r.right, r.bottom}, rt{r.right - 1, r.top, r.right, r.bottom};
                win::unique_hbrush bh(::CreateSolidBrush(hi)), bl(::CreateSolidBrush(lo));
                ::FillRect(dc, &t, bh.get());
                ::FillRect(dc, &l, bh.get());
                ::FillRect(dc, &b, bl.get());
                ::FillRect(dc, &rt, bl.get());
            }
            ::InflateRect(&r, -1, -1);
        }
    };
    bevel(bevel_outer_);
    ::InflateRect(&r, -border_width_, -border_width_);
    bevel(bevel_inner_);
    if (!text_.empty()) {
        c.Brush().SetStyle(TBrushStyle::bsClear);
        UINT align = alignment_ == TAlignment::taLeftJustify    ? DT_LEFT
                     : alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                                                : DT_CENTER;
        c.DrawText(text_, r, align | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
    }
}

namespace {
const TPropInfo kPanelProps[] = {
    props::Enum<&TPanel::SetBevelInner, kBevelCuts>("BevelInner"),
    props::Enum<&TPanel::SetBevelOuter, kBevelCuts>("BevelOuter"),
    props::Int<&TPanel::SetBevelWidth>("BevelWidth"),
    props::Int<&TPanel::SetBorderWidth>("BorderWidth"),
    props::Enum<&TPanel::SetAlignment, kAlignments>("Alignment"),
    props::Bool<&TPanel::SetParentBackground>("ParentBackground"),
};
}
const TPropTable& TPanel::ClassProps() {
    static const TPropTable table{&TWinControl::ClassProps(), kPanelProps};
    return table;
}
const TPropTable& TPanel::Props() const { return ClassProps(); }

}  // namespace velmap::ui
