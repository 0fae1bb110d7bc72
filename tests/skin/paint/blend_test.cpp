#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "skin/paint/blend_kernels.h"
#include "skin/paint/fast_access.h"
#include "skin/paint/pixel_ops.h"
#include "test_util.h"

namespace velmap::paint {
namespace {

using testing::At;
using testing::Bgr;
using testing::Fill;
using testing::Put;

constexpr std::uint8_t Formula(int d, int s, int a) {
    return static_cast<std::uint8_t>((d * a + s * (255 - a) + 127) >> 8);
}

TEST(BlendKernel, WorkedValues) {
    EXPECT_EQ(Formula(255, 0, 255), 254);  // a kept white still darkens
    EXPECT_EQ(Formula(0, 255, 0), 254);    // so does a fully taken white
    EXPECT_EQ(Formula(0, 255, 127), 127);
}

// Every (d, s, a): the reference states the formula, and the SIMD kernel
// matches the reference byte for byte. The runs start at odd offsets and
// have odd lengths so that every tail path of the SIMD kernel is taken.
TEST(BlendKernel, ScalarAndSse2MatchTheFormulaForEveryInput) {
    constexpr std::size_t kN = 65536;
    std::vector<std::uint8_t> src(kN + 64), scalar(kN + 64), simd(kN + 64);
    for (int a = 0; a < 256; ++a) {
        const std::size_t off = 1 + a % 15;
        for (std::size_t i = 0; i < kN; ++i) {
            scalar[off + i] = simd[off + i] = static_cast<std::uint8_t>(i);
            src[off + i] = static_cast<std::uint8_t>(i >> 8);
        }
        kernels::BlendRowScalar(scalar.data() + off, src.data() + off, kN, static_cast<std::uint8_t>(a));
        for (std::size_t i = 0; i < kN; ++i)
            ASSERT_EQ(scalar[off + i], Formula(i & 255, i >> 8, a))
                << "d=" << (i & 255) << " s=" << (i >> 8) << " a=" << a;
#if defined(VELMAP_HAVE_SSE2)
        // Lengths n and n - 1..n - 23 cover the 16-, 8- and 1-byte paths.
        const std::size_t n = kN - static_cast<std::size_t>(a % 24);
        simd[off + n] = 0x5A;
        kernels::BlendRowSse2(simd.data() + off, src.data() + off, n, static_cast<std::uint8_t>(a));
        ASSERT_EQ(simd[off + n], 0x5A) << "wrote past the run, a=" << a;
        ASSERT_EQ(simd[off - 1], 0) << "wrote before the run, a=" << a;
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(simd[off + i], scalar[off + i]) << "d=" << (i & 255) << " s=" << (i >> 8) << " a=" << a;
#endif
    }
}

// Whole bitmaps of every small width: each pixel gets the formula, row
// padding keeps its canary, in both row orders.
TEST(BlendBitmaps, EveryWidthBlendsPixelsAndNeverWritesPadding) {
    std::mt19937 rng(7);
    for (RowOrder order : {RowOrder::BottomUp, RowOrder::TopDown}) {
        for (int w = 2; w <= 41; ++w) {
            auto dst = Bitmap::Create(w, 3, 24, order);
            auto src = Bitmap::Create(w, 3, 24, order == RowOrder::TopDown ? RowOrder::BottomUp : RowOrder::TopDown);
            testing::FillRandom(*dst, rng);
            testing::FillRandom(*src, rng);
            testing::MarkPadding(*dst);
            testing::MarkPadding(*src);
            auto before = dst->Clone();
            const std::uint8_t a = static_cast<std::uint8_t>(rng());
            BlendBitmaps(*dst, *src, a);
            ASSERT_TRUE(testing::PaddingIntact(*dst)) << "w=" << w;
            for (int y = 0; y < 3; ++y)
                for (int i = 0; i < w * 3; ++i)
                    ASSERT_EQ(dst->ScanLine(y)[i], Formula(before->ScanLine(y)[i], src->ScanLine(y)[i], a))
                        << "w=" << w << " y=" << y << " byte " << i;
        }
    }
}

TEST(BlendBitmaps, DifferentSizesOrTooSmallOrWrongFormatChangeNothing) {
    auto dst = CreateBitmap24(4, 4), src = CreateBitmap24(4, 5);
    Fill(*dst, {10, 20, 30});
    Fill(*src, {200, 200, 200});
    BlendBitmaps(*dst, *src, 0);
    EXPECT_EQ(At(*dst, 3, 3), (Bgr{10, 20, 30}));

    auto thin = CreateBitmap24(1, 4), thin_src = CreateBitmap24(1, 4);
    Fill(*thin, {10, 20, 30});
    BlendBitmaps(*thin, *thin_src, 0);
    EXPECT_EQ(At(*thin, 0, 0), (Bgr{10, 20, 30}));

    auto wide = CreateBitmap32(4, 4);
    BlendBitmaps(*wide, *dst, 0);
    EXPECT_EQ(wide->ScanLine(0)[0], 0);
}

TEST(TacFastSum24, RefusesBitmapsOfAnotherFormat) {
    auto b24 = CreateBitmap24(4, 4), b32 = CreateBitmap32(4, 4);
    TacFastSum24 sum;
    EXPECT_TRUE(sum.Attach(b24.get(), b24.get()));
#ifdef NDEBUG  // a debug build asserts on this caller mistake
    EXPECT_FALSE(sum.Attach(b32.get(), b24.get()));
    EXPECT_FALSE(sum.Attach(b24.get(), b32.get()));
#endif
    auto small = CreateBitmap24(2, 1);
    EXPECT_FALSE(sum.Attach(small.get(), b24.get()));
}

TEST(TacFastSum24, BlendKeepsRectanglesInsideBothBitmaps) {
    auto dst = CreateBitmap24(5, 4), src = CreateBitmap24(3, 3);
    Fill(*dst, {0, 0, 0});
    Fill(*src, {255, 255, 255});
    testing::MarkPadding(*dst);
    TacFastSum24 sum;
    ASSERT_TRUE(sum.Attach(src.get(), dst.get()));
    sum.Alpha = 0;
    // Asks for far more than either bitmap has, starting left of both.
    sum.DstX1 = -2, sum.DstY1 = -1, sum.DstX2 = 50, sum.DstY2 = 50;
    sum.SrcX1 = -1, sum.SrcY1 = 0;
    sum.Blend();
    // Destination x takes source x + 1; only source columns 0..2 exist.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 0 && x + 1 < 3 && y >= 0 && y + 1 < 3;
            EXPECT_EQ(At(*dst, x, y).g, inside ? 254 : 0) << x << "," << y;
        }
    EXPECT_TRUE(testing::PaddingIntact(*dst));

