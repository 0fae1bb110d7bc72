#include "skin/paint/resample.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "skin/paint/paint_util.h"

namespace velmap::paint {

namespace {

constexpr std::int64_t kOne = 65536;  // 1.0 in 16.16

// The source pixels and weights of every destination pixel of one axis.
struct Taps {
    std::vector<std::int32_t> first, count;  // per destination pixel
    std::vector<std::uint32_t> weights;      // count[i] weights from offset[i]
    std::vector<std::size_t> offset;

    void Add(std::int64_t from, const std::int64_t* w, std::size_t n) {
        first.push_back(static_cast<std::int32_t>(from));
        count.push_back(static_cast<std::int32_t>(n));
        offset.push_back(weights.size());
        for (std::size_t i = 0; i < n; ++i) weights.push_back(static_cast<std::uint32_t>(w[i]));
    }
    void Add(std::int64_t from, std::initializer_list<std::int64_t> w) { Add(from, w.begin(), w.size()); }
    void Add(std::int64_t from, const std::vector<std::int64_t>& w) { Add(from, w.data(), w.size()); }
};

std::int64_t RoundDiv(std::int64_t num, std::int64_t den) { return (2 * num + den) / (2 * den); }

// Fills t (keeping its storage) with the taps of one axis.
void AxisTaps(Taps& t, std::int64_t src, std::int64_t dst) {
    t.first.clear(), t.count.clear(), t.weights.clear(), t.offset.clear();
    // Scratch of the one painting thread. Not thread_local: in a DLL each such
    // object pins the module in its host until the thread ends.
    static std::vector<std::int64_t> w;
    for (std::int64_t i = 0; i < dst; ++i) {
        w.clear();
        if (src == dst) {
            t.Add(i, {kOne});
        } else if (dst > src) {
            // Centre of destination pixel i in source pixels, minus 0.5, in
            // units of 1 / (2 dst).
            const std::int64_t num = (2 * i + 1) * src - dst, den = 2 * dst;
            if (num <= 0) {
                t.Add(0, {kOne});
                continue;
            }
            const std::int64_t i0 = num / den, w1 = RoundDiv((num % den) * kOne, den);
            if (i0 + 1 >= src || w1 == 0) {
                t.Add(std::min(i0, src - 1), {kOne});
            } else if (w1 == kOne) {
                t.Add(i0 + 1, {kOne});
            } else {
                t.Add(i0, {kOne - w1, w1});
            }
        } else {
            // Footprint [i src, (i + 1) src) against source pixel j's
            // [j dst, (j + 1) dst), in units of 1 / dst.
            const std::int64_t lo = i * src, hi = (i + 1) * src;
            const std::int64_t j0 = lo / dst, j1 = (hi - 1) / dst;
            std::int64_t sum = 0;
            std::size_t largest = 0;
            for (std::int64_t j = j0; j <= j1; ++j) {
                const std::int64_t overlap = std::min(hi, (j + 1) * dst) - std::max(lo, j * dst);
                w.push_back(RoundDiv(overlap * kOne, src));
                sum += w.back();
                if (w.back() > w[largest]) largest = w.size() - 1;
            }
            w[largest] += kOne - sum;  // exactly 1 in all
            t.Add(j0, w);
        }
    }
}

}  // namespace

void ResampleBox(Bitmap& dst, TRect d, const Bitmap& src, TRect s) {
    if (!detail::Usable(dst) || !detail::Usable(src)) return;
    s = detail::ClipToBitmap(s, src);
    if (detail::IsEmpty(s) || detail::IsEmpty(d)) return;
    const TRect out = detail::ClipToBitmap(d, dst);
    if (detail::IsEmpty(out)) return;

    const std::int64_t sw = s.Width(), sh = s.Height(), dw = d.Width(), dh = d.Height();
    if (sw == dw && sh == dh) {
        detail::CopyPixels(dst, out.Left, out.Top, src, s.Left + (out.Left - d.Left), s.Top + (out.Top - d.Top),
                           out.Width(), out.Height());
        return;
    }
    static Taps tx, ty;
    AxisTaps(tx, sw, dw);
    AxisTaps(ty, sh, dh);
    const int sbpp = src.BytesPerPixel(), dbpp = dst.BytesPerPixel();
    const std::int64_t cols = out.Right - out.Left;

    // Channel sums of one output pixel along x from a source row, scaled by 2^16.
    auto along_x = [&](const std::uint8_t* row, std::int64_t x, std::uint32_t acc[3]) {
        const std::size_t k = static_cast<std::size_t>(x - d.Left);
        acc[0] = acc[1] = acc[2] = 0;
        const std::uint8_t* p = row + tx.first[k] * sbpp;
        const std::uint32_t* w = &tx.weights[tx.offset[k]];
        for (std::int32_t j = 0; j < tx.count[k]; ++j, p += sbpp)
            acc[0] += p[0] * w[j], acc[1] += p[1] * w[j], acc[2] += p[2] * w[j];
    };
    auto put16 = [](std::uint8_t* p, const std::uint32_t acc[3]) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((acc[c] + (1u << 15)) >> 16);
    };

