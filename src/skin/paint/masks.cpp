#include "skin/paint/masks.h"

#include <algorithm>

#include "skin/paint/compose_kernels.h"
#include "skin/paint/masks_internal.h"
#include "skin/paint/paint_device.h"
#include "skin/paint/paint_util.h"
#include "skin/paint/pixel_ops.h"

namespace velmap::paint {

TColor MaskFillColor = KeyColor;

namespace detail {

void Compose(TRect dst, TRect src, Bitmap& bmp, std::int64_t mask_rows, KeyRule rule, const BackgroundSource& bg,
             Bitmap& img) {
    if (!Usable(bmp) || !Usable(img) || mask_rows < 0) return;
    std::int64_t w = std::min(std::int64_t{dst.Width()}, std::int64_t{src.Width()});
    std::int64_t h = std::min(std::int64_t{dst.Height()}, std::int64_t{src.Height()});
    std::int64_t dx = dst.Left, dy = dst.Top, sx = src.Left, sy = src.Top;
    std::int64_t cut = std::max<std::int64_t>({0, -dx, -sx});
    dx += cut, sx += cut, w -= cut;
    cut = std::max<std::int64_t>({0, -dy, -sy});
    dy += cut, sy += cut, h -= cut;
    w = std::min<std::int64_t>({w, bmp.Width() - dx, img.Width() - sx});
    h = std::min<std::int64_t>({h, bmp.Height() - dy, img.Height() - sy - mask_rows});
    if (w <= 0 || h <= 0) return;

    const Bitmap* parent = bg.Ready && bg.Bmp && Usable(*bg.Bmp) ? bg.Bmp : nullptr;
    const int dbpp = bmp.BytesPerPixel(), sbpp = img.BytesPerPixel();
    const bool packed = dbpp == 3 && sbpp == 3;
    for (std::int64_t i = 0; i < h; ++i) {
        std::uint8_t* d = PixelAt(bmp, dx, dy + i);
        const std::uint8_t* s = PixelAt(img, sx, sy + i);
        const std::uint8_t* m = PixelAt(img, sx, sy + i + mask_rows);
        if (rule == KeyRule::BlendAll && packed) {
            kernels::ComposeRow(d, s, m, static_cast<std::size_t>(w) * 3);
            continue;
        }
        for (std::int64_t j = 0; j < w; ++j, d += dbpp, s += sbpp, m += sbpp) {
            if (rule != KeyRule::BlendAll && SameBgr(s, KeyColor)) {
                const std::int64_t px = std::int64_t{bg.X} + dx + j, py = std::int64_t{bg.Y} + dy + i;
                const bool fill_first = rule == KeyRule::FillColorFirst && MaskFillColor != KeyColor;
                if (!fill_first && parent) {
                    if (Inside(*parent, px, py)) CopyBgr(d, PixelAt(*parent, px, py));
                } else if (MaskFillColor != KeyColor) {
                    PutBgr(d, MaskFillColor);
                } else if (rule == KeyRule::ParentFirst) {
                    CopyBgr(d, s);  // nothing to show through: the key colour stays
                }
                continue;
            }
            for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((d[c] * unsigned{m[c]} + s[c] * (256u - m[c])) >> 8);
        }
    }
}

// Lays tiles of the source region over the span [from, to) of one axis:
// whole tiles while one fits before the end, then the rest cut.
template <typename Draw>
void TileSpan(std::int64_t from, std::int64_t to, std::int64_t tile, Draw draw) {
    if (tile <= 0) return;
    std::int64_t p = from;
    for (; p < to - tile; p += tile) draw(p, tile);
    if (to - p > 0) draw(p, to - p);
}

}  // namespace detail

using detail::Compose;
using detail::KeyRule;

void ComposeThroughMask(TRect dst, TRect src, Bitmap& bmp, const MaskView& mask, bool corner,
                        const BackgroundSource& bg, Bitmap& img) {
    Compose(dst, src, bmp, mask.R.Height() / 2, corner ? KeyRule::ParentFirst : KeyRule::BlendAll, bg, img);
}

void CopyTransparentRect(Bitmap& bmp, Bitmap& img, int x, bool use_bg, const BackgroundSource& bg, TColor key,
                         TRect src, int y) {
    if (!detail::Usable(bmp) || !detail::Usable(img)) return;
    std::int64_t left = src.Left, top = src.Top, dx = x, dy = y;
    if (left < 0) dx -= left, left = 0;
    if (top < 0) dy -= top, top = 0;
    const std::int64_t right = std::min<std::int64_t>(src.Right, img.Width() - 1);
    const std::int64_t bottom = std::min<std::int64_t>(src.Bottom, img.Height() - 1);
    const Bitmap* parent = use_bg && bg.Ready && detail::Attachable(bg.Bmp) && bg.Bmp->BitsPerPixel() == 24 ? bg.Bmp
                                                                                                         : nullptr;
    const TColor k = ColorToRGB(key);
    for (std::int64_t i = 0; top + i <= bottom; ++i) {
        const std::int64_t ty = dy + i;
        if (ty < 0 || ty >= bmp.Height()) continue;
        for (std::int64_t j = 0; left + j <= right; ++j) {
            const std::int64_t tx = dx + j;
            if (tx < 0 || tx >= bmp.Width()) continue;
            const std::uint8_t* s = detail::PixelAt(img, left + j, top + i);
            std::uint8_t* d = detail::PixelAt(bmp, tx, ty);
            if (!detail::SameBgr(s, k)) {
                detail::CopyBgr(d, s);
            } else if (parent) {
                const std::int64_t px = std::int64_t{bg.X} + tx, py = std::int64_t{bg.Y} + ty;
                if (detail::Inside(*parent, px, py)) detail::CopyBgr(d, detail::PixelAt(*parent, px, py));
            }
        }
    }
}

BorderWidths FitBorderWidths(const MaskView& mask, int w, int h) {
    auto fit = [](int& a, int& b, int size) {
        a = std::max(a, 0), b = std::max(b, 0);
        if (size < a + b) {
            const int c = (a + b - size) / 2;
            a -= c, b -= c;
            if (size % 2 != 0) b -= 1;
            a = std::max(a, 0), b = std::max(b, 0);
        }
        // The halving above leaves one pixel too many when the widths differ
        // in parity from the size: take it from the far side.
        size = std::max(size, 0);
        if (a + b > size) b = std::max(0, size - a), a = std::min(a, size);
    };
    BorderWidths r{mask.WL, mask.WT, mask.WR, mask.WB};
    fit(r.WL, r.WR, w);
    fit(r.WT, r.WB, h);
    return r;
}

void DrawBorderMask(Bitmap& bmp, TRect d, bool centre, bool use_bg, int state, const MaskView& mask,
                    const BackgroundSource& bg) {
    if (!mask.Image || !detail::Usable(bmp) || !detail::Usable(*mask.Image)) return;
    state = std::max(state, 0);
    if (state == 0 && (mask.StretchMode & kNotInNormal)) return;
    if (d.Width() < 2 || d.Height() < 2) return;
    const BorderWidths bw = FitBorderWidths(mask, d.Width(), d.Height());
    const int WL = bw.WL, WT = bw.WT, WR = bw.WR, WB = bw.WB;
    const int frame = std::min(state, mask.Frames() - 1);
    const int fw = mask.FrameWidth(), fh = mask.FrameHeight();
    if (fw <= 0 || fh <= 0) return;
    const int sx = mask.R.Left + frame * fw, sy = mask.R.Top;
    const int mw = std::max(0, fw - WL - WR), mh = std::max(0, fh - WT - WB);
    Bitmap& img = *mask.Image;
    const int L = d.Left, T = d.Top, Rt = d.Right, Bm = d.Bottom;
    const bool masked = mask.MaskRows() >= 1;
    const std::int64_t mask_rows = mask.R.Height() / 2;
    const BackgroundSource none{};

    auto corner = [&](int x, int y, int w, int h, int px, int py) {
        if (w <= 0 || h <= 0) return;
        if (masked)
            Compose({px, py, px + w, py + h}, {x, y, x + w, y + h}, bmp, mask_rows, KeyRule::ParentFirst, bg, img);
        else  // the copy takes inclusive right and bottom edges
            CopyTransparentRect(bmp, img, px, use_bg, bg, KeyColor, {x, y, x + w - 1, y + h - 1}, py);
    };
    // One tile of an edge or of the centre: source (x, y) w x h to (px, py).
    auto tile = [&](int x, int y, std::int64_t px, std::int64_t py, std::int64_t w, std::int64_t h) {
        if (masked) {
            const TRect to{static_cast<int>(px), static_cast<int>(py), static_cast<int>(px + w), static_cast<int>(py + h)};
            Compose(to, {x, y, x + static_cast<int>(w), y + static_cast<int>(h)}, bmp, mask_rows, KeyRule::BlendAll,
                    none, img);
        } else {
            detail::CopyPixels(bmp, px, py, img, x, y, w, h);
        }
    };
    // A region of the image (x, y, w, h) laid over the destination region.
    auto edge = [&](int x, int y, int w, int h, TRect to) {
        if (w <= 0 || h <= 0 || detail::IsEmpty(to)) return;
        if (!masked && (mask.StretchMode & kStretchEdges)) {
            StretchHalftone(bmp, to, img, {x, y, x + w, y + h});
            return;
        }
        detail::TileSpan(to.Top, to.Bottom, h, [&](std::int64_t py, std::int64_t th) {
            detail::TileSpan(to.Left, to.Right, w, [&](std::int64_t px, std::int64_t tw) { tile(x, y, px, py, tw, th); });
        });
    };

    corner(sx, sy, WL, WT, L, T);
    edge(sx, sy + WT, WL, mh, {L, T + WT, L + WL, Bm - WB});
    edge(sx + WL, sy, mw, WT, {L + WL, T, Rt - WR, T + WT});
    corner(sx, sy + fh - WB, WL, WB, L, Bm - WB);
    edge(sx + WL, sy + fh - WB, mw, WB, {L + WL, Bm - WB, Rt - WR, Bm});
    corner(sx + fw - WR, sy + fh - WB, WR, WB, Rt - WR, Bm - WB);
    corner(sx + fw - WR, sy, WR, WT, Rt - WR, T);
    edge(sx + fw - WR, sy + WT, WR, mh, {Rt - WR, T + WT, Rt, Bm - WB});
    if (centre && (mask.StretchMode & kPaintCentre)) edge(sx + WL, sy + WT, mw, mh, {L + WL, T + WT, Rt - WR, Bm - WB});
}

void DrawGlyphMask(Bitmap& bmp, TPoint p, int state, const MaskView& mask, int mode) {
    if (!mask.Image || !detail::Usable(bmp) || !detail::Usable(*mask.Image)) return;
    Bitmap& img = *mask.Image;
    const int frame = std::clamp(state, 0, mask.Frames() - 1);
    const int fw = mask.FrameWidth(), fh = mask.FrameHeight();
    if (fw <= 0 || fh <= 0) return;
    std::int64_t left = mask.R.Left + std::int64_t{frame} * fw, top = mask.R.Top;
    std::int64_t right = left + fw, bottom = top + fh;  // exclusive
    std::int64_t x = p.X, y = p.Y;
    if (x < 0) left -= x, x = 0;
    if (y < 0) top -= y, y = 0;
    if (left >= right || top >= bottom) return;

    if (!mask.OwnImage && mask.MaskRows() == 0) {
        const TRect inclusive{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - 1),
                              static_cast<int>(bottom - 1)};
        if (mode == 1)
            CopyTransparentRect(bmp, img, static_cast<int>(x), false, {}, KeyColor, inclusive, static_cast<int>(y));
        else
            BlendBitmapFactor(bmp, static_cast<int>(x), static_cast<int>(y), KeyColor, 0.5, inclusive, img);
        return;
    }
    // An own image without a mask half has no mask rows to read: it is drawn
    // as through a black mask.
    const bool has_mask = mask.MaskRows() >= 1;
    const std::int64_t mask_rows = has_mask ? fh : 0;
    if (left < 0) x -= left, left = 0;
    if (top < 0) y -= top, top = 0;
    right = std::min<std::int64_t>({right, img.Width(), left + bmp.Width() - x});
    bottom = std::min<std::int64_t>({bottom, img.Height() - mask_rows, top + bmp.Height() - y});
    const int dbpp = bmp.BytesPerPixel(), sbpp = img.BytesPerPixel();
    for (std::int64_t sy = top; sy < bottom; ++sy) {
        std::uint8_t* d = detail::PixelAt(bmp, x, y + sy - top);
        const std::uint8_t* s = detail::PixelAt(img, left, sy);
        const std::uint8_t* m = detail::PixelAt(img, left, sy + mask_rows);
        for (std::int64_t sx = left; sx < right; ++sx, d += dbpp, s += sbpp, m += sbpp) {
            if (detail::SameBgr(s, KeyColor)) continue;
            for (int c = 0; c < 3; ++c) {
                unsigned mv = has_mask ? m[c] : 0u;
                if (mode != 1) mv = std::min(mv + 100u, 255u);
                d[c] = static_cast<std::uint8_t>((d[c] * mv + s[c] * (256u - mv)) >> 8);
            }
        }
    }
}

}  // namespace velmap::paint
