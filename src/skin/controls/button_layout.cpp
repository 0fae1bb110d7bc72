#include "skin/controls/button_layout.h"

namespace velmap::skin {

// Every "/" below truncates toward zero, also for negative slack.
ButtonLayoutRects LayOutButton(const ButtonLayoutInput& in) {
    using ui::TAlignment;
    using ui::TButtonLayout;
    const int W = in.width, H = in.height, dd = in.drop_width;
    const int gw = in.glyph_width, gh = in.glyph_height, tw = in.text_width, th = in.text_height;
    const int m = in.margin < 0 ? 0 : in.margin + 3;
    const bool vertical = in.layout == TButtonLayout::blGlyphTop || in.layout == TButtonLayout::blGlyphBottom;
    const bool has_glyph = vertical ? gh >= 1 : gw >= 1;
    const int s = has_glyph && in.has_caption ? in.spacing : 0;
    const int ex = (W - dd - gw - s - tw) / 2 - m;
    const int ey = (H - gh - s - th) / 2 - m;

    int gx = 0, gy = (H - gh) / 2;
    switch (in.layout) {
        case TButtonLayout::blGlyphLeft:
            gx = in.alignment == TAlignment::taLeftJustify    ? m
                 : in.alignment == TAlignment::taRightJustify ? m + 2 * ex
                                                              : m + ex;
            break;
        case TButtonLayout::blGlyphRight:
            gx = in.alignment == TAlignment::taLeftJustify    ? W - dd - m - 2 * ex - s - gw
                 : in.alignment == TAlignment::taRightJustify ? W - dd - gw - m
                                                              : (W - dd + s - gw + tw) / 2;
            break;
        case TButtonLayout::blGlyphTop:
            gx = (W - dd - gw) / 2 + 1;
            gy = ey + m;
            break;
        case TButtonLayout::blGlyphBottom:
            gx = (W - dd - gw) / 2 + 1;
            gy = H - m - ey - gh;
            break;
    }

    const int tv = (H - th) / 2;
    const int g = gw > 0 ? in.spacing : 0;
    const int vs = gh >= 1 && in.has_caption ? in.spacing : 0;
    int l = 0, r = 0, t = tv, b = H - tv;
    switch (in.layout) {
        case TButtonLayout::blGlyphLeft:
            if (in.alignment == TAlignment::taLeftJustify) {
                l = gw + in.margin + g;  // the raw margin here
                r = W - dd - m - 2 * ex;
            } else if (in.alignment == TAlignment::taRightJustify) {
                l = m + 2 * ex + gw + g;
                r = W - dd - m;
            } else {
                l = gw + m + ex + g;
                r = W - dd - m - ex;
            }
            break;
        case TButtonLayout::blGlyphRight:
            l = in.alignment == TAlignment::taLeftJustify    ? m
                : in.alignment == TAlignment::taRightJustify ? m + 2 * ex
                                                             : m + ex;
            r = l + tw;
            break;
        case TButtonLayout::blGlyphTop:
        case TButtonLayout::blGlyphBottom:
            l = (W - tw - dd) / 2;
            r = W - (W - tw - dd) / 2 - dd;
            if (in.layout == TButtonLayout::blGlyphTop) {
                t = gh + ey + m + vs;
                b = H - ey - m;
            } else {
                t = ey + m;
                b = H - ey - m - gh - vs;
            }
            break;
    }

    ButtonLayoutRects out{{gx, gy, gx + gw, gy + gh}, {l + in.text_offset - 1, t, r + in.text_offset + 2, b}};
    if (in.pressed) {
        ::OffsetRect(&out.glyph, 1, 1);
        ::OffsetRect(&out.caption, 1, 1);
    }
    return out;
}

}  // namespace velmap::skin
