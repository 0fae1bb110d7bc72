// The band's panel with two buttons in the internal skin, photographed in
// each look (normal, hot, pressed and half-way through the hover fade); the
// pictures go to screenshots/ in the build folder.
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "band_controls.h"
#include "control_fixture.h"
#include "image_file.h"

namespace velmap::skin::test {
namespace {

using band_controls::Capture;

struct Rgb {
    int r, g, b;
};
Rgb At(const paint::Bitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
    return {p[2], p[1], p[0]};
}
bool Same(const paint::Bitmap& a, const paint::Bitmap& b, RECT r) {
    for (int y = r.top; y < r.bottom; ++y)
        if (std::memcmp(a.ScanLine(y) + 3 * r.left, b.ScanLine(y) + 3 * r.left, 3 * (r.right - r.left)) != 0)
            return false;
    return true;
}

void Save(const paint::Bitmap& bmp, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(VELMAP_TEST_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(dir);
    const auto png = skinpack::EncodePng(bmp);
    std::ofstream(dir / (name + ".png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

TEST(ScreenshotTest, TheBandButtonsInEachLook) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TsAnimTimer::SetManualTicks(true);
    auto form = band_controls::MakeBandControls(SharedHost(), VELMAP_COLD_ARCHIVE);
    ASSERT_TRUE(form);
    auto* panel = dynamic_cast<TsPanel*>(form->FindComponent("Panel"));
    auto* prev = dynamic_cast<TsSpeedButton*>(form->FindComponent("btnPrev"));
    ASSERT_TRUE(panel && prev && prev->SkinData().IsSkinned(true));
    auto tick_until_done = [&] {
        while (prev->FadeTimer()) prev->FadeTimer()->Tick();
    };

    const auto normal = Capture(panel);
    prev->Perform(ui::UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(prev));
    for (int i = 0; i < 9; ++i) prev->FadeTimer()->Tick();  // frame 10 of 20: weight 127
    const auto mid = Capture(panel);
    tick_until_done();
    const auto hot = Capture(panel);
    prev->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    tick_until_done();
    const auto pressed = Capture(panel);
    Save(*normal, "band_normal");
    Save(*mid, "band_mid_fade");
    Save(*hot, "band_hot");
    Save(*pressed, "band_pressed");
    prev->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    tick_until_done();

    // Only the button's place changes; the other button and the panel stay.
    const RECT button = prev->BoundsRect();
    EXPECT_TRUE(Same(*normal, *hot, {0, 0, button.left, 25}));
    EXPECT_TRUE(Same(*normal, *pressed, {button.right, 0, 160, 25}));
    EXPECT_FALSE(Same(*normal, *hot, button));
    EXPECT_FALSE(Same(*hot, *pressed, button));
    // The face left of the glyph, near the top: the panel's colour when
    // normal, the light top of the hot gradient when hot, and half-way
    // between them mid-fade.
    const int x = button.left + 4, y = button.top + 4;
    const Rgb n = At(*normal, x, y), h = At(*hot, x, y), m = At(*mid, x, y);
    EXPECT_NE(n.r, h.r);
    EXPECT_EQ(m.r, (n.r * 127 + h.r * 128 + 127) >> 8);
    EXPECT_EQ(m.b, (n.b * 127 + h.b * 128 + 127) >> 8);
    // The glyph's white is drawn, its background colour left out.
    const Rgb tip = At(*hot, button.left + 1 + 6, button.top + 1 + 9);
    EXPECT_EQ(tip.r + tip.g + tip.b, 3 * 255);
    for (const auto* shot : {normal.get(), hot.get(), pressed.get()})
        for (int gy = button.top; gy < button.bottom; ++gy)
            for (int gx = button.left; gx < button.right; ++gx) {
                const Rgb c = At(*shot, gx, gy);
                ASSERT_FALSE(c.r == 0 && c.g == 36 && c.b == 255) << gx << "," << gy;
            }

    form.reset();
    TsAnimTimer::SetManualTicks(false);
    ::CoUninitialize();
}

}  // namespace
}  // namespace velmap::skin::test
