#include <gtest/gtest.h>

#include "skin/paint/masks.h"
#include "skin/paint/textures.h"
#include "test_util.h"

namespace velmap::paint {
namespace {

using testing::At;
using testing::Bgr;
using testing::Put;

// An image whose pixel (x, y) says where it came from: red x, green y.
std::unique_ptr<Bitmap> Coded(int w, int h, std::uint8_t tag = 7) {
    auto img = CreateBitmap24(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Put(*img, x, y, {tag, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x)});
    return img;
}

MaskView Border(Bitmap* img, TRect r, int frames, int mask_type, int wl, int wt, int wr, int wb, int stretch) {
    MaskView m;
    m.Image = img;
    m.R = r;
    m.ImageCount = frames;
    m.MaskType = mask_type;
    m.WL = wl, m.WT = wt, m.WR = wr, m.WB = wb;
    m.StretchMode = stretch;
    return m;
}

TEST(FitBorderWidths, WidthsNeverExceedTheRectangle) {
    struct Case {
        int wl, wr, size, fitted_wl, fitted_wr;
    };
    const Case cases[] = {
        {3, 3, 5, 3, 2}, {3, 3, 4, 2, 2}, {3, 3, 9, 3, 3},
        {3, 2, 4, 3, 1},  // halving leaves one too many: taken from the right
        {6, 6, 1, 1, 0}, {5, 0, 3, 3, 0}, {-2, 4, 10, 0, 4},
    };
    for (const Case& c : cases) {
        MaskView m = Border(nullptr, {}, 1, 0, c.wl, c.wl, c.wr, c.wr, 0);
        const BorderWidths w = FitBorderWidths(m, c.size, c.size);
        EXPECT_EQ(w.WL, c.fitted_wl) << c.wl << "+" << c.wr << " into " << c.size;
        EXPECT_EQ(w.WR, c.fitted_wr) << c.wl << "+" << c.wr << " into " << c.size;
        EXPECT_EQ(w.WT, c.fitted_wl);
        EXPECT_EQ(w.WB, c.fitted_wr);
    }
}

// Edges are tiled from their start with whole tiles of the source middle,
// the last one cut; corners come from the frame's corners.
TEST(DrawBorderMask, TilesEdgesInColumnOrder) {
    auto img = Coded(9, 3);
    const MaskView m = Border(img.get(), {0, 0, 9, 3}, 1, 0, 2, 1, 2, 1, 0);
    auto dst = CreateBitmap24(16, 3);
    DrawBorderMask(*dst, {0, 0, 16, 3}, false, false, 0, m, {});
    const int expected[16] = {0, 1, 2, 3, 4, 5, 6, 2, 3, 4, 5, 6, 2, 3, 7, 8};
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(At(*dst, x, 0).r, expected[x]) << "top, column " << x;
        EXPECT_EQ(At(*dst, x, 2).r, expected[x]) << "bottom, column " << x;
        EXPECT_EQ(At(*dst, x, 2).g, 2);
    }
    EXPECT_EQ(At(*dst, 0, 1), (Bgr{7, 1, 0}));   // left edge
    EXPECT_EQ(At(*dst, 15, 1), (Bgr{7, 1, 8}));  // right edge
    EXPECT_EQ(At(*dst, 8, 1), (Bgr{0, 0, 0}));   // no centre asked for
}

// Which frame, whether drawn at all, and whether the centre is drawn.
TEST(DrawBorderMask, FramesStateZeroBitAndCentre) {
    auto img = Coded(30, 10);  // three 10 x 10 frames
    struct Case {
        int state, stretch;
        bool centre;
        int corner_red;  // red of pixel (0, 0): the frame's left column; -1: not drawn
        bool centre_drawn;
    };
    const Case cases[] = {
        {0, 0, true, 0, false},   {1, 0, false, 10, false},
        {5, 0, false, 20, false},                            // beyond the last frame: the last
        {0, 2, false, -1, false}, {1, 2, false, 10, false},  // bit 2: not in state 0
        {1, 4, false, 10, false}, {1, 4, true, 10, true},
        {1, 5, true, 10, true},  // bit 4: centre when asked
    };
    for (const Case& c : cases) {
        const MaskView m = Border(img.get(), {0, 0, 30, 10}, 3, 0, 3, 3, 3, 3, c.stretch);
        auto dst = CreateBitmap24(12, 12);
        testing::Fill(*dst, {1, 1, 1});
        DrawBorderMask(*dst, {0, 0, 12, 12}, c.centre, false, c.state, m, {});
        if (c.corner_red < 0)
            EXPECT_EQ(At(*dst, 0, 0), (Bgr{1, 1, 1}));
        else
            EXPECT_EQ(At(*dst, 0, 0).r, c.corner_red) << "state " << c.state;
        EXPECT_EQ(At(*dst, 6, 6) != (Bgr{1, 1, 1}), c.centre_drawn) << "stretch " << c.stretch;
    }
}

// Whatever the mask, no pixel outside the item's rectangle changes: key
// corners, the next frame's first column, tiles and stretches all stay in.
TEST(DrawBorderMask, NothingOutsideTheRectangleChanges) {
    auto img = Coded(24, 16);
    Put(*img, 0, 0, {255, 0, 255});
    auto parent = CreateBitmap24(30, 30);
    testing::Fill(*parent, {90, 80, 70});
    for (int mask_type : {0, 1})
        for (int stretch : {0, 1, 4, 5})
            for (int w : {2, 3, 5, 9, 17}) {
                const MaskView m = Border(img.get(), {0, 0, 24, 16}, 2, mask_type, 4, 3, 4, 3, stretch);
                auto dst = CreateBitmap24(24, 14);
                testing::Fill(*dst, {1, 2, 3});
                const TRect d{2, 3, 2 + w, 3 + 8};
                DrawBorderMask(*dst, d, true, true, w % 2, m, {parent.get(), 0, 0, true});
                for (int y = 0; y < 14; ++y)
                    for (int x = 0; x < 24; ++x)
                        if (x < d.Left || x >= d.Right || y < d.Top || y >= d.Bottom) {
                            ASSERT_EQ(At(*dst, x, y), (Bgr{1, 2, 3}))
                                << "mask type " << mask_type << " stretch " << stretch << " width " << w << " at " << x
                                << "," << y;
                        }
            }
}

// A glyph at a negative position loses the columns and rows left of and
// above the bitmap; its key pixels are left out.
TEST(DrawGlyphMask, NegativePositionCutsTheFrame) {
    auto img = Coded(12, 3);  // three 4 x 3 frames
    Put(*img, 7, 2, {255, 0, 255});
    MaskView m = Border(img.get(), {0, 0, 12, 3}, 3, 0, 0, 0, 0, 0, 0);
    auto dst = CreateBitmap24(5, 5);
    testing::Fill(*dst, {1, 1, 1});
    DrawGlyphMask(*dst, {-2, -1}, 1, m, 1);
    EXPECT_EQ(At(*dst, 0, 0), (Bgr{7, 1, 6}));  // frame 1 starts at column 4; two columns and a row cut
    EXPECT_EQ(At(*dst, 1, 0), (Bgr{7, 1, 7}));
    EXPECT_EQ(At(*dst, 1, 1), (Bgr{1, 1, 1}));  // the key pixel (7, 2)
    EXPECT_EQ(At(*dst, 2, 0), (Bgr{1, 1, 1}));  // the frame ends after two columns
}

// An image of its own without a mask half has no mask rows: it is drawn
// as it is, without reading below the image; paler in the faded mode.
TEST(DrawGlyphMask, OwnImageWithoutMaskHalfReadsNoMaskRows) {
    auto img = Coded(4, 3, 200);
    MaskView m = Border(img.get(), {0, 0, 4, 3}, 1, 0, 0, 0, 0, 0, 0);
    m.OwnImage = true;
    auto dst = CreateBitmap24(4, 3);
    DrawGlyphMask(*dst, {0, 0}, 0, m, 1);
    EXPECT_EQ(At(*dst, 3, 2), (Bgr{200, 2, 3}));
    testing::Fill(*dst, {0, 0, 0});
    DrawGlyphMask(*dst, {0, 0}, 0, m, 0);
    EXPECT_EQ(At(*dst, 3, 2).b, (200 * 156) >> 8);  // mask 0 + 100
}

// Values a skin file can smuggle in never reach outside a bitmap (the
// sanitizers watch) and paint nothing outside the rectangle.
TEST(MaskValues, OutOfRangeValuesStayInside) {
    auto img = Coded(8, 8);
    auto parent = CreateBitmap24(3, 3);
    const MaskView cases[] = {
        Border(img.get(), {0, 0, 8, 8}, 0, 1, 2, 2, 2, 2, 1),      // no frames
        Border(img.get(), {4, 4, 40, 40}, 1, 1, 3, 3, 3, 3, 4),    // region beyond the image
        Border(img.get(), {-6, -6, 6, 6}, 2, 0, -3, 9, -1, 9, 5),  // negative widths, region before it
        Border(img.get(), {0, 0, 8, 8}, 1, 3, 1, 1, 1, 1, 99),     // a fill mode nobody knows
        Border(img.get(), {6, 6, 2, 2}, 1, -2, 1, 1, 1, 1, 10),    // inverted region
    };
    for (const MaskView& m : cases) {
        auto dst = CreateBitmap24(12, 12);
        testing::Fill(*dst, {5, 5, 5});
        const TRect d{1, 1, 11, 11};
        TRect fill = d;
        for (int state : {0, 1, 7}) {
            DrawBorderMask(*dst, d, true, true, state, m, {parent.get(), -4, 9, true});
            DrawGlyphMask(*dst, {-3, -3}, state, m, 0);
        }
        FillByStretchMode(*dst, fill, nullptr, m.StretchMode, m);
        PaintMaskedTexture(*dst, d, {parent.get(), 5, -5, true}, 10, m);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(At(*dst, 11, i), (Bgr{5, 5, 5}));
            EXPECT_EQ(At(*dst, i, 11), (Bgr{5, 5, 5}));
        }
    }
}

}  // namespace
}  // namespace velmap::paint
