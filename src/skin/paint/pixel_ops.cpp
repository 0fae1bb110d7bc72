#include "skin/paint/pixel_ops.h"

#include <algorithm>
#include <cmath>

#include "skin/paint/fast_access.h"

namespace velmap::paint {

TColor ParentBgColor = KeyColor;

namespace {

// The current rounding mode is round-half-to-even unless someone changed it;
// do not depend on that.
inline std::uint8_t RoundToByte(double v) noexcept {
    if (std::isnan(v)) return 0;
    double r = std::floor(v);
    const double frac = v - r;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    return LimitToByte(static_cast<int>(std::clamp(r, -1.0, 256.0)));
}

inline bool Usable(const Bitmap& bmp) noexcept {
    return !bmp.Empty() && (bmp.BitsPerPixel() == 24 || bmp.BitsPerPixel() == 32);
}

inline bool SameBgr(const std::uint8_t* p, TColor c) noexcept {
    return p[0] == BlueOf(c) && p[1] == GreenOf(c) && p[2] == RedOf(c);
}

// Calls f(pixel) for every pixel of rows [top, bottom) and columns
// [left, right), which must lie inside bmp.
template <typename F>
void ForEachPixel(Bitmap& bmp, int left, int top, int right, int bottom, F f) {
    const int bpp = bmp.BytesPerPixel();
    const std::ptrdiff_t delta = bmp.RowDelta();
    std::uint8_t* row = bmp.RowStart() + top * delta + left * bpp;
    for (int y = top; y < bottom; ++y, row += delta) {
        std::uint8_t* p = row;
        for (int x = left; x < right; ++x, p += bpp) f(p);
    }
}

}  // namespace

void FillRectColor(Bitmap& bmp, const TRect& r, TColor color) {
    if (!Usable(bmp)) return;
    const int left = std::max(r.Left, 0), top = std::max(r.Top, 0);
    const int right = std::min(r.Right, bmp.Width()), bottom = std::min(r.Bottom, bmp.Height());
    if (left >= right || top >= bottom) return;
    const TColor c = ColorToRGB(color);
    ForEachPixel(bmp, left, top, right, bottom, [b = BlueOf(c), g = GreenOf(c), red = RedOf(c)](std::uint8_t* p) {
        p[0] = b;
        p[1] = g;
        p[2] = red;
    });
}

void MixColorIntoRect(Bitmap& bmp, TRect r, std::uint8_t percent, TColor color) {
    if (!Usable(bmp)) return;
    const int left = std::max(r.Left, 0), top = std::max(r.Top, 0);
    const int right = std::min(r.Right, bmp.Width() - 1), bottom = std::min(r.Bottom, bmp.Height() - 1);
    if (left > right || top > bottom) return;
    const TColor c = ColorToRGB(color);
    const double o = percent / 100.0, q = 1.0 - o;
    const double cb = BlueOf(c) * q, cg = GreenOf(c) * q, cr = RedOf(c) * q;
    ForEachPixel(bmp, left, top, right + 1, bottom + 1, [=](std::uint8_t* p) {
        p[0] = RoundToByte(p[0] * o + cb);
        p[1] = RoundToByte(p[1] * o + cg);
        p[2] = RoundToByte(p[2] * o + cr);
    });
}

void BlendBitmapRect(Bitmap& dst, Bitmap& src, std::uint8_t weight, TPoint p, TRect r) {
    // 64-bit so that no clipping step can overflow, whatever the caller passes.
    std::int64_t px = p.X, py = p.Y, left = r.Left, top = r.Top, right = r.Right, bottom = r.Bottom;
    if (px < 0) {
        left -= px;
        px = 0;
    }
    if (py < 0) {
        top -= py;
        py = 0;
    }
    if (left < 0) {
        px -= left;
        left = 0;
    }
    if (top < 0) {
        py -= top;
        top = 0;
    }
    right = std::min<std::int64_t>(right, src.Width());
    bottom = std::min<std::int64_t>(bottom, src.Height());
    if (px + (right - left) > dst.Width()) right = dst.Width() - px + left;
    if (py + (bottom - top) > dst.Height()) bottom = dst.Height() - py + top;
    if (right <= left || bottom <= top) return;

    TacFastSum24 sum;
    if (!sum.Attach(&src, &dst)) return;
    sum.Alpha = weight;
    sum.DstX1 = static_cast<std::int32_t>(px);
    sum.DstY1 = static_cast<std::int32_t>(py);
    sum.DstX2 = static_cast<std::int32_t>(px + (right - left));
    sum.DstY2 = static_cast<std::int32_t>(py + (bottom - top));
    sum.SrcX1 = static_cast<std::int32_t>(left);
    sum.SrcY1 = static_cast<std::int32_t>(top);
    sum.SrcX2 = static_cast<std::int32_t>(right);
    sum.SrcY2 = static_cast<std::int32_t>(bottom);
    sum.Blend();
}

void BlendBitmaps(Bitmap& dst, Bitmap& src, std::uint8_t weight) {
    if (dst.Width() != src.Width() || dst.Height() != src.Height()) return;
    TacFastSum24 sum;
    if (!sum.Attach(&src, &dst)) return;
    sum.Alpha = weight;
    sum.DstX1 = sum.SrcX1 = 0;
    sum.DstY1 = sum.SrcY1 = 0;
    sum.DstX2 = sum.SrcX2 = src.Width();
    sum.DstY2 = sum.SrcY2 = src.Height();
    sum.Blend();
}

void BlendBitmapFactor(Bitmap& dst, int x, int y, TColor key, double k, TRect r, const Bitmap& src) {
    if (!Usable(dst) || !Usable(src)) return;
    const bool all = (static_cast<std::uint32_t>(key) >> 24) == 0xFF;
    const TColor key_rgb = all ? key : ColorToRGB(key);
    std::int64_t dx = x, dy = y, left = r.Left, top = r.Top;
    if (left < 0) {
        dx -= left;
        left = 0;
    }
    if (top < 0) {
        dy -= top;
        top = 0;
    }
    const std::int64_t right = std::min<std::int64_t>(r.Right, src.Width() - 1);
    const std::int64_t bottom = std::min<std::int64_t>(r.Bottom, src.Height() - 1);
    // Source columns whose destination lies inside dst.
    const std::int64_t sx1 = std::max(left, left - dx), sx2 = std::min(right, left - dx + dst.Width() - 1);
    const std::int64_t sy1 = std::max(top, top - dy), sy2 = std::min(bottom, top - dy + dst.Height() - 1);
    if (sx1 > sx2 || sy1 > sy2) return;

    const int sbpp = src.BytesPerPixel(), dbpp = dst.BytesPerPixel();
    const std::ptrdiff_t sdelta = src.RowDelta(), ddelta = dst.RowDelta();
    const std::uint8_t* srow = src.RowStart() + sy1 * sdelta + sx1 * sbpp;
    std::uint8_t* drow = dst.RowStart() + (sy1 - top + dy) * ddelta + (sx1 - left + dx) * dbpp;
    for (std::int64_t sy = sy1; sy <= sy2; ++sy, srow += sdelta, drow += ddelta) {
        const std::uint8_t* s = srow;
        std::uint8_t* d = drow;
        for (std::int64_t sx = sx1; sx <= sx2; ++sx, s += sbpp, d += dbpp) {
            if (!all && SameBgr(s, key_rgb)) continue;
            for (int ch = 0; ch < 3; ++ch) d[ch] = RoundToByte(s[ch] - (s[ch] - d[ch]) * k);
        }
    }
}

void GrayscaleBitmap(Bitmap& bmp) {
    if (!Usable(bmp)) return;
    ForEachPixel(bmp, 0, 0, bmp.Width(), bmp.Height(),
                 [](std::uint8_t* p) { p[0] = p[1] = p[2] = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3); });
}

