#include "skin/paint/masks.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "skin/paint/compose_kernels.h"
#include "skin/paint/masks_internal.h"
#include "skin/paint/paint_device.h"
#include "skin/paint/paint_util.h"
#include "skin/paint/pixel_ops.h"

namespace velmap::paint {

TColor MaskFillColor = KeyColor;

namespace detail {

namespace {

inline void ComposePixel(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* m) {
    for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((d[c] * unsigned{m[c]} + s[c] * (256u - m[c])) >> 8);
}

std::int64_t Mod(std::int64_t a, std::int64_t b) {
    const std::int64_t m = a % b;
    return m < 0 ? m + b : m;
}

}  // namespace

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
    const Rows D(bmp), S(img), P(parent ? *parent : bmp);
    const bool packed = D.bpp == 3 && S.bpp == 3;
    const bool keys = rule != KeyRule::BlendAll;
    // Scratch of the one painting thread. Not thread_local: in a DLL each such
    // object pins the module in its host until the thread ends.
    static std::vector<std::uint8_t> before;  // the row as it was, for key pixels left alone
    for (std::int64_t i = 0; i < h; ++i) {
        std::uint8_t* d = D.At(dx, dy + i);
        const std::uint8_t* s = S.At(sx, sy + i);
        const std::uint8_t* m = S.At(sx, sy + i + mask_rows);
        bool row_keys = false;
        for (std::int64_t j = 0; keys && j < w && !row_keys; ++j) row_keys = SameBgr(s + j * S.bpp, KeyColor);
        if (row_keys) before.assign(d, d + w * D.bpp);
        if (packed) {
            kernels::ComposeRow(d, s, m, static_cast<std::size_t>(w) * 3);
        } else {
            for (std::int64_t j = 0; j < w; ++j) ComposePixel(d + j * D.bpp, s + j * S.bpp, m + j * S.bpp);
        }
        if (!row_keys) continue;
        for (std::int64_t j = 0; j < w; ++j) {
            const std::uint8_t* sp = s + j * S.bpp;
            if (!SameBgr(sp, KeyColor)) continue;
            std::uint8_t* dp = d + j * D.bpp;
            const std::int64_t px = std::int64_t{bg.X} + dx + j, py = std::int64_t{bg.Y} + dy + i;
            const bool fill_first = rule == KeyRule::FillColorFirst && MaskFillColor != KeyColor;
            if (!fill_first && parent) {
                CopyBgr(dp, Inside(*parent, px, py) ? P.At(px, py) : &before[j * D.bpp]);
            } else if (MaskFillColor != KeyColor) {
                PutBgr(dp, MaskFillColor);
            } else if (rule == KeyRule::ParentFirst) {
                CopyBgr(dp, sp);  // nothing to show through: the key colour stays
            } else {
                CopyBgr(dp, &before[j * D.bpp]);
            }
        }
    }
}

void ComposeTiled(TRect to, TRect block, Bitmap& bmp, std::int64_t mask_rows, Bitmap& img) {
    const std::int64_t tw = block.Width(), th = block.Height();
    if (tw <= 0 || th <= 0 || IsEmpty(to) || !Usable(bmp) || !Usable(img) || mask_rows < 0) return;
    const bool inside = block.Left >= 0 && block.Top >= 0 && block.Right <= img.Width() &&
                        block.Bottom + mask_rows <= img.Height();
    if (!inside || bmp.BytesPerPixel() != 3 || img.BytesPerPixel() != 3) {
        // Tile by tile, each clipped on its own.
        TileSpan(to.Top, to.Bottom, th, [&](std::int64_t py, std::int64_t h) {
            TileSpan(to.Left, to.Right, tw, [&](std::int64_t px, std::int64_t w) {
                const TRect d{static_cast<int>(px), static_cast<int>(py), static_cast<int>(px + w),
                              static_cast<int>(py + h)};
                Compose(d, {block.Left, block.Top, block.Left + static_cast<int>(w), block.Top + static_cast<int>(h)},
                        bmp, mask_rows, KeyRule::BlendAll, {}, img);
            });
        });
        return;
    }
    const TRect out = ClipToBitmap(to, bmp);
    if (IsEmpty(out)) return;
    // The tiled image and mask rows of every source row the run needs, built
    // once and composed a whole run at a time (a row per source row when
    // they would take too much memory).
    const Rows D(bmp), S(img);
    const std::size_t n = static_cast<std::size_t>(out.Width()), row_bytes = n * 3;
    const std::int64_t ox = Mod(out.Left - to.Left, tw);
    if (static_cast<std::int64_t>(n) <= tw - ox) {
        // The run lies within one tile: straight from the image.
        for (std::int64_t y = out.Top; y < out.Bottom; ++y) {
            const std::int64_t sy = block.Top + Mod(y - to.Top, th);
            kernels::ComposeRow(D.At(out.Left, y), S.At(block.Left + ox, sy), S.At(block.Left + ox, sy + mask_rows),
                                row_bytes);
        }
        return;
    }
    const std::int64_t distinct = std::min<std::int64_t>(th, out.Height());
    const bool keep_all = static_cast<std::uint64_t>(distinct) * row_bytes <= (std::uint64_t{1} << 20);
    static std::vector<std::uint8_t> image_rows, mask_rows_buf;
    const std::size_t slots = keep_all ? static_cast<std::size_t>(distinct) : 1;
    image_rows.resize(slots * row_bytes), mask_rows_buf.resize(slots * row_bytes);
    // Source row sy repeated along the run, starting ox pixels into the block.
    auto build = [&](std::int64_t sy, std::uint8_t* image, std::uint8_t* mask) {
        for (auto [dst, row] : {std::pair{image, sy}, std::pair{mask, sy + mask_rows}}) {
            const std::uint8_t* src = S.At(block.Left, row);
            // One period, phase included, then the period doubled over the run.
            const std::size_t period = static_cast<std::size_t>(
                std::min<std::int64_t>(tw, static_cast<std::int64_t>(n)));
            const std::size_t head = std::min<std::size_t>(static_cast<std::size_t>(tw - ox), period);
            std::memcpy(dst, src + ox * 3, head * 3);
            std::memcpy(dst + head * 3, src, (period - head) * 3);
            std::size_t done = period * 3;
            if (period == 1) {  // one pixel: four at a time from a 12-byte pattern
                const std::uint8_t pattern[12] = {dst[0], dst[1], dst[2], dst[0], dst[1], dst[2],
                                                  dst[0], dst[1], dst[2], dst[0], dst[1], dst[2]};
                for (; done + 12 <= row_bytes; done += 12) std::memcpy(dst + done, pattern, 12);
                for (; done < row_bytes; done += 3) std::memcpy(dst + done, pattern, 3);
                continue;
            }
            while (done < row_bytes) {
                const std::size_t chunk = std::min(done, row_bytes - done);
                std::memcpy(dst + done, dst, chunk);
                done += chunk;
            }
        }
    };
    std::int64_t built = -1;
    for (std::int64_t y = out.Top; y < out.Bottom; ++y) {
        const std::int64_t phase = Mod(y - to.Top, th), sy = block.Top + phase;
        std::size_t slot = 0;
        if (keep_all) {
            slot = static_cast<std::size_t>((y - out.Top) < distinct ? y - out.Top : Mod(y - out.Top, distinct));
            // Rows repeat with the tile height: the first `distinct` rows hold every phase.
            if (y - out.Top < distinct) build(sy, &image_rows[slot * row_bytes], &mask_rows_buf[slot * row_bytes]);
        } else if (sy != built) {
            build(sy, image_rows.data(), mask_rows_buf.data());
            built = sy;
        }
        kernels::ComposeRow(D.At(out.Left, y), &image_rows[slot * row_bytes], &mask_rows_buf[slot * row_bytes],
                            row_bytes);
    }
}

void TileCopy(Bitmap& bmp, TRect area, const Bitmap& img, TRect src, std::int64_t ax, std::int64_t ay) {
    area = ClipToBitmap(area, bmp);
    const std::int64_t tw = src.Width(), th = src.Height();
    if (IsEmpty(area) || tw <= 0 || th <= 0) return;
    for (std::int64_t y = area.Top; y < area.Bottom;) {
        const std::int64_t sy = Mod(y - ay, th), rows = std::min(th - sy, area.Bottom - y);
        for (std::int64_t x = area.Left; x < area.Right;) {
            const std::int64_t sx = Mod(x - ax, tw), cols = std::min(tw - sx, area.Right - x);
            CopyPixels(bmp, x, y, img, src.Left + sx, src.Top + sy, cols, rows);
            x += cols;
        }
        y += rows;
    }
}

}  // namespace detail

