#include "skin/paint/pixel_ops.h"

#include <gtest/gtest.h>

#include "skin/paint/fast_access.h"
#include "test_util.h"

namespace velmap::paint {
namespace {

using testing::At;
using testing::Bgr;
using testing::Fill;
using testing::Put;

TEST(TacFast, PixelPutsRedInTheLowByte) {
    auto b24 = CreateBitmap24(3, 2);
    Put(*b24, 2, 1, {1, 2, 3});
    TacFast24 f24;
    ASSERT_TRUE(f24.Attach(b24.get()));
    EXPECT_EQ(f24.Pixel(2, 1), 0x010203);
    EXPECT_EQ(f24.Delta, b24->RowDelta());

    auto b32 = Bitmap::Create(2, 2, 32, RowOrder::TopDown);
    std::uint8_t* p = b32->ScanLine(1) + 4;
    p[0] = 1, p[1] = 2, p[2] = 3, p[3] = 200;
    TacFast32 f32;
    ASSERT_TRUE(f32.Attach(b32.get()));
    EXPECT_EQ(f32.Pixel(1, 1) & 0xFFFFFF, 0x010203);
}

TEST(TacFast, AttachRefusesSmallAndForeignBitmaps) {
    TacFast24 f;
    auto row = CreateBitmap24(5, 1);
    f.Width = 9;
    EXPECT_FALSE(f.Attach(row.get()));
    EXPECT_EQ(f.Width, 0);
    EXPECT_FALSE(f.Attach(nullptr));
#ifdef NDEBUG  // a debug build asserts on this caller mistake
    auto b32 = CreateBitmap32(4, 4);
    EXPECT_FALSE(f.Attach(b32.get()));
    EXPECT_EQ(f.Width, 0);
#endif
}

TEST(LimitToByte, Clamps) {
    EXPECT_EQ(LimitToByte(-1), 0);
    EXPECT_EQ(LimitToByte(0), 0);
    EXPECT_EQ(LimitToByte(200), 200);
    EXPECT_EQ(LimitToByte(256), 255);
    EXPECT_EQ(LimitToByte(INT32_MIN), 0);
}

TEST(FillRectColor, FillsTheClippedRectangleWithTheResolvedColour) {
    auto bmp = CreateBitmap24(4, 3);
    testing::MarkPadding(*bmp);
    FillRectColor(*bmp, {-5, 1, 2, 10}, MakeColor(9, 8, 7));
    EXPECT_EQ(At(*bmp, 1, 2), (Bgr{7, 8, 9}));
    EXPECT_EQ(At(*bmp, 2, 2), (Bgr{0, 0, 0}));
    EXPECT_EQ(At(*bmp, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_TRUE(testing::PaddingIntact(*bmp));
    FillRectColor(*bmp, {0, 0, 1, 1}, SystemColor(5));
    const TColor window = ColorToRGB(SystemColor(5));
    EXPECT_EQ(At(*bmp, 0, 0), (Bgr{BlueOf(window), GreenOf(window), RedOf(window)}));
}

TEST(MixColorIntoRect, RightAndBottomAreInclusive) {
    auto bmp = CreateBitmap24(8, 8);
    testing::MarkPadding(*bmp);
    MixColorIntoRect(*bmp, {2, 2, 5, 5}, 0, MakeColor(255, 255, 255));
    int painted = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (At(*bmp, x, y).r == 255) {
                ++painted;
                EXPECT_TRUE(x >= 2 && x <= 5 && y >= 2 && y <= 5) << x << "," << y;
            }
    EXPECT_EQ(painted, 16);

    // (0, 0, W, H) reaches every pixel and no padding.
    MixColorIntoRect(*bmp, {0, 0, 8, 8}, 0, MakeColor(1, 2, 3));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(*bmp, x, y), (Bgr{3, 2, 1}));
    EXPECT_TRUE(testing::PaddingIntact(*bmp));
}

TEST(MixColorIntoRect, RoundsHalfToEvenAndKeepsPercentOfThePixels) {
    auto bmp = CreateBitmap24(2, 2);
    Put(*bmp, 0, 0, {1, 3, 5});
    Put(*bmp, 1, 0, {2, 4, 200});
    MixColorIntoRect(*bmp, {0, 0, 0, 0}, 50, MakeColor(0, 0, 0));
    EXPECT_EQ(At(*bmp, 0, 0), (Bgr{0, 2, 2}));    // 0.5 -> 0, 1.5 -> 2, 2.5 -> 2
    EXPECT_EQ(At(*bmp, 1, 0), (Bgr{2, 4, 200}));  // outside the one-pixel rectangle

    MixColorIntoRect(*bmp, {0, 0, 1, 1}, 100, MakeColor(255, 0, 0));
    EXPECT_EQ(At(*bmp, 1, 0), (Bgr{2, 4, 200}));
    MixColorIntoRect(*bmp, {0, 0, 1, 1}, 25, MakeColor(40, 0, 0));  // r: 200 * .25 + 40 * .75
    EXPECT_EQ(At(*bmp, 1, 0).r, 80);
}

TEST(MixColorIntoRect, PercentOver100ClampsInsteadOfWrapping) {
    auto bmp = CreateBitmap24(2, 2);
    Fill(*bmp, {200, 200, 200});
    MixColorIntoRect(*bmp, {0, 0, 1, 1}, 255, MakeColor(0, 0, 0));
    EXPECT_EQ(At(*bmp, 0, 0), (Bgr{255, 255, 255}));
}

TEST(Grayscale, AveragesTheChannels) {
    auto bmp = CreateBitmap24(3, 2);
    Put(*bmp, 0, 0, {1, 0, 255});  // r = 255, g = 0, b = 1
    Put(*bmp, 1, 0, {255, 0, 255});
    Put(*bmp, 2, 1, {2, 2, 1});
    auto copy = bmp->Clone();
    GrayscaleBitmap(*bmp);
    EXPECT_EQ(At(*bmp, 0, 0), (Bgr{85, 85, 85}));
    EXPECT_EQ(At(*bmp, 1, 0), (Bgr{170, 170, 170}));
    EXPECT_EQ(At(*bmp, 2, 1), (Bgr{1, 1, 1}));

    GrayscaleBitmapExcept(*copy, KeyColor);
    EXPECT_EQ(At(*copy, 0, 0), (Bgr{85, 85, 85}));
    EXPECT_EQ(At(*copy, 1, 0), (Bgr{255, 0, 255}));  // magenta left alone
}

TEST(CopyTransparentPixels, SkipsTheColourAndPositionsOutside) {
    auto src = CreateBitmap24(3, 2), dst = CreateBitmap24(4, 3);
    Fill(*src, {9, 9, 9});
    Put(*src, 1, 0, {255, 0, 255});  // magenta: transparent
    Fill(*dst, {1, 1, 1});
    testing::MarkPadding(*dst);
    CopyTransparentPixels(*dst, *src, 2, -1, KeyColor);
    // Source row 1 lands on row 0, columns 2..3; column 4 is outside.
    EXPECT_EQ(At(*dst, 2, 0), (Bgr{9, 9, 9}));
    EXPECT_EQ(At(*dst, 3, 0), (Bgr{9, 9, 9}));
    EXPECT_EQ(At(*dst, 2, 1), (Bgr{1, 1, 1}));
    EXPECT_TRUE(testing::PaddingIntact(*dst));

    Fill(*dst, {1, 1, 1});
    CopyTransparentPixels(*dst, *src, 0, 0, KeyColor);
    EXPECT_EQ(At(*dst, 0, 0), (Bgr{9, 9, 9}));
    EXPECT_EQ(At(*dst, 1, 0), (Bgr{1, 1, 1}));
    CopyTransparentPixels(*dst, *src, INT32_MIN, INT32_MAX, KeyColor);
}

TEST(BlendBitmapFactor, WeightsRoundingKeysAndInclusiveEdges) {
    auto src = CreateBitmap24(4, 4), dst = CreateBitmap24(3, 3);
    Fill(*src, {100, 100, 100});
    Put(*src, 1, 1, {255, 0, 255});
    Fill(*dst, {0, 0, 0});
    testing::MarkPadding(*dst);
    // k = 0.5 of 0 and 1 rounds to even: 0.5 -> 0; of 0 and 3: 1.5 -> 2.
    Put(*src, 0, 0, {1, 3, 5});
    BlendBitmapFactor(*dst, 0, 0, KeyColor, 0.5, {0, 0, 1, 1}, *src);
    EXPECT_EQ(At(*dst, 0, 0), (Bgr{0, 2, 2}));
    EXPECT_EQ(At(*dst, 1, 0), (Bgr{50, 50, 50}));  // right edge inclusive
    EXPECT_EQ(At(*dst, 1, 1), (Bgr{0, 0, 0}));     // key pixel skipped
    EXPECT_EQ(At(*dst, 2, 0), (Bgr{0, 0, 0}));

    // Top byte 0xFF: every pixel, key colour included.
    Fill(*dst, {0, 0, 0});
    BlendBitmapFactor(*dst, 0, 0, static_cast<TColor>(0xFF000000u | KeyColor), 0.0, {1, 1, 1, 1}, *src);
    EXPECT_EQ(At(*dst, 0, 0), (Bgr{255, 0, 255}));

    // Negative left/top move the destination on; overhang is clipped.
    Fill(*dst, {0, 0, 0});
    BlendBitmapFactor(*dst, 0, 0, KeyColor, 0.0, {-2, -1, 100, 100}, *src);
    EXPECT_EQ(At(*dst, 1, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(At(*dst, 2, 1), (Bgr{1, 3, 5}));
    EXPECT_EQ(At(*dst, 2, 2), (Bgr{100, 100, 100}));
    EXPECT_TRUE(testing::PaddingIntact(*dst));

    // A 32-bit source (a foreign parent cache) reads its colour bytes.
    auto src32 = CreateBitmap32(2, 2);
    Put(*src32, 0, 0, {10, 20, 30});
    BlendBitmapFactor(*dst, 0, 0, KeyColor, 0.0, {0, 0, 1, 1}, *src32);
    EXPECT_EQ(At(*dst, 0, 0), (Bgr{10, 20, 30}));
}

TEST(TintByMask, MaskWeighsTheTint) {
    auto bmp = CreateBitmap24(2, 2), mask = CreateBitmap24(2, 2);
    Fill(*bmp, {100, 100, 100});
    Put(*mask, 0, 0, {255, 128, 0});
    TintByMask(*bmp, *mask, MakeColor(200, 200, 200));
    // m = 0 gives the colour, m = 255 nearly the pixel.
    EXPECT_EQ(At(*bmp, 0, 0), (Bgr{100, 150, 200}));
    EXPECT_EQ(At(*bmp, 1, 1), (Bgr{200, 200, 200}));

    auto other = CreateBitmap24(3, 2);
    Fill(*bmp, {7, 7, 7});
    TintByMask(*bmp, *other, MakeColor(200, 200, 200));
    EXPECT_EQ(At(*bmp, 0, 0), (Bgr{7, 7, 7}));
}

TEST(PaintDisabled, BlendsWithTheParentColourWithoutACache) {
    auto cache = CreateBitmap24(3, 3);
    Fill(*cache, {100, 100, 100});
    ParentBgColor = KeyColor;
    PaintDisabled(*cache, dkBlended, MakeColor(200, 0, 0), {0, 0}, {});
    EXPECT_EQ(At(*cache, 2, 2), (Bgr{50, 50, 150}));

    Fill(*cache, {100, 100, 100});
    ParentBgColor = MakeColor(0, 0, 100);  // takes precedence
    PaintDisabled(*cache, dkBlended, MakeColor(200, 0, 0), {0, 0}, {});
    EXPECT_EQ(At(*cache, 0, 0), (Bgr{100, 50, 50}));
    ParentBgColor = KeyColor;
}

TEST(PaintDisabled, GreysBeforeBlendingWithTheParentCache) {
    auto parent = CreateBitmap24(10, 10);
    Fill(*parent, {50, 50, 50});
    Put(*parent, 6, 5, {250, 0, 0});
    auto cache = CreateBitmap24(3, 3);
    Fill(*cache, {0, 0, 255});  // pure red: greys to 85
    BackgroundSource bg{parent.get(), 2, 1, true};
    PaintDisabled(*cache, dkBlended | dkGrayed, MakeColor(0, 255, 0), {3, 4}, bg);
    // 0.6 * background + 0.4 * grey: 30 + 34 = 64. Blending first would leave red behind.
    EXPECT_EQ(At(*cache, 0, 0), (Bgr{64, 64, 64}));
    // Cache (1, 0) sits over parent (2 + 3 + 1, 1 + 4 + 0).
    EXPECT_EQ(At(*cache, 1, 0), (Bgr{184, 34, 34}));

    Fill(*cache, {0, 0, 255});
    PaintDisabled(*cache, dkGrayed, MakeColor(0, 255, 0), {3, 4}, bg);
    EXPECT_EQ(At(*cache, 1, 1), (Bgr{85, 85, 85}));
}

}  // namespace
}  // namespace velmap::paint