void GrayscaleBitmapExcept(Bitmap& bmp, TColor except) {
    if (!Usable(bmp)) return;
    const TColor c = ColorToRGB(except);
    ForEachPixel(bmp, 0, 0, bmp.Width(), bmp.Height(), [c](std::uint8_t* p) {
        if (!SameBgr(p, c)) p[0] = p[1] = p[2] = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
    });
}

void CopyTransparentPixels(Bitmap& dst, const Bitmap& src, int x, int y, TColor transparent) {
    if (!Usable(dst) || !Usable(src)) return;
    const TColor c = ColorToRGB(transparent);
    // Source pixels (j, i) whose target (x + j, y + i) lies inside dst.
    const std::int64_t j1 = std::max<std::int64_t>(0, -std::int64_t{x});
    const std::int64_t j2 = std::min<std::int64_t>(src.Width(), std::int64_t{dst.Width()} - x);
    const std::int64_t i1 = std::max<std::int64_t>(0, -std::int64_t{y});
    const std::int64_t i2 = std::min<std::int64_t>(src.Height(), std::int64_t{dst.Height()} - y);
    if (j1 >= j2 || i1 >= i2) return;
    const int sbpp = src.BytesPerPixel(), dbpp = dst.BytesPerPixel();
    const std::ptrdiff_t sdelta = src.RowDelta(), ddelta = dst.RowDelta();
    const std::uint8_t* srow = src.RowStart() + i1 * sdelta + j1 * sbpp;
    std::uint8_t* drow = dst.RowStart() + (y + i1) * ddelta + (x + j1) * dbpp;
    for (std::int64_t i = i1; i < i2; ++i, srow += sdelta, drow += ddelta) {
        const std::uint8_t* s = srow;
        std::uint8_t* d = drow;
        for (std::int64_t j = j1; j < j2; ++j, s += sbpp, d += dbpp) {
            if (SameBgr(s, c)) continue;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

void TintByMask(Bitmap& bmp, Bitmap& mask, TColor color) {
    if (!Usable(bmp) || !Usable(mask) || bmp.Width() != mask.Width() || bmp.Height() != mask.Height()) return;
    const TColor c = ColorToRGB(color);
    const int t[3] = {BlueOf(c), GreenOf(c), RedOf(c)};
    const int bpp = bmp.BytesPerPixel(), mbpp = mask.BytesPerPixel();
    const std::ptrdiff_t delta = bmp.RowDelta(), mdelta = mask.RowDelta();
    std::uint8_t* row = bmp.RowStart();
    const std::uint8_t* mrow = mask.RowStart();
    for (int y = 0; y < bmp.Height(); ++y, row += delta, mrow += mdelta) {
        std::uint8_t* p = row;
        const std::uint8_t* m = mrow;
        for (int x = 0; x < bmp.Width(); ++x, p += bpp, m += mbpp)
            for (int ch = 0; ch < 3; ++ch) p[ch] = LimitToByte(((p[ch] - t[ch]) * m[ch] + t[ch] * 256) >> 8);
    }
}

void PaintDisabled(Bitmap& cache, TsDisabledKinds kinds, TColor parent_color, TPoint pos,
                   const BackgroundSource& parent_cache) {
    if (kinds & dkGrayed) GrayscaleBitmap(cache);
    if (!(kinds & dkBlended)) return;
    if (parent_cache.Ready && parent_cache.Bmp) {
        const std::int32_t ox = parent_cache.X + pos.X, oy = parent_cache.Y + pos.Y;
        const TRect r{ox, oy, ox + cache.Width(), oy + cache.Height()};
        BlendBitmapFactor(cache, 0, 0, static_cast<TColor>(0xFF000000u | KeyColor), 0.4, r, *parent_cache.Bmp);
    } else {
        const TColor c = ParentBgColor != KeyColor ? ParentBgColor : ColorToRGB(parent_color);
        MixColorIntoRect(cache, {0, 0, cache.Width(), cache.Height()}, 50, c);
    }
}

}  // namespace velmap::paint