using detail::Compose;
using detail::KeyRule;

void ComposeThroughMask(TRect dst, TRect src, Bitmap& bmp, const MaskView& mask, bool corner,
                        const BackgroundSource& bg, Bitmap& img) {
    Compose(dst, src, bmp, mask.R.Height() / 2, corner ? KeyRule::ParentFirst : KeyRule::BlendAll, bg, img);
}

void CopyTransparentRect(Bitmap& bmp, const Bitmap& img, int x, bool use_bg, const BackgroundSource& bg, TColor key,
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
    const detail::Rows D(bmp), S(img), P(parent ? *parent : bmp);
    for (std::int64_t i = 0; top + i <= bottom; ++i) {
        const std::int64_t ty = dy + i;
        if (ty < 0 || ty >= bmp.Height()) continue;
        for (std::int64_t j = 0; left + j <= right; ++j) {
            const std::int64_t tx = dx + j;
            if (tx < 0 || tx >= bmp.Width()) continue;
            const std::uint8_t* s = S.At(left + j, top + i);
            std::uint8_t* d = D.At(tx, ty);
            if (!detail::SameBgr(s, k)) {
                detail::CopyBgr(d, s);
            } else if (parent) {
                const std::int64_t px = std::int64_t{bg.X} + tx, py = std::int64_t{bg.Y} + ty;
                if (detail::Inside(*parent, px, py)) detail::CopyBgr(d, P.At(px, py));
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

void DrawBorderMask(Bitmap& bmp, TRect d, bool centre, bool use_bg, int state, const MaskView& given,
                    const BackgroundSource& bg) {
    const MaskView mask = BorderFrames(given);
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

    auto corner = [&](int x, int y, int w, int h, int px, int py) {
        if (w <= 0 || h <= 0) return;
        if (masked)
            Compose({px, py, px + w, py + h}, {x, y, x + w, y + h}, bmp, mask_rows, KeyRule::ParentFirst, bg, img);
        else  // the copy takes inclusive right and bottom edges
            CopyTransparentRect(bmp, img, px, use_bg, bg, KeyColor, {x, y, x + w - 1, y + h - 1}, py);
    };
    // A region of the image (x, y, w, h) laid over the destination region:
    // stretched, or tiled from the region's corner.
    auto edge = [&](int x, int y, int w, int h, TRect to) {
        if (w <= 0 || h <= 0 || detail::IsEmpty(to)) return;
        const TRect block{x, y, x + w, y + h};
        if (masked)
            detail::ComposeTiled(to, block, bmp, mask_rows, img);
        else if (mask.StretchMode & kStretchEdges)
            StretchHalftone(bmp, to, img, block);
        else
            detail::TileCopy(bmp, to, img, block, to.Left, to.Top);
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
