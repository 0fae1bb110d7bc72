#include "ui/cool_bar.h"

#include <algorithm>

namespace velmap::ui {

namespace {
constexpr const char* kEdgeStyles[] = {"esNone", "esRaised", "esLowered"};
constexpr const char* kBandMaximize[] = {"bmNone", "bmClick", "bmDblClick"};
}  // namespace

void TCoolBand::SetControl(TControl* c) {
    if (c == control_) return;
    if (control_) bar_->RemoveFreeNotification(control_);
    control_ = c;
    if (c) {
        bar_->FreeNotification(c);
        if (c->Parent() != bar_) c->SetParent(bar_);
    }
    bar_->LayoutBands();
}
void TCoolBand::SetWidth(int v) {
    width_ = std::max(v, 0);
    bar_->LayoutBands();
}
void TCoolBand::SetMinHeight(int v) {
    min_height_ = std::max(v, 0);
    bar_->LayoutBands();
}

namespace {
const TPropInfo kCoolBandProps[] = {
    props::Ref<&TCoolBand::SetControl>("Control"),       props::Int<&TCoolBand::SetWidth>("Width"),
    props::Int<&TCoolBand::SetImageIndex>("ImageIndex"), props::Int<&TCoolBand::SetMinHeight>("MinHeight"),
    props::String<&TCoolBand::SetText>("Text"),
};
}
const TPropTable& TCoolBand::Props() const {
    static const TPropTable table{&TPersistent::ClassProps(), kCoolBandProps};
    return table;
}

void TCoolBands::Clear() { bands_.clear(); }
TPersistent& TCoolBands::Add() {
    if (bands_.size() >= 64) throw EUiError("too many bands");
    bands_.push_back(std::make_unique<TCoolBand>(bar_));
    return *bands_.back();
}

TCoolBar::TCoolBar(TComponent* owner) : TWinControl(owner), bands_(this) {
    style_.Include(TControlStyle::csAcceptsControls);
    align_ = TAlign::alTop;
    width_ = 150;
    height_ = 75;
}

TCoolBar::~TCoolBar() {
    for (std::size_t i = 0; i < bands_.Count(); ++i)
        if (bands_[i].control_) RemoveFreeNotification(bands_[i].control_);
}

void TCoolBar::SetEdgeInner(TEdgeStyle v) {
    edge_inner_ = v;
    Invalidate();
}
void TCoolBar::SetEdgeOuter(TEdgeStyle v) {
    edge_outer_ = v;
    Invalidate();
}

void TCoolBar::LayoutBands() {
    if (laying_out_ || Is(TComponentState::csLoading) || Is(TComponentState::csDestroying)) return;
    laying_out_ = true;
    int edge = (edge_outer_ != TEdgeStyle::esNone ? 1 : 0) + (edge_inner_ != TEdgeStyle::esNone ? 1 : 0);
    // Docked at a side, the bar is vertical: its bands follow one another
    // downwards and a band's width is its length along the bar.
    const bool vertical = Vertical();
    int along = edge;
    for (std::size_t i = 0; i < bands_.Count(); ++i) {
        TCoolBand& b = bands_[i];
        if (b.control_ && !b.control_->Is(TComponentState::csDestroying)) {
            if (vertical)
                b.control_->SetBounds(edge, along, b.control_->Width(), b.width_ - 2 * edge);
            else
                b.control_->SetBounds(along, edge, b.width_ - 2 * edge, b.control_->Height());
        }
        along += b.width_;
    }
    laying_out_ = false;
}

void TCoolBar::Loaded() {
    TWinControl::Loaded();
    LayoutBands();
}

std::vector<int> TCoolBar::ScaledExtents() const {
    std::vector<int> widths;
    for (const auto& b : bands_.bands_) widths.push_back(b->width_);
    return widths;
}

void TCoolBar::SetScaledExtents(const std::vector<int>& widths) {
    for (std::size_t i = 0; i < bands_.Count() && i < widths.size(); ++i) bands_[i].width_ = std::max(widths[i], 0);
    LayoutBands();
}

void TCoolBar::Notification(TComponent* c, TOperation op) {
    TWinControl::Notification(c, op);
    if (op == TOperation::opRemove)
        for (std::size_t i = 0; i < bands_.Count(); ++i)
            if (bands_[i].control_ == c) bands_[i].control_ = nullptr;
}

void TCoolBar::Paint() {
    TWinControl::Paint();
    RECT r = ClientRect();
    UINT edge = (edge_outer_ == TEdgeStyle::esRaised    ? BDR_RAISEDOUTER
                 : edge_outer_ == TEdgeStyle::esLowered ? BDR_SUNKENOUTER
                                                        : 0) |
                (edge_inner_ == TEdgeStyle::esRaised    ? BDR_RAISEDINNER
                 : edge_inner_ == TEdgeStyle::esLowered ? BDR_SUNKENINNER
                                                        : 0);
    if (edge) ::DrawEdge(Canvas().Handle(), &r, edge, BF_RECT);
}

namespace {
const TPropInfo kCoolBarProps[] = {
    props::Collection<&TCoolBar::Bands>("Bands"),
    props::Enum<&TCoolBar::SetBandMaximize, kBandMaximize>("BandMaximize"),
    props::Enum<&TCoolBar::SetEdgeInner, kEdgeStyles>("EdgeInner"),
    props::Enum<&TCoolBar::SetEdgeOuter, kEdgeStyles>("EdgeOuter"),
    props::Bool<&TCoolBar::SetFixedSize>("FixedSize"),
    props::Bool<&TCoolBar::SetFixedOrder>("FixedOrder"),
};
}
const TPropTable& TCoolBar::ClassProps() {
    static const TPropTable table{&TWinControl::ClassProps(), kCoolBarProps};
    return table;
}
const TPropTable& TCoolBar::Props() const { return ClassProps(); }

}  // namespace velmap::ui
