#include <gtest/gtest.h>

#include "archive_builder.h"
#include "model_helpers.h"
#include "skin/data/item_views.h"
#include "skin/data/skin_loader.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace velmap {
namespace {

using paint::Bitmap;
using paint::KeyColor;

struct Bgr {
    std::uint8_t b, g, r;
    friend bool operator==(const Bgr&, const Bgr&) = default;
};
Bgr At(const Bitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
    return {p[0], p[1], p[2]};
}
void Put(Bitmap& bmp, int x, int y, Bgr c) {
    std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
    p[0] = c.b, p[1] = c.g, p[2] = c.r;
}

Bgr Grey(int v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v)}; }

class ColdItems : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
#ifdef _WIN32
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
#endif
        model_ = new SkinModel;
        const std::string dir = test::SourcePath("assets/skins/cold/");
        const auto bytes = test::BuildArchive({{"Options.dat", test::ReadFile(dir + "Options.dat")},
                                               {"ButtonHuge.bmp", test::ReadFile(dir + "ButtonHuge.bmp")},
                                               {"Master.bmp", test::ReadFile(dir + "Master.bmp")}});
        ASSERT_TRUE(LoadPackedSkinData(*model_, bytes));
    }
    static void TearDownTestSuite() {
        delete model_;
        model_ = nullptr;
    }
    static paint::SkinItemView View(const char* section) {
        const auto view = SkinItemViewOf(*model_, ResolveItemIndexes(*model_, section));
        EXPECT_TRUE(view.has_value()) << section;
        return view.value_or(paint::SkinItemView{});
    }
    static SkinModel* model_;
};
SkinModel* ColdItems::model_ = nullptr;

// The band's 20 x 20 speed button as it paints itself (centre asked for,
// no background for unmasked corners) over a uniform charcoal parent
// (Ready, or only known by its colour), and over a parent that offers
// nothing. Frame pixels: 0x52 ring through a 160 mask (normal), 0x80 ring
// through a black mask (hot), 0x21 ring and 0x2A inner shadow (pressed);
// inside the ring charcoal through a white mask; key-coloured corners.
TEST_F(ColdItems, SpeedButtonFaces) {
    const paint::SkinItemView view = View("SPEEDBUTTON");
    auto parent = paint::CreateBitmap24(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) Put(*parent, x, y, Grey(0x3B));
    const paint::TColor charcoal = 0x3B3B3B;
    enum Parent { Ready, ColourOnly, Nothing };
    struct Case {
        int state;
        Parent parent;
        Bgr corner, ring, inner_row, face;
    };
    const Case cases[] = {
        {0, Ready, Grey(59), Grey(67), Grey(59), Grey(59)},  // (59 * 160 + 82 * 96) >> 8 = 67
        {0, ColourOnly, Grey(59), Grey(67), Grey(59), Grey(59)},
        {0, Nothing, {255, 0, 255}, Grey(190), Grey(254), Grey(255)},  // the section's own white, the key stays
        {1, Ready, Grey(59), Grey(128), Grey(122), Grey(105)},         // hot gradient row 5; (123 * 255 + 59) >> 8
        {1, Nothing, {255, 0, 255}, Grey(128), Grey(122), Grey(105)},
        {2, Ready, Grey(59), Grey(33), Grey(42), Grey(105)},  // pressed frame, same hot colours
    };
    for (const Case& c : cases) {
        auto cache = paint::CreateBitmap24(20, 20);
        paint::BackgroundSource bg;
        paint::ItemColors colors;
        if (c.parent == Ready) bg = {parent.get(), 4, 3, true};
        if (c.parent == ColourOnly) colors = {charcoal, charcoal};
        paint::PaintSkinItem(view, bg, true, c.state, {0, 0, 20, 20}, {6, 2}, cache.get(), false, colors);
        const std::string what = "state " + std::to_string(c.state) + " parent " + std::to_string(c.parent);
        for (const auto& [x, y] : {std::pair{0, 0}, {19, 0}, {0, 19}, {19, 19}})
            EXPECT_EQ(At(*cache, x, y), c.corner) << what;
        EXPECT_EQ(At(*cache, 10, 0), c.ring) << what;
        EXPECT_EQ(At(*cache, 0, 10), c.ring) << what;
        EXPECT_EQ(At(*cache, 10, 1), c.inner_row) << what;
        EXPECT_EQ(At(*cache, 10, 5), c.face) << what;
        EXPECT_EQ(At(*cache, 9, 5), c.face) << what;
    }
}

// GRIPH's masked pattern (fill mode 10, 3 x 3 tiles) is laid over its
// gradient; the column that holds no whole tile shows the parent's cache
// at the item's own place.
TEST_F(ColdItems, PatternOverlayBandsShowTheParentAtTheItem) {
    const paint::SkinItemView view = View("GRIPH");
    ASSERT_TRUE(view.Overlay.has_value());
    auto parent = paint::CreateBitmap24(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            Put(*parent, x, y, {7, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x)});
    auto cache = paint::CreateBitmap24(10, 9);
    paint::PaintSkinItem(view, {parent.get(), 2, 1, true}, false, 0, {0, 0, 10, 9}, {5, 6}, cache.get(), true, {});
    for (int y = 0; y < 9; ++y) EXPECT_EQ(At(*cache, 9, y), (Bgr{7, static_cast<std::uint8_t>(7 + y), 16})) << y;
}

// A texture picture converted at load keeps an empty region: the view
// uses the whole picture, so the texture tiles instead of vanishing.
TEST(ItemViews, SmallPatternPictureUsesItsWholeImage) {
    SkinModel model;
    TsMaskData m;
    m.Bmp = paint::CreateBitmap24(6, 4);
    m.Manager = &model;
    model.Masks.push_back(std::move(m));
    const auto v = MaskViewOf(model, 0);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->R, (paint::TRect{0, 0, 6, 4}));
    EXPECT_FALSE(MaskViewOf(model, 1).has_value());
    EXPECT_FALSE(MaskViewOf(model, -1).has_value());
}

}  // namespace
}  // namespace velmap
