#include <gtest/gtest.h>

#include "skin/paint/paint_device.h"
#include "skin/paint/resample.h"
#include "skin/paint/textures.h"
#include "test_util.h"

namespace velmap::paint {
namespace {

using testing::At;
using testing::Bgr;
using testing::Put;

constexpr Bgr kBlank{1, 1, 1};

// A 3 x 3 texture at (2, 1) of a larger image; pixel (x, y) of the region
// is red 10 + x, green 20 + y.
struct Texture {
    std::unique_ptr<Bitmap> img = CreateBitmap24(8, 8);
    MaskView view;
    Texture(int mode, int mask_type = 0, int h = 3) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                Put(*img, x, y, {0, static_cast<std::uint8_t>(20 + y - 1), static_cast<std::uint8_t>(10 + x - 2)});
        view.Image = img.get();
        view.R = {2, 1, 5, 1 + h};
        view.MaskType = mask_type;
        view.StretchMode = mode;
    }
};

// The fill-mode table: what is covered, with which tile phase, and what is
// reported as left over.
TEST(FillByStretchMode, ModesCoverAndReport) {
    struct Case {
        int mode;
        TRect rest;          // in rectangle coordinates (origin at D's corner)
        int tile_x, tile_y;  // a covered pixel and the texture pixel it shows
        int tex_x, tex_y;
    };
    const Case cases[] = {
        {0, kAllCovered, 7, 4, 1, 1},       {2, {0, 3, 10, 10}, 9, 2, 0, 2},
        {3, {3, 0, 10, 10}, 2, 9, 2, 0},    {6, {0, 0, 10, 7}, 4, 7, 1, 0},  // one row along the bottom edge
        {7, {0, 0, 7, 10}, 9, 5, 0, 2},  // right band, grid anchored at the left edge
        {13, {0, 0, 7, 10}, 7, 0, 1, 0},    {10, kAllCovered, 8, 8, 2, 2},
        {99, {0, 0, 10, 10}, -1, -1, 0, 0},  // not a fill mode: nothing
    };
    for (const Case& c : cases) {
        Texture t(c.mode);
        auto dst = CreateBitmap24(14, 14);
        testing::Fill(*dst, kBlank);
        TRect d{2, 2, 12, 12};
        FillByStretchMode(*dst, d, nullptr, c.mode, t.view);
        const TRect rest = c.rest == kAllCovered
                               ? kAllCovered
                               : TRect{c.rest.Left + 2, c.rest.Top + 2, c.rest.Right + 2, c.rest.Bottom + 2};
        EXPECT_EQ(d, rest) << "mode " << c.mode;
        if (c.tile_x >= 0) {
            EXPECT_EQ(At(*dst, 2 + c.tile_x, 2 + c.tile_y),
                      (Bgr{0, static_cast<std::uint8_t>(20 + c.tex_y), static_cast<std::uint8_t>(10 + c.tex_x)}))
                << "mode " << c.mode;
        }
        for (int i = 0; i < 14; ++i) ASSERT_EQ(At(*dst, 12, i), kBlank) << "mode " << c.mode;
    }
}

// Mode 10 lays whole tile rows only: 10 rows of 3-row tiles paint rows 0..8.
TEST(FillByStretchMode, ModeTenLeavesTheBottomBand) {
    Texture t(10);
    auto dst = CreateBitmap24(10, 10);
    testing::Fill(*dst, kBlank);
    TRect d{0, 0, 10, 10};
    FillByStretchMode(*dst, d, nullptr, 10, t.view);
    EXPECT_NE(At(*dst, 9, 8), kBlank);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(*dst, x, 9), kBlank);
}

