// TGraphicControl: a control without a window, painted by its parent.
#pragma once

#include "ui/control.h"

#include <string>

namespace velmap::ui {

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas& Canvas() { return canvas_; }
    std::string ClassName() const override { return "TGraphicControl"; }

protected:
    void WndProc(TMessage& msg) override;
    // Draws the control on Canvas(), whose origin is the control's corner.
    virtual void Paint() {}

private:
    TCanvas canvas_;
};

}  // namespace velmap::ui
