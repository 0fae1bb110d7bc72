#include "skin/controls/control_painter.h"

namespace velmap::skin {

namespace {
ControlPainter g_skin_painter;
ControlPainter* g_painter = &g_skin_painter;
}  // namespace

ControlPainter& CurrentPainter() { return *g_painter; }

ControlPainter* SetControlPainter(ControlPainter* painter) {
    ControlPainter* previous = g_painter;
    g_painter = painter ? painter : &g_skin_painter;
    return previous;
}

// PENDING-PAINT: the bodies below forward to the item painter once it exists.
void ControlPainter::PaintItem(TsCommonData&, const BackgroundSource&, bool, int, const RECT&, POINT, ui::TBitmap&,
                               bool) {}
void ControlPainter::PaintBackground(TsCommonData&, const BackgroundSource&, int, const RECT&, POINT, ui::TBitmap&) {}
void ControlPainter::RefreshCorners(TsCommonData&, int, int) {}
void ControlPainter::WriteText(ui::TCanvas& canvas, const std::wstring& text, bool, bool, TsCommonData&, UINT format,
                               const RECT& r) {
    RECT box = r;
    canvas.DrawText(text, box, format | DT_NOCLIP);
}
void ControlPainter::DrawBorder(ui::TBitmap&, const RECT&, bool, bool, int, const TsSkinManager&, int,
                                const BackgroundSource&) {}
void ControlPainter::DrawGlyph(ui::TBitmap&, POINT, int, const TsSkinManager&, int) {}

}  // namespace velmap::skin