    sum.DstX1 = 3, sum.DstX2 = 3;  // empty
    Fill(*dst, {1, 1, 1});
    sum.Blend();
    EXPECT_EQ(At(*dst, 3, 0), (Bgr{1, 1, 1}));
}

TEST(BlendBitmapRect, WhiteEdgesOfTheRule) {
    auto dst = CreateBitmap24(3, 3), src = CreateBitmap24(3, 3);
    Fill(*dst, {255, 255, 255});
    Fill(*src, {0, 0, 0});
    BlendBitmapRect(*dst, *src, 255, {0, 0}, {0, 0, 3, 3});
    EXPECT_EQ(At(*dst, 1, 1), (Bgr{254, 254, 254}));

    Fill(*dst, {0, 0, 0});
    Fill(*src, {255, 255, 255});
    BlendBitmapRect(*dst, *src, 0, {0, 0}, {0, 0, 3, 3});
    EXPECT_EQ(At(*dst, 2, 2), (Bgr{254, 254, 254}));

    Fill(*dst, {0, 0, 0});
    BlendBitmapRect(*dst, *src, WeightFromPercent(50), {0, 0}, {0, 0, 3, 3});
    EXPECT_EQ(At(*dst, 0, 0), (Bgr{127, 127, 127}));
}

TEST(BlendBitmapRect, WeightFromPercentTruncates) {
    EXPECT_EQ(WeightFromPercent(50), 127);
    EXPECT_EQ(WeightFromPercent(100), 255);
    EXPECT_EQ(WeightFromPercent(1), 2);
    EXPECT_EQ(WeightFromPercent(0), 0);
}

// Source columns are numbered into the green byte so that the test can see
// which source pixel landed where (weight 0 takes the source: v * 255 + 127 >> 8).
TEST(BlendBitmapRect, ClipsOnEverySide) {
    auto src = CreateBitmap24(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            Put(*src, x, y, {0, static_cast<std::uint8_t>(10 * (x + 1)), static_cast<std::uint8_t>(10 * (y + 1))});
    auto taken = [](int v) { return static_cast<std::uint8_t>((v * 255 + 127) >> 8); };

    // A destination point at (-3, 0): source from its fourth column on lands at column 0.
    auto dst = CreateBitmap24(5, 4);
    testing::MarkPadding(*dst);
    BlendBitmapRect(*dst, *src, 0, {-3, 0}, {0, 0, 6, 4});
    EXPECT_EQ(At(*dst, 0, 0).g, taken(40));
    EXPECT_EQ(At(*dst, 2, 0).g, taken(60));
    EXPECT_EQ(At(*dst, 3, 0).g, 0);
    EXPECT_TRUE(testing::PaddingIntact(*dst));

    // A source rectangle starting left of and above the source moves the point on.
    dst = CreateBitmap24(5, 4);
    BlendBitmapRect(*dst, *src, 0, {0, 0}, {-2, -1, 2, 2});
    EXPECT_EQ(At(*dst, 1, 1).g, 0);
    EXPECT_EQ(At(*dst, 2, 1), (Bgr{0, taken(10), taken(10)}));
    EXPECT_EQ(At(*dst, 3, 2), (Bgr{0, taken(20), taken(20)}));
    EXPECT_EQ(At(*dst, 4, 2).g, 0);

    // Right and bottom overhang past both bitmaps are cut.
    dst = CreateBitmap24(4, 3);
    testing::MarkPadding(*dst);
    BlendBitmapRect(*dst, *src, 0, {2, 1}, {3, 1, 100, 100});
    EXPECT_EQ(At(*dst, 2, 1), (Bgr{0, taken(40), taken(20)}));
    EXPECT_EQ(At(*dst, 3, 2), (Bgr{0, taken(50), taken(30)}));
    EXPECT_EQ(At(*dst, 1, 1).g, 0);
    EXPECT_TRUE(testing::PaddingIntact(*dst));

    // Points beyond the destination and extreme values draw nothing and do not overflow.
    dst = CreateBitmap24(4, 3);
    BlendBitmapRect(*dst, *src, 0, {4, 0}, {0, 0, 6, 4});
    BlendBitmapRect(*dst, *src, 0, {INT32_MIN, INT32_MIN}, {INT32_MIN, 0, INT32_MAX, INT32_MAX});
    BlendBitmapRect(*dst, *src, 0, {INT32_MAX, 0}, {0, 0, INT32_MAX, 4});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(At(*dst, x, y), (Bgr{0, 0, 0}));
}

}  // namespace
}  // namespace velmap::paint
