#include "skin/controls/button_glyph.h"

#include <cstring>

#include "skin/paint/pixel_ops.h"

namespace velmap::skin {

namespace {

using paint::Bitmap;
using paint::TColor;

TColor PixelColor(const Bitmap& b, int x, int y) {
    const std::uint8_t* p = b.ScanLine(y) + x * b.BytesPerPixel();
    return paint::MakeColor(p[2], p[1], p[0]);
}

// A 24-bit copy of columns [x, x + w) of src.
std::unique_ptr<Bitmap> Crop24(const Bitmap& src, int x, int w) {
    auto out = paint::CreateBitmap24(w, src.Height());
    const int bpp = src.BytesPerPixel();
    for (int y = 0; y < src.Height(); ++y) {
        const std::uint8_t* s = src.ScanLine(y) + x * bpp;
        std::uint8_t* d = out->ScanLine(y);
        for (int i = 0; i < w; ++i) std::memcpy(d + i * 3, s + i * bpp, 3);
    }
    return out;
}

}  // namespace

int GlyphFrame(const ButtonGlyph& g) {
    const int n = g.num_glyphs;
    if (!g.enabled) return n > 1 ? 1 : 0;
    switch (g.state) {
        case 1: return n > 4 ? 4 : 0;
        case 2: return g.down && n > 3 ? 3 : n > 2 ? 2 : 0;
        default: return 0;
    }
}

void DrawButtonGlyph(const ButtonGlyph& g, ui::TBitmap& cache, POINT p) {
    if (!g.glyph || g.glyph->Width() < 1 || g.glyph->Height() < 1 || cache.Empty()) return;
    Bitmap& dst = cache.Image();
    const Bitmap& src = g.glyph->Image();
    const int n = g.num_glyphs < 1 ? 1 : g.num_glyphs;
    const int fw = src.Width() / n;
    if (fw < 1) return;
    const int frame = n > 1 ? GlyphFrame(g) : 0;
    auto img = Crop24(src, frame * fw, fw);
    // A strip of frames takes its transparent colour from its first frame,
    // except for the disabled frame, which names its own.
    const TColor t = n > 1 && g.enabled ? PixelColor(src, 0, src.Height() - 1) : PixelColor(*img, 0, img->Height() - 1);
    const paint::TRect all{0, 0, img->Width(), img->Height()};
    const bool disabled_blend = g.disabled_kind.Contains(TsDisabledGlyphKindItem::dgBlended);

    if (n == 1 && !g.enabled) {
        if (g.disabled_kind.Contains(TsDisabledGlyphKindItem::dgGrayed)) paint::GrayscaleBitmap(*img);
        if (disabled_blend)
            paint::BlendBitmapFactor(dst, p.x, p.y, t, 0.5, all, *img);
        else
            paint::CopyTransparentPixels(dst, *img, p.x, p.y, t);
        return;
    }
    if (n == 1 && g.state == 0 && g.grayed) paint::GrayscaleBitmap(*img);
    if (!g.enabled || g.state != 0 || g.blend < 1)
        paint::CopyTransparentPixels(dst, *img, p.x, p.y, t);
    else
        paint::BlendBitmapFactor(dst, p.x, p.y, t, g.blend / 100.0, all, *img);
}

}  // namespace velmap::skin
