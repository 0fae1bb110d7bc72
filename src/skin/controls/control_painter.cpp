#include "skin/controls/control_painter.h"

#include "skin/controls/item_painter.h"
#include "skin/manager/skin_manager.h"

namespace velmap::skin {

namespace {

ControlPainter g_skin_painter;
ControlPainter* g_painter = &g_skin_painter;

paint::BackgroundSource ToPaint(const paint::BackgroundSource& bg) { return {bg.Bmp, bg.X, bg.Y, bg.Ready && bg.Bmp}; }

paint::TRect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

ControlPainter& CurrentPainter() { return *g_painter; }

ControlPainter* SetControlPainter(ControlPainter* painter) {
    ControlPainter* previous = g_painter;
    g_painter = painter ? painter : &g_skin_painter;
    return previous;
}

void ControlPainter::PaintItem(TsCommonData& data, const paint::BackgroundSource& bg, bool centre, int state,
                               const RECT& r, POINT pos, ui::TBitmap& bmp, bool useBg) {
    PaintSkinItem(data, ToPaint(bg), centre, state, ToRect(r), {pos.x, pos.y}, &bmp.Image(), useBg);
}

void ControlPainter::PaintBackground(TsCommonData& data, const paint::BackgroundSource& bg, int state, const RECT& r,
                                     POINT pos, ui::TBitmap& bmp) {
    // A control that keeps its own colour is filled with it, plainly.
    paint::TColor custom = paint::KeyColor;
    if (data.CustomColor() && data.HostControl)
        custom = static_cast<paint::TColor>(ui::ColorRefOf(data.HostControl->Color()));
    PaintSkinBackground(data.SectionIndex, data.SkinSection(), ToPaint(bg), state, ToRect(r), {pos.x, pos.y},
                        &bmp.Image(), data.EffectiveManager(), data.PatternIndex, data.HotPatternIndex, custom);
}

void ControlPainter::RefreshCorners(TsCommonData& data, int state, int corners) {
    RefreshCornerPixels(data, state, static_cast<unsigned>(corners));
}

void ControlPainter::WriteText(ui::TCanvas& canvas, const std::wstring& text, bool enabled, bool hot,
                               TsCommonData& data, UINT format, const RECT& r) {
    WriteSkinText(canvas, text, enabled, hot, data, format, ToRect(r));
}

void ControlPainter::DrawBorder(ui::TBitmap& bmp, const RECT& r, bool centre, bool useBg, int state,
                                const TsSkinManager& manager, int mask, const paint::BackgroundSource& bg) {
    DrawBorderMask(bmp.Image(), ToRect(r), centre, useBg, state, manager, mask, ToPaint(bg));
}

void ControlPainter::DrawGlyph(ui::TBitmap& bmp, POINT p, int state, const TsSkinManager& manager, int mask) {
    DrawGlyphMask(bmp.Image(), {p.x, p.y}, state, manager, mask);
}

}  // namespace velmap::skin
