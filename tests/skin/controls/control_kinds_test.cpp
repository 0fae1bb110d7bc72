// Default sections, hot-tracking kinds and the transparent colour mix.
#include <gtest/gtest.h>

#include "skin/controls/control_kinds.h"
#include "skin/messages/skin_messages.h"

namespace velmap::skin {
namespace {

TEST(ControlKinds, DefaultSectionsOfTheKindsInUse) {
    EXPECT_EQ(DefaultSectionForKind(ControlKindPanel), "PANEL");
    EXPECT_EQ(DefaultSectionForKind(ControlKindSpeedButton), "SPEEDBUTTON");
    EXPECT_EQ(DefaultSectionForKind(52), "PANEL_LOW");
    EXPECT_EQ(DefaultSectionForKind(227), "EDIT");
    EXPECT_EQ(DefaultSectionForKind(165), "TRACKBAR");
    EXPECT_TRUE(DefaultSectionForKind(0).empty());
    EXPECT_TRUE(DefaultSectionForKind(9).empty());
}

TEST(ControlKinds, NoHotKindsAreTheirThreeRanges) {
    for (int k : {51, 60, 74, 110, 141, 150, 161}) EXPECT_TRUE(IsNoHotKind(k)) << k;
    for (int k : {50, 75, 92, 109, 111, 140, 162}) EXPECT_FALSE(IsNoHotKind(k)) << k;
}

TEST(TransparentColorMix, WeighsTheParentByTransparencyOver256) {
    // White behind a black section at 50: each channel (255 * 50) >> 8 = 49.
    EXPECT_EQ(MixTransparentColor(0xFFFFFF, 0x000000, 50), 0x313131u);
    // Opaque sections show themselves.
    EXPECT_EQ(MixTransparentColor(0xFFFFFF, 0x123456, 0), 0x123456u);
    // Channels mix independently; a darker parent pulls down (negative products).
    EXPECT_EQ(MixTransparentColor(0x0000FF, 0x00FF00, 128), 0x007F7Fu);
    EXPECT_EQ(MixTransparentColor(0x000000, 0xFFFFFF, 255), 0x000000u);
    // The top byte is the parent's.
    EXPECT_EQ(MixTransparentColor(0x05000000, 0x000000, 0) >> 24, 5u);
}

TEST(SkinMessage, SubCommandTravelsInTheHighWord) {
    WPARAM w = SkinWParam(SMC_SET_UPDATING, 1);
    EXPECT_EQ(w, 0x00080001u);
    EXPECT_EQ(SkinCommandOf(w), SMC_SET_UPDATING);
    EXPECT_EQ(SkinArgOf(w), 1);
    EXPECT_EQ(SM_SKINCMD, 0xA100u);
}

}  // namespace
}  // namespace velmap::skin
