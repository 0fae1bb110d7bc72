#include <gtest/gtest.h>

#include <stdexcept>

#include "skin/paint/item_paint.h"
#include "skin/paint/masks.h"
#include "skin/paint/pixel_ops.h"
#include "test_util.h"

namespace velmap::paint {
namespace {

using testing::At;
using testing::Bgr;
using testing::Put;

constexpr Bgr kCanary{1, 2, 3};
Bgr GreyPx(int v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v)}; }
TColor Grey(int v) { return MakeColor(v, v, v); }

SectionFill Fill(TColor color, int gradient_percent, int image_percent, int transparency,
                 std::span<const GradientSegment> gradient = {}, std::optional<MaskView> texture = {}) {
    SectionFill f;
    f.Color = color;
    f.GradientPercent = gradient_percent;
    f.ImagePercent = image_percent;
    f.Transparency = transparency;
    f.Gradient = gradient;
    f.Texture = texture;
    return f;
}

// Counts the pixels of r that changed from the canary, and fails on any
// change outside it.
int PaintedInside(const Bitmap& bmp, const TRect& r) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
            const bool changed = At(bmp, x, y) != kCanary;
            EXPECT_TRUE(inside || !changed) << "changed outside at " << x << "," << y;
            n += inside && changed;
        }
    return n;
}

TEST(PaintSectionFill, SharesOfTextureGradientAndColour) {
    const TsGradArray flat = {{Grey(200), Grey(200), 100, 0}};
    const TsGradArray odd_mode = {{Grey(200), Grey(200), 100, 7}};
    auto texture = CreateBitmap24(4, 4);  // black
    MaskView tex;
    tex.Image = texture.get();
    tex.R = {0, 0, 4, 4};
    const TsGradArray white = {{Grey(255), Grey(255), 100, 0}};
    struct Case {
        const char* what;
        SectionFill fill;
        TColor parent_bg;
        int grey;
    };
    const Case cases[] = {
        {"40 % gradient, 60 % colour", Fill(Grey(100), 40, 0, 0, flat), KeyColor, 140},
        {"blank gradient data: the colour", Fill(Grey(100), 100, 0, 0), KeyColor, 100},
        {"a mode nobody paints: the colour", Fill(Grey(100), 100, 0, 0, odd_mode), KeyColor, 100},
        {"no shares, transparent: the parent's colour", Fill(Grey(100), 0, 0, 50), Grey(33), 33},
        {"no shares, opaque: the own colour", Fill(Grey(100), 0, 0, 0), Grey(33), 100},
        // The texture keeps 29 * 255 / 100 = 73 / 256: (0 * 73 + 255 * 182 + 127) >> 8.
        {"texture under gradient", Fill(Grey(100), 71, 29, 0, white, tex), KeyColor, 181},
    };
    for (const Case& c : cases) {
        auto bmp = CreateBitmap24(9, 8);
        testing::Fill(*bmp, kCanary);
        ParentBgColor = c.parent_bg;
        PaintSectionFill(*bmp, {2, 1, 7, 6}, c.fill);
        ParentBgColor = KeyColor;
        EXPECT_EQ(PaintedInside(*bmp, {2, 1, 7, 6}), 25) << c.what;
        EXPECT_EQ(At(*bmp, 6, 5), GreyPx(c.grey)) << c.what;
    }
}

TEST(PaintSkinBackground, TransparencyOverTheParent) {
    auto parent = CreateBitmap24(6, 6);
    testing::Fill(*parent, GreyPx(255));
    Put(*parent, 5, 5, {10, 20, 30});
    struct Case {
        int transparency;
        TColor parent_bg, custom;
        Bgr at_origin, at_corner;
    };
    const Case cases[] = {
        {50, KeyColor, KeyColor, GreyPx(127), {5, 10, 15}},    // (255 * 127 + 0 * 128 + 127) >> 8
        {100, KeyColor, KeyColor, GreyPx(255), {10, 20, 30}},  // the parent's pixels at the item's place
        {100, Grey(70), KeyColor, GreyPx(70), GreyPx(70)},     // the parent's plain colour
        {100, KeyColor, Grey(90), GreyPx(90), GreyPx(90)},     // the control's own colour: opaque
    };
    for (const Case& c : cases) {
        SkinItemView item;
        item.Fill[0] = Fill(Grey(0), 0, 0, c.transparency);
        item.CustomColor = c.custom;
        auto bmp = CreateBitmap24(10, 10);
        testing::Fill(*bmp, kCanary);
        ParentBgColor = c.parent_bg;
        // The item at (2, 2) in its parent reaches beyond the parent's cache:
        // only what lies inside is read.
        PaintSkinBackground(item, {parent.get(), 0, 0, true}, 0, {0, 0, 5, 5}, {2, 2}, bmp.get());
        ParentBgColor = KeyColor;
        EXPECT_EQ(At(*bmp, 0, 0), c.at_origin) << c.transparency;
        EXPECT_EQ(At(*bmp, 3, 3), c.at_corner) << c.transparency;
        EXPECT_EQ(At(*bmp, 5, 0), kCanary);
        if (c.transparency == 100 && c.parent_bg == KeyColor && c.custom == KeyColor) {
            EXPECT_EQ(At(*bmp, 4, 1), kCanary) << "no parent pixel there";
        }
    }
}

