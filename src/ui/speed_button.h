// The speed button: press, drag, release, click, and plain painting.
#pragma once

#include "ui/graphic_control.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmap::ui {

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

}  // namespace velmap::ui
