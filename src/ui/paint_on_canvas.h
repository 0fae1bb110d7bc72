// Painting through a control's canvas (shared by windowed and graphic controls).
#pragma once

#include "ui/graphics.h"

namespace velmap::ui {

// Paints through a control's canvas on dc with the control's font; the canvas
// lets go of the DC also when painting throws.
template <typename Fn>
void PaintOnCanvas(TCanvas& canvas, const TFont& font, HDC dc, Fn&& paint) {
    canvas.Lock();
    canvas.SetHandle(dc);
    canvas.Font().Assign(font);
    try {
        paint();
    } catch (...) {
        canvas.SetHandle(nullptr);
        canvas.Unlock();
        throw;
    }
    canvas.SetHandle(nullptr);
    canvas.Unlock();
}

}  // namespace velmap::ui
