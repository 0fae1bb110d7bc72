// What the skinned controls draw with: the item painter of a skin section,
// the corner refresh, the caption writer and the mask drawing. The controls
// only decide what to draw and where; one painter object serves the whole
// process, and a test may put one of its own in its place to see exactly
// which faces a control asks for.
#pragma once

#include <windows.h>

#include <string>

#include "skin/controls/common_data.h"
#include "ui/graphics.h"

namespace velmap::skin {

class TsSkinManager;

class ControlPainter {
public:
    virtual ~ControlPainter() = default;

    // The section's item (background, border, corner images) for a state
    // into r of bmp; pos is the control's place in its parent, bg its parent's
    // cache.
    virtual void PaintItem(TsCommonData& data, const paint::BackgroundSource& bg, bool centre, int state, const RECT& r,
                           POINT pos, ui::TBitmap& bmp, bool useBg);
    // The section's background alone.
    virtual void PaintBackground(TsCommonData& data, const paint::BackgroundSource& bg, int state, const RECT& r,
                                 POINT pos, ui::TBitmap& bmp);
    // Refills the key-coloured corner pixels of the cache from the parent
    // (corners: 1 top-left, 2 bottom-left, 4 top-right, 8 bottom-right).
    virtual void RefreshCorners(TsCommonData& data, int state, int corners);
    // The caption in the section's text colours.
    virtual void WriteText(ui::TCanvas& canvas, const std::wstring& text, bool enabled, bool hot, TsCommonData& data,
                           UINT format, const RECT& r);
    // A nine-piece border from a mask of the manager's skin; bg holds the
    // control's position already.
    virtual void DrawBorder(ui::TBitmap& bmp, const RECT& r, bool centre, bool useBg, int state,
                            const TsSkinManager& manager, int mask, const paint::BackgroundSource& bg);
    // One frame of a glyph mask at p.
    virtual void DrawGlyph(ui::TBitmap& bmp, POINT p, int state, const TsSkinManager& manager, int mask);
};

// The painter in force.
ControlPainter& CurrentPainter();
// Puts another painter in force (null: the skin's own again); returns the
// one that was in force. The caller keeps ownership.
ControlPainter* SetControlPainter(ControlPainter* painter);

// Every corner of RefreshCorners.
inline constexpr int kAllCorners = 15;

}  // namespace velmap::skin