    if (sh == dh) {  // one axis only: a single pass, as exact as two
        for (std::int64_t y = out.Top; y < out.Bottom; ++y) {
            const std::uint8_t* row = detail::PixelAt(src, s.Left, s.Top + (y - d.Top));
            std::uint8_t* p = detail::PixelAt(dst, out.Left, y);
            std::uint32_t acc[3];
            for (std::int64_t x = out.Left; x < out.Right; ++x, p += dbpp) along_x(row, x, acc), put16(p, acc);
        }
        return;
    }
    if (sw == dw) {
        const std::uint8_t* src0 = detail::PixelAt(src, s.Left + (out.Left - d.Left), s.Top);
        const std::ptrdiff_t src_delta = src.RowDelta();
        for (std::int64_t y = out.Top; y < out.Bottom; ++y) {
            const std::size_t k = static_cast<std::size_t>(y - d.Top);
            std::uint8_t* p = detail::PixelAt(dst, out.Left, y);
            const std::uint32_t* w = &ty.weights[ty.offset[k]];
            const std::uint8_t* first = src0 + ty.first[k] * src_delta;
            for (std::int64_t x = 0; x < cols; ++x, p += dbpp) {
                std::uint32_t acc[3] = {0, 0, 0};
                const std::uint8_t* q = first + x * sbpp;
                for (std::int32_t j = 0; j < ty.count[k]; ++j, q += src_delta)
                    acc[0] += q[0] * w[j], acc[1] += q[1] * w[j], acc[2] += q[2] * w[j];
                put16(p, acc);
            }
        }
        return;
    }

    // Both axes: the horizontal pass over the source rows the output needs
    // (sums scaled by 2^16, at most 255 * 2^16), then the vertical one
    // (scaled by 2^32), rounded back to bytes.
    const std::int64_t row0 = ty.first[out.Top - d.Top];
    const std::int64_t row1 = ty.first[out.Bottom - 1 - d.Top] + ty.count[out.Bottom - 1 - d.Top];
    static std::vector<std::uint32_t> mid;
    mid.assign(static_cast<std::size_t>((row1 - row0) * cols * 3), 0);
    for (std::int64_t y = row0; y < row1; ++y) {
        const std::uint8_t* row = detail::PixelAt(src, s.Left, s.Top + y);
        std::uint32_t* m = &mid[static_cast<std::size_t>((y - row0) * cols * 3)];
        for (std::int64_t x = out.Left; x < out.Right; ++x, m += 3) along_x(row, x, m);
    }
    for (std::int64_t y = out.Top; y < out.Bottom; ++y) {
        const std::size_t k = static_cast<std::size_t>(y - d.Top);
        std::uint8_t* p = detail::PixelAt(dst, out.Left, y);
        for (std::int64_t x = 0; x < cols; ++x, p += dbpp) {
            std::uint64_t acc[3] = {0, 0, 0};
            for (std::int32_t j = 0; j < ty.count[k]; ++j) {
                const std::uint32_t* m = &mid[static_cast<std::size_t>(((ty.first[k] + j - row0) * cols + x) * 3)];
                const std::uint64_t w = ty.weights[ty.offset[k] + j];
                acc[0] += m[0] * w, acc[1] += m[1] * w, acc[2] += m[2] * w;
            }
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((acc[c] + (std::uint64_t{1} << 31)) >> 32);
        }
    }
}

void RasterizeGradientTriangles(Bitmap& bmp, TRect clip, std::span<const GradientVertex> vertices,
                                std::span<const GradientTriangle> triangles) {
    if (!detail::Usable(bmp)) return;
    clip = detail::ClipToBitmap(clip, bmp);
    if (detail::IsEmpty(clip)) return;
    const auto n = static_cast<int>(vertices.size());
    struct Tri {
        const GradientVertex *a, *b, *c;
        std::int64_t area;
    };
    std::vector<Tri> tris;
    for (const GradientTriangle& t : triangles) {
        if (t.V0 < 0 || t.V1 < 0 || t.V2 < 0 || t.V0 >= n || t.V1 >= n || t.V2 >= n) continue;
        const GradientVertex &a = vertices[t.V0], &b = vertices[t.V1], &c = vertices[t.V2];
        const std::int64_t area = (std::int64_t{b.X} - a.X) * (std::int64_t{c.Y} - a.Y) -
                                  (std::int64_t{b.Y} - a.Y) * (std::int64_t{c.X} - a.X);
        if (area != 0) tris.push_back({&a, &b, &c, area});
    }
    auto cross = [](const GradientVertex& p, const GradientVertex& q, std::int64_t x, std::int64_t y) {
        return (std::int64_t{q.X} - p.X) * (y - p.Y) - (std::int64_t{q.Y} - p.Y) * (x - p.X);
    };
    const int bpp = bmp.BytesPerPixel();
    for (std::int64_t y = clip.Top; y < clip.Bottom; ++y) {
        std::uint8_t* px = detail::PixelAt(bmp, clip.Left, y);
        for (std::int64_t x = clip.Left; x < clip.Right; ++x, px += bpp) {
            for (const Tri& t : tris) {
                // Each weight is the area of the sub-triangle opposite its vertex.
                std::int64_t wa = cross(*t.b, *t.c, x, y), wb = cross(*t.c, *t.a, x, y), wc = cross(*t.a, *t.b, x, y);
                std::int64_t area = t.area;
                if (area < 0) wa = -wa, wb = -wb, wc = -wc, area = -area;
                if (wa < 0 || wb < 0 || wc < 0) continue;
                auto mix = [&](std::uint16_t GradientVertex::*ch) {
                    return static_cast<std::uint8_t>(((wa * (t.a->*ch) + wb * (t.b->*ch) + wc * (t.c->*ch)) / area) >>
                                                     8);
                };
                px[0] = mix(&GradientVertex::Blue);
                px[1] = mix(&GradientVertex::Green);
                px[2] = mix(&GradientVertex::Red);
                break;
            }
        }
    }
}

}  // namespace velmap::paint