// A three-frame border whose frames have key pixels at their corners, and a
// three-frame corner image 30 wide.
struct Item {
    std::unique_ptr<Bitmap> master = CreateBitmap24(45, 10);
    SkinItemView view;
    Item() {
        testing::Fill(*master, GreyPx(0));
        for (int f = 0; f < 3; ++f)
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 5; ++x) {
                    const bool corner = (x == 0 || x == 4) && (y == 0 || y == 4);
                    Put(*master, f * 5 + x, y, corner ? Bgr{255, 0, 255} : GreyPx(10 + 10 * f));
                }
        for (int x = 15; x < 45; ++x)
            for (int y = 0; y < 4; ++y) Put(*master, x, y, GreyPx(200 + (x - 15) / 10));
        view.Fill[0] = Fill(Grey(100), 0, 0, 0);
        view.Fill[1] = Fill(Grey(150), 0, 0, 0);
        MaskView border;
        border.Image = master.get();
        border.R = {0, 0, 15, 5};
        border.ImageCount = 3;
        border.WL = border.WT = border.WR = border.WB = 2;
        view.Border = border;
        MaskView corner = border;
        corner.R = {15, 0, 45, 4};
        view.Corners[3] = corner;  // IMGBTMRIGHT
    }
};

TEST(PaintSkinItem, StatesFramesAndCornerImages) {
    Item item;
    struct Case {
        int state, stretch;
        Bgr face, edge, corner_image;
    };
    const Case cases[] = {
        {0, 0, GreyPx(100), GreyPx(10), GreyPx(200)},
        {1, 0, GreyPx(150), GreyPx(20), GreyPx(201)},
        {5, 0, GreyPx(150), GreyPx(30), GreyPx(202)},   // hot colours, the last frame
        {0, 2, GreyPx(100), GreyPx(100), GreyPx(200)},  // not drawn in state 0
    };
    for (const Case& c : cases) {
        item.view.Border->StretchMode = c.stretch;
        auto bmp = CreateBitmap24(100, 12);
        PaintSkinItem(item.view, {}, true, c.state, {0, 0, 100, 12}, {0, 0}, bmp.get(), false, {});
        EXPECT_EQ(At(*bmp, 50, 6), c.face) << "state " << c.state;
        EXPECT_EQ(At(*bmp, 50, 0), c.edge) << "state " << c.state;
        EXPECT_EQ(At(*bmp, 90, 8), c.corner_image) << "IMGBTMRIGHT is 10 wide and drawn at x = 90";
        EXPECT_EQ(At(*bmp, 89, 8), c.face);
    }
    // Not inside the bitmap, or empty: nothing at all.
    for (const TRect r : {TRect{0, 0, 101, 12}, TRect{-1, 0, 50, 12}, TRect{5, 5, 5, 9}, TRect{8, 8, 2, 2}}) {
        auto bmp = CreateBitmap24(100, 12);
        testing::Fill(*bmp, kCanary);
        PaintSkinItem(item.view, {}, true, 1, r, {0, 0}, bmp.get(), false, {});
        EXPECT_EQ(PaintedInside(*bmp, {}), 0);
    }
}

