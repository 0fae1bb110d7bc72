// Forms (top-level, or a child of a foreign window), the plain panel, the
// speed button, the cool bar with one fixed band, and the timer.
#pragma once

#include "ui/controls.h"
#include "ui/reader.h"

#include <memory>
#include <string>
#include <vector>

namespace velmap::ui {

// Scroll bar settings a form stores; this framework's forms do not scroll.
class TControlScrollBar : public TPersistent {
public:
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    std::string ClassName() const override { return "TControlScrollBar"; }
    const TPropTable& Props() const override;

private:
    bool visible_ = true;
};

class TCustomForm : public TWinControl {
public:
    // A top-level form (owner may be null).
    explicit TCustomForm(TComponent* owner);
    // A form living as a child window of a foreign window, with no owner.
    explicit TCustomForm(HWND parent_window);

    // Where the stored description comes from; read in AfterConstruction.
    void SetDescriptionResource(HMODULE module, std::string name);
    void SetDescriptionText(std::string text, TResourceSource resources);

    void AfterConstruction() override;
    void Loaded() override;

    TFormBorderStyle BorderStyle() const { return border_style_; }
    void SetBorderStyle(TFormBorderStyle v) { border_style_ = v; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    RECT ClientRect() const override;
    bool TransparentColor() const { return transparent_color_; }
    void SetTransparentColor(bool v);
    TColor TransparentColorValue() const { return transparent_value_; }
    void SetTransparentColorValue(TColor v);
    bool OldCreateOrder() const { return old_create_order_; }
    void SetOldCreateOrder(bool v) { old_create_order_ = v; }
    int PixelsPerInch() const { return pixels_per_inch_; }
    void SetPixelsPerInch(int v);
    int TextHeight() const { return text_height_; }
    void SetTextHeight(int v) { text_height_ = v; }
    TControlScrollBar& HorzScrollBar() { return horz_; }
    TControlScrollBar& VertScrollBar() { return vert_; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    std::string ClassName() const override { return "TCustomForm"; }
    const TPropTable& Props() const override;
    static const TPropTable& ClassProps();

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void Destroying() override;

private:
    void ScaleToScreen();
    void ApplyLayered();

    TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
    TPosition position_ = TPosition::poDesigned;
    bool transparent_color_ = false;
    TColor transparent_value_ = clBlack;
    bool old_create_order_ = false;
    int pixels_per_inch_ = 96;
    int text_height_ = 13;
    bool stored_ppi_ = false;
    TControlScrollBar horz_, vert_;
    std::string description_;
    HMODULE description_module_ = nullptr;
    std::string description_name_;
    TResourceSource resources_;
    bool has_description_ = false;
};

// A form class of its own name, for descriptions whose root is a plain form.
class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
    std::string ClassName() const override { return "TForm"; }
};

class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelInner() const { return bevel_inner_; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return bevel_outer_; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return bevel_width_; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return border_width_; }
    void SetBorderWidth(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    bool ParentBackground() const { return style_.Contains(TControlStyle::csParentBackground); }
    void SetParentBackground(bool v);

    std::string ClassName() const override { return "TPanel"; }
    const TPropTable& Props() const override;
    static const TPropTable& ClassProps();

protected:
    void Paint() override;
    void WndProc(TMessage& m) override;

private:
    TBevelCut bevel_inner_ = TBevelCut::bvNone;
    TBevelCut bevel_outer_ = TBevelCut::bvRaised;
    int bevel_width_ = 1;
    int border_width_ = 0;
    TAlignment alignment_ = TAlignment::taCenter;
};

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);

    TBitmap& Glyph() { return glyph_; }
    void SetGlyphData(const std::vector<std::uint8_t>& bmp);
    int NumGlyphs() const { return num_glyphs_; }
    void SetNumGlyphs(int v);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v);
    int Margin() const { return margin_; }
    void SetMargin(int v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    bool Down() const { return down_; }
    void SetDown(bool v);
    int GroupIndex() const { return group_index_; }
    void SetGroupIndex(int v);
    bool AllowAllUp() const { return allow_all_up_; }
    void SetAllowAllUp(bool v);
    bool Flat() const { return flat_; }
    void SetFlat(bool v);

    // The button's state machine: up, down (pressed), disabled, exclusive
    // (held down in a group); and whether a press is being dragged.
    TButtonState State() const { return state_; }
    bool Dragging() const { return dragging_; }
    // The mouse-in-control flag: set on mouse enter, cleared on leave.
    bool MouseInControl() const { return mouse_in_control_; }

    std::string ClassName() const override { return "TSpeedButton"; }
    const TPropTable& Props() const override;
    static const TPropTable& ClassProps();

protected:
    void WndProc(TMessage& m) override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void SetState(TButtonState s);

    TButtonState state_ = TButtonState::bsUp;
    bool dragging_ = false;
    bool mouse_in_control_ = false;

private:
    void UpdateExclusive();
    // The state when no press is in progress.
    TButtonState RestingState() const;

    TBitmap glyph_;
    int num_glyphs_ = 1;
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    bool down_ = false;
    int group_index_ = 0;
    bool allow_all_up_ = false;
    bool flat_ = false;
};

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

    // Puts every band's control at its band's place.
    void LayoutBands();
    void Loaded() override;
    void Notification(TComponent* c, TOperation op) override;

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

// A repeating timer that ticks on the thread that made it, through that
// thread's message loop. It may be freed from inside its own tick.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(int v);
    void SetOnTimer(TNotifyEvent e);

    TNotifyEvent OnTimer;

    void Loaded() override;
    std::string ClassName() const override { return "TTimer"; }
    const TPropTable& Props() const override;

protected:
    // One tick; the default runs OnTimer.
    virtual void Timer();

private:
    static LRESULT CALLBACK TimerWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void UpdateTimer();

    HWND wnd_ = nullptr;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    bool running_ = false;
};

}  // namespace velmap::ui
