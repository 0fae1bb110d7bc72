#include "ui/graphic_control.h"

#include "ui/paint_on_canvas.h"

namespace velmap::ui {

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

TGraphicControl::~TGraphicControl() { canvas_.SetHandle(nullptr); }

void TGraphicControl::WndProc(TMessage& m) {
    if (m.Msg == WM_PAINT) {
        if (!m.WParam) return;
        PaintOnCanvas(canvas_, font_, reinterpret_cast<HDC>(m.WParam), [this] { Paint(); });
        return;
    }
    TControl::WndProc(m);
}

}  // namespace velmap::ui
