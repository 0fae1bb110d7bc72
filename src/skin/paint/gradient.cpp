#include "skin/paint/gradient.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "skin/paint/paint_device.h"
#include "skin/paint/paint_util.h"

namespace velmap::paint {

namespace {

using detail::RoundHalfEven;

// One run of a segment: the channels start at Color1 in single precision
// and each pixel step adds (Color2 - Color1) / n in double precision, the
// sum rounded back to single precision. Calls put(i, b, g, r) for i = 0..n.
template <typename Put>
void WalkSegment(const GradientSegment& seg, std::int64_t n, Put put) {
    float acc[3] = {static_cast<float>(BlueOf(seg.Color1)), static_cast<float>(GreenOf(seg.Color1)),
                    static_cast<float>(RedOf(seg.Color1))};
    const double len = static_cast<double>(n);
    const double step[3] = {(double(BlueOf(seg.Color2)) - BlueOf(seg.Color1)) / len,
                            (double(GreenOf(seg.Color2)) - GreenOf(seg.Color1)) / len,
                            (double(RedOf(seg.Color2)) - RedOf(seg.Color1)) / len};
    for (std::int64_t i = 0; i <= n; ++i) {
        put(i, detail::RoundToByte(acc[0]), detail::RoundToByte(acc[1]), detail::RoundToByte(acc[2]));
        for (int c = 0; c < 3; ++c) acc[c] = static_cast<float>(static_cast<double>(acc[c]) + step[c]);
    }
}

// Writes one colour over columns [left, right) of a row.
inline void FillRow(std::uint8_t* row, int bpp, int left, int right, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    std::uint8_t* p = row + left * bpp;
    const int n = right - left;
    if (n <= 0) return;
    if (bpp == 4) {
        for (int i = 0; i < n; ++i, p += 4) p[0] = b, p[1] = g, p[2] = r;
        return;
    }
    // Four pixels at a time from a 12-byte pattern.
    const std::uint8_t pattern[12] = {b, g, r, b, g, r, b, g, r, b, g, r};
    int i = 0;
    for (; i + 4 <= n; i += 4) std::memcpy(p + 3 * i, pattern, 12);
    for (; i < n; ++i) std::memcpy(p + 3 * i, pattern, 3);
}

void PaintVertical(Bitmap& bmp, const TRect& r, std::span<const GradientSegment> g, int offset) {
    const int bpp = bmp.BytesPerPixel();
    std::uint8_t* const start = bmp.RowStart();
    const std::ptrdiff_t delta = bmp.RowDelta();
    const std::int64_t last_row = r.Bottom - 1;
    const std::int64_t height = std::int64_t{r.Bottom} - r.Top;
    if (height == 1) {  // a single row has no room for a run: it shows where the gradient starts
        FillRow(start + r.Top * delta, bpp, r.Left, r.Right, BlueOf(g[0].Color1), GreenOf(g[0].Color1),
                RedOf(g[0].Color1));
        return;
    }
    std::int64_t y = std::int64_t{r.Top} + offset;
    for (std::size_t i = 0; i < g.size(); ++i) {
        const std::int64_t s = y;
        y = s + ((height + offset) * g[i].Percent) / 100;
        y = i + 1 == g.size() ? last_row : std::min(y, last_row);
        if (y - s <= 0) {  // nothing to paint; the next segment starts on the same row
            y = s;
            continue;
        }
        WalkSegment(g[i], y - s, [&](std::int64_t k, std::uint8_t b, std::uint8_t gg, std::uint8_t rr) {
            const std::int64_t row = s + k;
            if (row >= r.Top && row < r.Bottom) FillRow(start + row * delta, bpp, r.Left, r.Right, b, gg, rr);
        });
    }
}

void PaintHorizontal(Bitmap& bmp, const TRect& r, std::span<const GradientSegment> g) {
    const int bpp = bmp.BytesPerPixel();
    const int width = r.Right - r.Left;
    // Every row walks the same segments to the same pixels: paint the top
    // row, copy it down.
    std::uint8_t* first = detail::PixelAt(bmp, 0, r.Top);
    if (width == 1) {
        FillRow(first, bpp, r.Left, r.Right, BlueOf(g[0].Color1), GreenOf(g[0].Color1), RedOf(g[0].Color1));
    } else {
        const double unit = static_cast<double>(width) / static_cast<double>(100.0f);
        const std::int64_t last_col = r.Right - 1;
        std::int64_t x = r.Left;
        for (std::size_t i = 0; i < g.size(); ++i) {
            const std::int64_t s = x;
            x = static_cast<std::int64_t>(RoundHalfEven(g[i].Percent * unit + static_cast<double>(s)));
            x = i + 1 == g.size() ? last_col : std::min(x, last_col);
            if (x - s <= 0) {
                x = s;
                continue;
            }
            WalkSegment(g[i], x - s, [&](std::int64_t k, std::uint8_t b, std::uint8_t gg, std::uint8_t rr) {
                std::uint8_t* p = first + (s + k) * bpp;
                p[0] = b, p[1] = gg, p[2] = rr;
            });
        }
    }
    const std::size_t bytes = static_cast<std::size_t>(width) * bpp;
    const std::ptrdiff_t delta = bmp.RowDelta();
    std::uint8_t* row = first + r.Left * bpp;
    for (int y = r.Top + 1; y < r.Bottom; ++y) std::memcpy(row + (y - r.Top) * delta, first + r.Left * bpp, bytes);
}

void PaintTriangles(Bitmap& bmp, const TRect& r, std::span<const GradientSegment> g) {
    const std::int32_t xs[5] = {r.Left, r.Left + (r.Right - r.Left) / 2, r.Right, r.Right, r.Left};
    const std::int32_t ys[5] = {r.Top, r.Top + (r.Bottom - r.Top) / 2, r.Top, r.Bottom, r.Bottom};
    GradientVertex v[5];
    TColor c = g[0].Color1;
    for (std::size_t i = 0; i < 5; ++i) {
        if (i < g.size()) c = g[i].Color1;  // a missing vertex repeats the one before
        v[i] = {xs[i], ys[i], static_cast<std::uint16_t>(RedOf(c) << 8), static_cast<std::uint16_t>(GreenOf(c) << 8),
                static_cast<std::uint16_t>(BlueOf(c) << 8)};
    }
    static constexpr GradientTriangle kTriangles[4] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
    FillGradientTriangles(bmp, r, v, kTriangles);
}

}  // namespace

bool GradientPaints(std::span<const GradientSegment> gradient) {
    return !gradient.empty() && gradient[0].Mode >= 0 && gradient[0].Mode <= 2;
}

void PaintGradient(Bitmap& bmp, TRect r, std::span<const GradientSegment> gradient, int offset) {
    if (!detail::Usable(bmp)) return;
    r = detail::ClipToBitmap(r, bmp);
    if (gradient.empty() || detail::IsEmpty(r)) return;
    switch (gradient[0].Mode) {
        case 0:
            PaintVertical(bmp, r, gradient, offset);
            break;
        case 1:
            PaintHorizontal(bmp, r, gradient);
            break;
        case 2:
            PaintTriangles(bmp, r, gradient);
            break;
        default:
            break;
    }
}

}  // namespace velmap::paint
