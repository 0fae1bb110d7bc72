#include <gtest/gtest.h>

#include <vector>

#include "skin/paint/gradient.h"
#include "test_util.h"

namespace velmap::paint {
namespace {

using testing::At;
using testing::Bgr;

TColor Grey(int v) { return MakeColor(v, v, v); }

// The hot face of the band's SPEEDBUTTON and the normal face of its BUTTON.
const TsGradArray kSpeedButtonHot = {{Grey(0x80), Grey(0x52), 51, 0},
                                     {Grey(0x52), Grey(0x3B), 2, 0},
                                     {Grey(0x3B), Grey(0x21), 44, 0},
                                     {Grey(0x21), Grey(0x21), 0, 0}};
const TsGradArray kButton = {{Grey(0x52), Grey(0x3B), 51, 0}, {Grey(0x3B), Grey(0x2A), 49, 0}};

// Rows worked out by hand from the accumulator rule: a single-precision
// running value, a double step, half to even (52.5 -> 52, 39.5 -> 40);
// a segment's last row is repainted by the next one's first.
struct Rows {
    const TsGradArray* gradient;
    int height;
    std::vector<int> grey;
};
const Rows kRows[] = {
    {&kSpeedButtonHot, 20, {128, 123, 119, 114, 110, 105, 100, 96, 91, 87, 59, 56, 52, 49, 46, 43, 40, 36, 33, 33}},
    {&kSpeedButtonHot, 14, {128, 121, 115, 108, 102, 95, 89, 59, 55, 50, 46, 42, 37, 33}},
    {&kButton, 20, {82, 80, 77, 75, 73, 70, 68, 66, 64, 61, 59, 57, 55, 53, 51, 50, 48, 46, 44, 42}},
    {&kButton, 14, {82, 79, 75, 72, 69, 66, 62, 59, 56, 53, 51, 48, 45, 42}},
};

TEST(PaintGradient, VerticalRowsOfTheBandsFaces) {
    for (const Rows& row : kRows) {
        auto bmp = CreateBitmap24(5, row.height);
        PaintGradient(*bmp, {0, 0, 5, row.height}, *row.gradient);
        for (int y = 0; y < row.height; ++y) {
            const auto v = static_cast<std::uint8_t>(row.grey[y]);
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(At(*bmp, x, y), (Bgr{v, v, v})) << "height " << row.height << " row " << y;
        }
    }
}

// Horizontal segment ends are rounded half to even from the running
// position: 50 % of 10 ends at column 5, of 5 at 2 (2.5), of 13 at 6 (6.5).
TEST(PaintGradient, HorizontalSegmentEndsRoundHalfToEven) {
    struct Case {
        int width, end;
    };
    for (const Case c : {Case{10, 5}, Case{5, 2}, Case{13, 6}}) {
        const TsGradArray g = {{Grey(0), Grey(100), 50, 1}, {Grey(200), Grey(250), 0, 1}};
        auto bmp = CreateBitmap24(c.width, 3);
        PaintGradient(*bmp, {0, 0, c.width, 3}, g);
        for (int y = 0; y < 3; ++y) {
            EXPECT_EQ(At(*bmp, 0, y).r, 0);
            EXPECT_EQ(At(*bmp, c.end - 1, y).r, static_cast<int>(100.0 * (c.end - 1) / c.end + 0.5)) << c.width;
            EXPECT_EQ(At(*bmp, c.end, y).r, 200) << "the second segment starts on the first one's last column";
            EXPECT_EQ(At(*bmp, c.width - 1, y).r, 250);
        }
    }
}

// One row (vertical) or one column (horizontal) has no room for a run: it
// shows where the gradient starts.
TEST(PaintGradient, SingleRowOrColumnShowsTheFirstColour) {
    const TsGradArray vertical = {{Grey(10), Grey(90), 100, 0}};
    const TsGradArray horizontal = {{Grey(10), Grey(90), 100, 1}};
    auto row = CreateBitmap24(4, 1), col = CreateBitmap24(1, 4);
    PaintGradient(*row, {0, 0, 4, 1}, vertical);
    PaintGradient(*col, {0, 0, 1, 4}, horizontal);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(At(*row, i, 0), (Bgr{10, 10, 10}));
        EXPECT_EQ(At(*col, 0, i), (Bgr{10, 10, 10}));
    }
}

// Every mode paints exactly its clipped rectangle; a triangle fill is exact
// at the vertices inside it; unknown modes and empty arrays paint nothing.
TEST(PaintGradient, PaintsItsRectangleOnlyAndIsExactAtTriangleVertices) {
    const TColor a = MakeColor(200, 10, 30), b = MakeColor(20, 220, 90);
    for (int mode : {0, 1, 2, 3, -1}) {
        const TsGradArray g = {{a, b, 60, mode}, {b, a, 40, mode}};
        auto bmp = CreateBitmap24(20, 12);
        testing::Fill(*bmp, {1, 2, 3});
        testing::MarkPadding(*bmp);
        const TRect r{3, 2, 13, 11};
        PaintGradient(*bmp, r, g);
        PaintGradient(*bmp, {-5, -5, 40, -1}, g);  // above the bitmap
        EXPECT_TRUE(testing::PaddingIntact(*bmp));
        int painted = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
                const bool changed = At(*bmp, x, y) != Bgr{1, 2, 3};
                if (!inside) {
                    ASSERT_FALSE(changed) << "mode " << mode << " at " << x << "," << y;
                }
                painted += changed;
            }
        EXPECT_EQ(painted, mode >= 0 && mode <= 2 ? r.Width() * r.Height() : 0) << "mode " << mode;
        if (mode == 2) {
            EXPECT_EQ(At(*bmp, r.Left, r.Top), (Bgr{30, 10, 200}));          // vertex 0: segment 0
            EXPECT_EQ(At(*bmp, r.Left + 5, r.Top + 4), (Bgr{90, 220, 20}));  // vertex 1: segment 1
        }
    }
    auto bmp = CreateBitmap24(4, 4);
    PaintGradient(*bmp, {0, 0, 4, 4}, {});
    EXPECT_EQ(At(*bmp, 1, 1), (Bgr{0, 0, 0}));
}

}  // namespace
}  // namespace velmap::paint