// The key pixels of unmasked corners: the parent's pixel (use_bg with a
// Ready parent), MaskFillColor's twin ParentBgColor is back at KeyColor
// afterwards, and so is MaskFillColor, even when painting throws.
TEST(PaintSkinItem, KeyCornersAndProcessColours) {
    Item item;
    auto parent = CreateBitmap24(30, 30);
    testing::Fill(*parent, GreyPx(77));
    Put(*parent, 7, 9, {1, 99, 1});
    auto bmp = CreateBitmap24(20, 10);
    PaintSkinItem(item.view, {parent.get(), 2, 4, true}, false, 0, {0, 0, 20, 10}, {5, 5}, bmp.get(), true,
                  {Grey(40), Grey(41)});
    EXPECT_EQ(At(*bmp, 0, 0), (Bgr{1, 99, 1}));  // parent pixel (2 + 5 + 0, 4 + 5 + 0)
    EXPECT_EQ(ParentBgColor, KeyColor);
    EXPECT_EQ(MaskFillColor, KeyColor);
    try {
        ItemColorsScope scope({Grey(1), Grey(2)});
        EXPECT_EQ(MaskFillColor, Grey(2));
        throw std::runtime_error("painting failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ParentBgColor, KeyColor);
    EXPECT_EQ(MaskFillColor, KeyColor);
}

// Exactly the cache pixels under the border's four key corner pixels are
// refilled; without a Ready parent nothing changes.
TEST(RefreshCornerPixels, TouchesExactlyTheKeyPixels) {
    Item item;
    auto parent = CreateBitmap24(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            Put(*parent, x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9});
    struct Case {
        bool ready;
        TColor plain;
        int changed;
    };
    for (const Case c : {Case{true, KeyColor, 4}, Case{true, Grey(66), 4}, Case{false, Grey(66), 0}}) {
        auto cache = CreateBitmap24(12, 7);
        testing::Fill(*cache, kCanary);
        RefreshCornerPixels(*item.view.Border, *cache, 1, kAllCorners, {parent.get(), 3, 4, c.ready}, c.plain);
        EXPECT_EQ(PaintedInside(*cache, {0, 0, 12, 7}), c.changed);
        if (c.changed) {
            EXPECT_EQ(At(*cache, 11, 6), c.plain == KeyColor ? (Bgr{14, 10, 9}) : GreyPx(66));
            EXPECT_EQ(At(*cache, 0, 0), c.plain == KeyColor ? (Bgr{3, 4, 9}) : GreyPx(66));
        }
    }
}


// A border image of `frames` 6 x 6 frames (and a black mask half below when
// masked) whose key pixels lie differently in every frame.
std::unique_ptr<Bitmap> BorderImage(int frames, bool masked) {
    auto img = CreateBitmap24(6 * frames, masked ? 12 : 6);
    testing::Fill(*img, GreyPx(0));
    for (int f = 0; f < frames; ++f)
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x)
                Put(*img, 6 * f + x, y, (x * 7 + y * 3 + f) % 4 == 0 ? Bgr{255, 0, 255} : GreyPx(40 + 20 * f + x + y));
    return img;
}

// The refresh puts back exactly what drawing the border showed of the
// parent: drawn over parent A, and drawn over parent B then refreshed from A,
// the two caches agree pixel for pixel, whatever the frame, the fitted
// widths and the frame rule of an own image with ImageCount 0.
TEST(RefreshCornerPixels, PutsBackWhatDrawingTheBorderShowedOfTheParent) {
    struct Case {
        const char* what;
        bool own;
        int image_count, mask_type, state, w, h;
    } cases[] = {
        {"frame 1 of three", false, 3, 0, 1, 9, 8},
        {"frame 2 of three, masked", false, 3, 1, 2, 9, 8},
        {"widths fitted to 3 x 3", false, 3, 1, 1, 3, 3},
        {"own image, ImageCount 0", true, 0, 0, 1, 9, 8},
        {"own image, ImageCount 0, state 2", true, 0, 0, 2, 5, 3},
    };
    auto parentA = CreateBitmap24(20, 20), parentB = CreateBitmap24(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) Put(*parentA, x, y, {static_cast<std::uint8_t>(10 * x), static_cast<std::uint8_t>(10 * y), 9});
    testing::Fill(*parentB, {0, 200, 0});
    for (const Case& c : cases) {
        const bool masked = c.mask_type >= 1 || c.image_count == 0;
        const auto img = BorderImage(3, masked);
        MaskView m;
        m.Image = img.get();
        m.OwnImage = c.own;
        m.R = {0, 0, img->Width(), img->Height()};
        m.ImageCount = c.image_count;
        m.MaskType = c.mask_type;
        m.WL = m.WT = m.WR = m.WB = 2;
        auto drawn = CreateBitmap24(c.w, c.h), refreshed = CreateBitmap24(c.w, c.h);
        testing::Fill(*drawn, kCanary);
        testing::Fill(*refreshed, kCanary);
        DrawBorderMask(*drawn, {0, 0, c.w, c.h}, false, true, c.state, m, {parentA.get(), 3, 4, true});
        DrawBorderMask(*refreshed, {0, 0, c.w, c.h}, false, true, c.state, m, {parentB.get(), 3, 4, true});
        RefreshCornerPixels(m, *refreshed, c.state, kAllCorners, {parentA.get(), 3, 4, true}, KeyColor);
        int shown = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                EXPECT_EQ(At(*refreshed, x, y), At(*drawn, x, y)) << c.what << " at " << x << "," << y;
                shown += At(*drawn, x, y) == At(*parentA, 3 + x, 4 + y);
            }
        EXPECT_GT(shown, 0) << c.what << ": some corner shows the parent";
    }
}

// An own image with ImageCount 0 holds three frames with a mask half: state
// 1 draws the middle third of the upper half, through the black mask below.
TEST(DrawBorderMask, AnOwnImageWithImageCountZeroHasThreeFramesAndAMaskHalf) {
    auto img = CreateBitmap24(30, 20);
    testing::Fill(*img, GreyPx(0));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x) Put(*img, x, y, GreyPx(100 + 10 * (x / 10)));
    MaskView m;
    m.Image = img.get();
    m.OwnImage = true;
    m.R = {0, 0, 30, 20};
    m.ImageCount = 0;
    m.WL = m.WT = m.WR = m.WB = 3;
    auto bmp = CreateBitmap24(12, 12);
    testing::Fill(*bmp, kCanary);
    DrawBorderMask(*bmp, {0, 0, 12, 12}, false, false, 1, m, {});
    for (const auto& [x, y] : {std::pair{0, 0}, {11, 0}, {0, 11}, {11, 11}, {5, 1}, {1, 5}})
        EXPECT_EQ(At(*bmp, x, y), GreyPx(110)) << x << "," << y;
}

}  // namespace
}  // namespace velmap::paint