// A masked texture that fits exactly keeps its last row of tiles; mode
// 10's band right of the whole tiles shows the parent's cache at the
// item's place, mode 0 cuts a last column there.
TEST(PaintMaskedTexture, ExactFitAndBackgroundBand) {
    Texture t(10, 1, 4);  // 3 x 2 tiles over their mask rows, mask black
    for (int y = 3; y < 5; ++y)
        for (int x = 2; x < 5; ++x) Put(*t.img, x, y, {0, 0, 0});
    auto parent = CreateBitmap24(20, 20);
    testing::Fill(*parent, {50, 60, 70});
    for (int mode : {0, 10}) {
        auto dst = CreateBitmap24(8, 6);
        testing::Fill(*dst, kBlank);
        PaintMaskedTexture(*dst, {0, 0, 7, 4}, {parent.get(), 4, 4, true}, mode, t.view);
        EXPECT_EQ(At(*dst, 5, 3), (Bgr{0, 21, 12})) << "the last whole row, mode " << mode;
        EXPECT_EQ(At(*dst, 6, 0), mode == 0 ? (Bgr{0, 20, 10}) : (Bgr{50, 60, 70})) << "mode " << mode;
        EXPECT_EQ(At(*dst, 2, 4), kBlank);
        EXPECT_EQ(At(*dst, 7, 2), kBlank);
    }
}

// The portable resampler: copies at scale 1, averages what a shrunk pixel
// covers, keeps runs of one value exact when enlarging.
TEST(ResampleBox, CopiesAveragesAndInterpolates) {
    auto src = CreateBitmap24(4, 2);
    const std::uint8_t row[4] = {0, 100, 200, 40};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) Put(*src, x, y, {row[x], 77, static_cast<std::uint8_t>(y * 90)});
    auto dst = CreateBitmap24(9, 4);
    ResampleBox(*dst, {0, 0, 4, 2}, *src, {0, 0, 4, 2});
    EXPECT_EQ(At(*dst, 2, 1), (Bgr{200, 77, 90}));
    ResampleBox(*dst, {0, 0, 2, 1}, *src, {0, 0, 4, 2});
    EXPECT_EQ(At(*dst, 0, 0), (Bgr{50, 77, 45}));
    EXPECT_EQ(At(*dst, 1, 0), (Bgr{120, 77, 45}));
    ResampleBox(*dst, {0, 0, 9, 4}, *src, {0, 0, 3, 1});
    for (int x = 0; x < 9; ++x) EXPECT_EQ(At(*dst, x, 3).g, 77);
    EXPECT_EQ(At(*dst, 0, 2).b, 0);
    EXPECT_EQ(At(*dst, 8, 0).b, 200);
    EXPECT_EQ(At(*dst, 4, 0).b, 100);                     // the middle source pixel's centre
    ResampleBox(*dst, {0, 0, 4, 4}, *src, {0, 0, 4, 2});  // rows only: 0, a quarter of the way, ..., 90
    EXPECT_EQ(At(*dst, 1, 0), (Bgr{100, 77, 0}));
    EXPECT_EQ(At(*dst, 1, 1), (Bgr{100, 77, 23}));
    EXPECT_EQ(At(*dst, 1, 3), (Bgr{100, 77, 90}));
}

// The platform's halftone stretch, wherever it comes from: along an axis on
// which the source does not change, the stretched pixels are the source's.
TEST(StretchHalftone, UniformAxisIsExact) {
    auto src = CreateBitmap24(3, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) Put(*src, x, y, {static_cast<std::uint8_t>(40 * y), 9, 200});
    auto dst = CreateBitmap24(12, 5);
    testing::Fill(*dst, kBlank);
    StretchHalftone(*dst, {1, 0, 11, 5}, *src, {0, 0, 3, 5});
    for (int y = 0; y < 5; ++y) {
        for (int x = 1; x < 11; ++x) ASSERT_EQ(At(*dst, x, y), (Bgr{static_cast<std::uint8_t>(40 * y), 9, 200}));
        EXPECT_EQ(At(*dst, 0, y), kBlank);
        EXPECT_EQ(At(*dst, 11, y), kBlank);
    }
}

}  // namespace
}  // namespace velmap::paint
