// The plain panel.
#pragma once

#include "ui/win_control.h"

#include <string>

namespace velmap::ui {

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

}  // namespace velmap::ui
