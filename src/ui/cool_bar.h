// The cool bar with fixed bands, each holding one control.
#pragma once

#include "ui/reader.h"
#include "ui/win_control.h"

#include <memory>
#include <string>
#include <vector>

namespace velmap::ui {

class TCoolBar;

// One band of a cool bar: the control it holds and its width.
class TCoolBand : public TPersistent {
public:
    explicit TCoolBand(TCoolBar* bar) : bar_(bar) {}
    TControl* Control() const { return control_; }
    void SetControl(TControl* c);
    int Width() const { return width_; }
    void SetWidth(int v);
    int ImageIndex() const { return image_index_; }
    void SetImageIndex(int v) { image_index_ = v; }
    int MinHeight() const { return min_height_; }
    void SetMinHeight(int v);
    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& v) { text_ = v; }

    std::string ClassName() const override { return "TCoolBand"; }
    const TPropTable& Props() const override;

private:
    friend class TCoolBar;
    TCoolBar* bar_;
    TControl* control_ = nullptr;
    int width_ = 0;
    int image_index_ = -1;
    int min_height_ = 25;
    std::wstring text_;
};

class TCoolBands : public props::TCollection {
public:
    explicit TCoolBands(TCoolBar* bar) : bar_(bar) {}
    void Clear() override;
    TPersistent& Add() override;
    std::size_t Count() const { return bands_.size(); }
    TCoolBand& operator[](std::size_t i) { return *bands_[i]; }
    std::string ClassName() const override { return "TCoolBands"; }

private:
    friend class TCoolBar;
    TCoolBar* bar_;
    std::vector<std::unique_ptr<TCoolBand>> bands_;
};

// A bar whose bands sit side by side in fixed size and order, each holding
// one control at the band's place.
class TCoolBar : public TWinControl {
public:
    explicit TCoolBar(TComponent* owner);
    ~TCoolBar() override;

    TCoolBands& Bands() { return bands_; }
    TCoolBandMaximize BandMaximize() const { return band_maximize_; }
    void SetBandMaximize(TCoolBandMaximize v) { band_maximize_ = v; }
    TEdgeStyle EdgeInner() const { return edge_inner_; }
    void SetEdgeInner(TEdgeStyle v);
    TEdgeStyle EdgeOuter() const { return edge_outer_; }
    void SetEdgeOuter(TEdgeStyle v);
    bool FixedSize() const { return fixed_size_; }
    void SetFixedSize(bool v) { fixed_size_ = v; }
    bool FixedOrder() const { return fixed_order_; }
    void SetFixedOrder(bool v) { fixed_order_ = v; }

    // Aligned to the left or right side: the bands run top to bottom.
    bool Vertical() const { return align_ == TAlign::alLeft || align_ == TAlign::alRight; }
    // Puts every band's control at its band's place.
    void LayoutBands();
    void Loaded() override;
    void Notification(TComponent* c, TOperation op) override;
    // The band widths scale with the bar, so that laying the bands out again
    // keeps their controls at the new density's size.
    std::vector<int> ScaledExtents() const override;
    void SetScaledExtents(const std::vector<int>& widths) override;

    std::string ClassName() const override { return "TCoolBar"; }
    const TPropTable& Props() const override;
    static const TPropTable& ClassProps();

protected:
    void Paint() override;

private:
    TCoolBands bands_;
    TCoolBandMaximize band_maximize_ = TCoolBandMaximize::bmClick;
    TEdgeStyle edge_inner_ = TEdgeStyle::esRaised;
    TEdgeStyle edge_outer_ = TEdgeStyle::esLowered;
    bool fixed_size_ = false;
    bool fixed_order_ = false;
    bool laying_out_ = false;
};

}  // namespace velmap::ui
