#include "skin/paint/button_glyph.h"

#include <algorithm>

#include "skin/paint/masks.h"
#include "skin/paint/paint_util.h"
#include "skin/paint/pixel_ops.h"

namespace velmap::paint {

namespace {

// A 24-bit working copy: the grey looks change it, never the button's picture.
std::unique_ptr<Bitmap> Copy24(const Bitmap& src) {
    auto copy = CreateBitmap24(src.Width(), src.Height());
    detail::CopyPixels(*copy, 0, 0, src, 0, 0, src.Width(), src.Height());
    return copy;
}

TColor PixelColor(const Bitmap& bmp, int x, int y) {
    const std::uint8_t* p = detail::PixelAt(bmp, x, y);
    return MakeColor(p[2], p[1], p[0]);
}

// Greys the picture, deciding transparency on its pixels as they were: the
// pixels of colour t become KeyColor, which no grey pixel can equal, and
// KeyColor is returned as the colour now transparent. (Greyed first, a
// picture pixel of the same grey as t would be taken for background.)
TColor GreyKeepingTransparent(Bitmap& g, TColor t) {
    const TColor c = ColorToRGB(t);
    const detail::Rows rows(g);
    for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x) {
            std::uint8_t* p = rows.At(x, y);
            if (detail::SameBgr(p, c))
                detail::PutBgr(p, KeyColor);
            else
                p[0] = p[1] = p[2] = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
        }
    return KeyColor;
}

// The frame of a multi-frame glyph for the button's look.
int GlyphFrame(const ButtonGlyphView& b, int frames) {
    int frame = 0;
    if (!b.Enabled)
        frame = 1;
    else if (b.State == 1)
        frame = frames > 4 ? 4 : 0;
    else if (b.State == 2)
        frame = b.Down && frames > 3 ? 3 : frames > 2 ? 2 : 0;
    return std::min(frame, frames - 1);
}

void DrawGlyphPicture(const ButtonGlyphView& b, Bitmap& cache, TPoint at) {
    // The grey looks change a working copy; every other look reads the
    // picture itself, which needs no bitmap made for every face drawn.
    const bool greyed = b.NumGlyphs <= 1 &&
                        (b.Enabled ? b.State == 0 && b.Grayed : (b.DisabledGlyphKind & dgGrayed) != 0);
    std::unique_ptr<Bitmap> copy;
    if (greyed || b.Glyph->BitsPerPixel() != 24) copy = Copy24(*b.Glyph);
    const Bitmap& g = copy ? *copy : *b.Glyph;
    const int w = g.Width(), h = g.Height();
    const double blend = std::clamp(b.Blend, 0, 100) / 100.0;
    if (b.NumGlyphs <= 1) {
        const TRect all{0, 0, w - 1, h - 1};  // inclusive edges
        TColor t = PixelColor(g, 0, h - 1);
        if (greyed) t = GreyKeepingTransparent(*copy, t);
        if (!b.Enabled) {
            if (b.DisabledGlyphKind & dgBlended)
                BlendBitmapFactor(cache, at.X, at.Y, t, 0.5, all, g);
            else
                CopyTransparentPixels(cache, g, at.X, at.Y, t);
            return;
        }
        if (b.State != 0 || b.Blend < 1)
            CopyTransparentPixels(cache, g, at.X, at.Y, t);
        else
            BlendBitmapFactor(cache, at.X, at.Y, t, blend, all, g);
        return;
    }
    const int fw = w / b.NumGlyphs;
    if (fw <= 0) return;
    const int frame = GlyphFrame(b, b.NumGlyphs);
    // Inclusive edges: the next frame's first column stays out.
    const TRect r{frame * fw, 0, (frame + 1) * fw - 1, h - 1};
    if (b.Enabled && b.State == 0 && b.Blend >= 1) {
        BlendBitmapFactor(cache, at.X, at.Y, PixelColor(g, 0, h - 1), blend, r, g);
        return;
    }
    const TColor t = PixelColor(g, b.Enabled ? 0 : r.Left, h - 1);
    CopyTransparentRect(cache, g, at.X, true, {}, t, r, at.Y);
}

void DrawListPicture(const ButtonGlyphView& b, Bitmap& cache, TPoint at) {
    const auto img = Copy24(*b.ListImage);
    const int w = img->Width(), h = img->Height();
    const TRect all{0, 0, w - 1, h - 1};
    const TColor t = b.ListColor;
    if (b.Enabled) {
        if (!b.Hot && b.Grayed) GrayscaleBitmapExcept(*img, PixelColor(*img, 0, h - 1));
        if (b.Hot || b.Blend < 1)
            CopyTransparentPixels(cache, *img, at.X, at.Y, t);
        else
            BlendBitmapFactor(cache, at.X, at.Y, t, std::clamp(b.Blend, 0, 100) / 100.0, all, *img);
        return;
    }
    if (b.DisabledGlyphKind & dgGrayed) GrayscaleBitmapExcept(*img, PixelColor(*img, 0, h - 1));
    if (b.DisabledGlyphKind & dgBlended)
        BlendBitmapFactor(cache, at.X, at.Y, t, 0.5, all, *img);
    else
        CopyTransparentPixels(cache, *img, at.X, at.Y, t);
}

}  // namespace

void DrawButtonGlyph(const ButtonGlyphView& button, Bitmap& cache, TPoint at) {
    if (!detail::Usable(cache)) return;
    if (button.Glyph && detail::Usable(*button.Glyph))
        DrawGlyphPicture(button, cache, at);
    else if (button.ListImage && detail::Usable(*button.ListImage))
        DrawListPicture(button, cache, at);
}

}  // namespace velmap::paint
