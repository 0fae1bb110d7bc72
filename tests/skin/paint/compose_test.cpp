#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "skin/paint/compose_kernels.h"
#include "skin/paint/masks.h"
#include "skin/paint/masks_internal.h"
#include "test_util.h"

namespace velmap::paint {
namespace {

using testing::At;
using testing::Bgr;
using testing::Put;

constexpr std::uint8_t Formula(int d, int s, int m) {
    return static_cast<std::uint8_t>(std::min(255, std::max(0, ((d - s) * m + s * 256) >> 8)));
}

// Worked values through the kernels themselves, and through the composing
// of a masked border piece (the pixel path of other pixel sizes included).
TEST(ComposeKernel, WorkedValues) {
    const struct {
        std::uint8_t d, s, m, out;
    } cases[] = {
        {200, 17, 0, 17},     // black mask: the image
        {255, 0, 255, 254},   // white mask: 255/256 of the destination
        {100, 200, 128, 150},
    };
    using Kernel = void (*)(std::uint8_t*, const std::uint8_t*, const std::uint8_t*, std::size_t) noexcept;
    std::vector<Kernel> kernels{&kernels::ComposeRowScalar, &kernels::ComposeRow};
#if defined(VELMAP_HAVE_SSE2)
    kernels.push_back(&kernels::ComposeRowSse2);
#endif
    for (const auto& c : cases) {
        for (std::size_t k = 0; k < kernels.size(); ++k) {
            // 33 bytes: every tail of the wide paths.
            std::vector<std::uint8_t> d(33, c.d), s(33, c.s), m(33, c.m);
            kernels[k](d.data(), s.data(), m.data(), d.size());
            for (std::uint8_t v : d) ASSERT_EQ(v, c.out) << "kernel " << k << " m=" << int{c.m};
        }
        for (const int bpp : {24, 32}) {
            auto img = bpp == 24 ? CreateBitmap24(1, 2) : CreateBitmap32(1, 2);
            auto bmp = bpp == 24 ? CreateBitmap24(1, 1) : CreateBitmap32(1, 1);
            Put(*img, 0, 0, {c.s, c.s, c.s});
            Put(*img, 0, 1, {c.m, c.m, c.m});
            Put(*bmp, 0, 0, {c.d, c.d, c.d});
            MaskView mask;
            mask.R = {0, 0, 1, 2};
            ComposeThroughMask({0, 0, 1, 1}, {0, 0, 1, 1}, *bmp, mask, false, {}, *img);
            EXPECT_EQ(At(*bmp, 0, 0), (Bgr{c.out, c.out, c.out})) << bpp << " bpp, m=" << int{c.m};
        }
    }
}

// Every (d, s, m): the reference states the formula, and the SIMD kernel
// matches it byte for byte over runs whose lengths take every tail path.
TEST(ComposeKernel, ScalarAndSse2MatchTheFormulaForEveryInput) {
    constexpr std::size_t kN = 65536;
    std::vector<std::uint8_t> s(kN + 32), m(kN + 32), scalar(kN + 32), simd(kN + 32);
    for (int mv = 0; mv < 256; ++mv) {
        const std::size_t off = 1 + mv % 13;
        for (std::size_t i = 0; i < kN; ++i) {
            scalar[off + i] = simd[off + i] = static_cast<std::uint8_t>(i);
            s[off + i] = static_cast<std::uint8_t>(i >> 8);
            m[off + i] = static_cast<std::uint8_t>(mv);
        }
        kernels::ComposeRowScalar(scalar.data() + off, s.data() + off, m.data() + off, kN);
        for (std::size_t i = 0; i < kN; ++i)
            ASSERT_EQ(scalar[off + i], Formula(i & 255, i >> 8, mv))
                << "d=" << (i & 255) << " s=" << (i >> 8) << " m=" << mv;
#if defined(VELMAP_HAVE_SSE2)
        const std::size_t n = kN - static_cast<std::size_t>(mv % 24);
        simd[off + n] = 0x5A;
        kernels::ComposeRowSse2(simd.data() + off, s.data() + off, m.data() + off, n);
        ASSERT_EQ(simd[off + n], 0x5A) << "wrote past the run";
        for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(simd[off + i], scalar[off + i]) << "i=" << i << " m=" << mv;
#endif
    }
}

// A 2x1 image over its mask row: a key pixel with mask 0 and a grey pixel
// with mask 128. Corners treat the key pixel by the background's state;
// edges blend it like any other.
TEST(ComposeThroughMask, KeyPixelsOfCornersShowTheBackground) {
    auto img = CreateBitmap24(2, 2);
    Put(*img, 0, 0, {255, 0, 255});
    Put(*img, 1, 0, {100, 100, 100});
    Put(*img, 0, 1, {0, 0, 0});
    Put(*img, 1, 1, {128, 128, 128});
    auto parent = CreateBitmap24(8, 8);
    testing::Fill(*parent, {9, 9, 9});
    Put(*parent, 5, 3, {40, 50, 60});
    MaskView mask;
    mask.Image = img.get();
    mask.R = {0, 0, 2, 2};
    mask.MaskType = 1;

    struct Case {
        bool corner, ready;
        TColor fill;
        Bgr key_pixel;
    };
    const Case cases[] = {
        {true, true, KeyColor, {40, 50, 60}},          // the parent's pixel at (bg.X + x, bg.Y + y)
        {true, false, MakeColor(1, 2, 3), {3, 2, 1}},  // no usable parent: MaskFillColor
        {true, false, KeyColor, {255, 0, 255}},        // nothing to show: the key stays
        {false, true, KeyColor, {255, 0, 255}},        // edges: blended through a black mask
    };
    for (const Case& c : cases) {
        auto dst = CreateBitmap24(4, 3);
        testing::Fill(*dst, {200, 200, 200});
        MaskFillColor = c.fill;
        ComposeThroughMask({2, 1, 4, 2}, {0, 0, 2, 1}, *dst, mask, c.corner, {parent.get(), 3, 2, c.ready}, *img);
        MaskFillColor = KeyColor;
        EXPECT_EQ(At(*dst, 2, 1), c.key_pixel);
        EXPECT_EQ(At(*dst, 3, 1), (Bgr{150, 150, 150}));  // (200 * 128 + 100 * 128) >> 8
        EXPECT_EQ(At(*dst, 1, 1), (Bgr{200, 200, 200}));
    }
}

// The row-at-a-time tiling gives what composing tile by tile gives, for
// every tile size, phase and clipping.
TEST(ComposeTiled, SameAsTileByTile) {
    std::mt19937 rng(11);
    auto img = CreateBitmap24(23, 30);
    testing::FillRandom(*img, rng);
    struct Case {
        TRect to, block;
    };
    const Case cases[] = {
        {{2, 1, 17, 9}, {4, 2, 5, 3}},     // one-pixel tiles
        {{0, 0, 20, 14}, {3, 1, 10, 8}},   // several whole tiles and a cut one
        {{-5, -3, 9, 6}, {0, 0, 7, 5}},    // starting left of and above the bitmap
        {{12, 8, 30, 25}, {1, 4, 23, 7}},  // beyond the right and bottom edges
        {{3, 3, 6, 17}, {8, 0, 16, 3}},    // a run shorter than one tile
    };
    for (const Case& c : cases) {
        auto fast = CreateBitmap24(20, 14), slow = CreateBitmap24(20, 14);
        testing::FillRandom(*fast, rng);
        std::memcpy(slow->ScanLine(13), fast->ScanLine(13), fast->Stride() * 14);
        detail::ComposeTiled(c.to, c.block, *fast, 15, *img);
        detail::TileSpan(c.to.Top, c.to.Bottom, c.block.Height(), [&](std::int64_t py, std::int64_t h) {
            detail::TileSpan(c.to.Left, c.to.Right, c.block.Width(), [&](std::int64_t px, std::int64_t w) {
                const TRect d{int(px), int(py), int(px + w), int(py + h)};
                const TRect s{c.block.Left, c.block.Top, c.block.Left + int(w), c.block.Top + int(h)};
                detail::Compose(d, s, *slow, 15, detail::KeyRule::BlendAll, {}, *img);
            });
        });
        for (int y = 0; y < 14; ++y)
            ASSERT_EQ(std::memcmp(fast->ScanLine(y), slow->ScanLine(y), 60), 0)
                << "row " << y << " of case " << (&c - cases);
    }
}

}  // namespace
}  // namespace velmap::paint
