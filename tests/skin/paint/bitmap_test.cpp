#include "skin/paint/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "skin/paint/color.h"
#include "skin/paint/platform.h"
#include "skin/paint/pixel_ops.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmap::paint {
namespace {

TEST(Bitmap, LayoutFollowsFormatAndRowOrder) {
    for (int bpp : {24, 32}) {
        for (RowOrder order : {RowOrder::BottomUp, RowOrder::TopDown}) {
            auto bmp = Bitmap::Create(5, 3, bpp, order);
            ASSERT_EQ(bmp->Width(), 5);
            ASSERT_EQ(bmp->Height(), 3);
            EXPECT_EQ(bmp->BitsPerPixel(), bpp);
            // 5 * 3 = 15 bytes pad to 16; 5 * 4 = 20 needs none.
            EXPECT_EQ(bmp->Stride(), bpp == 24 ? 16 : 20);
            EXPECT_EQ(bmp->RowDelta(), order == RowOrder::TopDown ? bmp->Stride() : -bmp->Stride());
            for (int y = 0; y < 3; ++y) EXPECT_EQ(bmp->ScanLine(y), bmp->RowStart() + y * bmp->RowDelta());
            // Every byte, padding included, starts zeroed and lies in one block.
            std::uint8_t* lowest = order == RowOrder::TopDown ? bmp->ScanLine(0) : bmp->ScanLine(2);
            for (int i = 0; i < 3 * bmp->Stride(); ++i) ASSERT_EQ(lowest[i], 0) << i;
        }
    }
}

TEST(Bitmap, CreateBitmap24And32AreBottomUpLikeGdiDefaults) {
    auto b24 = CreateBitmap24(2, 2);
    auto b32 = CreateBitmap32(2, 2);
    EXPECT_EQ(b24->BitsPerPixel(), 24);
    EXPECT_EQ(b32->BitsPerPixel(), 32);
    EXPECT_LT(b24->RowDelta(), 0);
    EXPECT_LT(b32->RowDelta(), 0);
}

TEST(Bitmap, RefusesUnsupportedFormatsAndUnboundedSizes) {
    EXPECT_THROW(Bitmap::Create(4, 4, 8), std::invalid_argument);
    EXPECT_THROW(Bitmap::Create(4, 4, 16), std::invalid_argument);
    EXPECT_THROW(Bitmap::Create(-1, 4, 24), std::length_error);
    EXPECT_THROW(Bitmap::Create(4, -1, 24), std::length_error);
    EXPECT_THROW(Bitmap::Create(Bitmap::MaxDimension + 1, 1, 24), std::length_error);
    EXPECT_THROW(Bitmap::Create(Bitmap::MaxDimension, Bitmap::MaxDimension, 32), std::length_error);
}

TEST(Bitmap, UninitializedCreateKeepsLayoutAndLimits) {
    for (RowOrder order : {RowOrder::BottomUp, RowOrder::TopDown}) {
        auto bmp = Bitmap::CreateUninitialized(5, 3, 24, order);
        ASSERT_EQ(bmp->Width(), 5);
        ASSERT_EQ(bmp->Height(), 3);
        EXPECT_EQ(bmp->Stride(), 16);
        EXPECT_EQ(bmp->Order(), order);
        EXPECT_EQ(bmp->RowDelta(), order == RowOrder::TopDown ? 16 : -16);
        std::memset(order == RowOrder::TopDown ? bmp->ScanLine(0) : bmp->ScanLine(2), 0x5A, 48);  // all writable
        // Growing it still zero-fills the new pixels.
        bmp->SetSize(7, 4);
        EXPECT_EQ(bmp->ScanLine(3)[0], 0);
        EXPECT_EQ(bmp->ScanLine(0)[14], 0x5A);  // the old fifth pixel, kept
        EXPECT_EQ(bmp->ScanLine(0)[15], 0);     // new pixels, padding never copied
    }
    EXPECT_TRUE(Bitmap::CreateUninitialized(0, 4, 32)->Empty());
    EXPECT_THROW(Bitmap::CreateUninitialized(4, 4, 8), std::invalid_argument);
    EXPECT_THROW(Bitmap::CreateUninitialized(-1, 4, 24), std::length_error);
    EXPECT_THROW(Bitmap::CreateUninitialized(Bitmap::MaxDimension, Bitmap::MaxDimension, 32), std::length_error);
}

TEST(Bitmap, EmptyBitmapHasNoPixels) {
    auto bmp = CreateBitmap24(0, 7);
    EXPECT_TRUE(bmp->Empty());
    EXPECT_EQ(bmp->RowStart(), nullptr);
    bmp->SetSize(3, 2);
    EXPECT_FALSE(bmp->Empty());
    EXPECT_NE(bmp->RowStart(), nullptr);
    bmp->SetSize(0, 0);
    EXPECT_TRUE(bmp->Empty());
}

TEST(Bitmap, SetSizeKeepsTheOverlapAndZeroesTheRest) {
    auto bmp = CreateBitmap24(3, 3);
    FillRectColor(*bmp, {0, 0, 3, 3}, MakeColor(10, 20, 30));
    bmp->SetSize(4, 2);
    ASSERT_EQ(bmp->Width(), 4);
    ASSERT_EQ(bmp->Height(), 2);
    for (int y = 0; y < 2; ++y) {
        const std::uint8_t* row = bmp->ScanLine(y);
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(row[x * 3 + 0], 30);
            EXPECT_EQ(row[x * 3 + 2], 10);
        }
        EXPECT_EQ(row[9] | row[10] | row[11], 0);
    }
}

TEST(Bitmap, CloneIsAnIndependentCopy) {
    auto bmp = Bitmap::Create(3, 2, 32, RowOrder::TopDown);
    bmp->ScanLine(1)[5] = 77;
    auto copy = bmp->Clone();
    EXPECT_EQ(copy->Order(), RowOrder::TopDown);
    EXPECT_EQ(copy->BitsPerPixel(), 32);
    EXPECT_EQ(copy->ScanLine(1)[5], 77);
    copy->ScanLine(1)[5] = 1;
    EXPECT_EQ(bmp->ScanLine(1)[5], 77);
}

TEST(Color, SystemColorsResolveThroughThePlatformLookup) {
    constexpr int kBtnFace = 15;
    const TColor resolved = ColorToRGB(SystemColor(kBtnFace));
    EXPECT_GE(resolved, 0);
    EXPECT_EQ(static_cast<std::uint32_t>(resolved), detail::SystemColorRGB(kBtnFace) & 0xFFFFFF);
#ifndef _WIN32
    EXPECT_EQ(resolved, 0xF0F0F0);
#endif
    EXPECT_EQ(ColorToRGB(0x3B3B3B), 0x3B3B3B);
    EXPECT_EQ(ColorToRGB(KeyColor), KeyColor);
}

#ifdef _WIN32
TEST(Bitmap, GdiDrawingAndByteAccessSeeTheSamePixels) {
    for (RowOrder order : {RowOrder::BottomUp, RowOrder::TopDown}) {
        auto bmp = Bitmap::Create(6, 4, 24, order);
        ASSERT_NE(bmp->Handle(), nullptr);
        HDC dc = bmp->Dc();
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(bmp->Dc(), dc);  // kept, not made anew
        ::SetPixelV(dc, 1, 0, RGB(200, 100, 50));
        const std::uint8_t* p = bmp->ScanLine(0) + 3;
        EXPECT_EQ(p[0], 50);
        EXPECT_EQ(p[1], 100);
        EXPECT_EQ(p[2], 200);

        // Bytes written directly show through GDI.
        bmp->ScanLine(3)[0] = 9;
        bmp->ScanLine(3)[1] = 8;
        bmp->ScanLine(3)[2] = 7;
        EXPECT_EQ(::GetPixel(dc, 0, 3), RGB(7, 8, 9));

        // Resizing keeps the DC usable and pointing at the new pixels.
        bmp->SetSize(8, 5);
        EXPECT_EQ(bmp->Dc(), dc);
        EXPECT_EQ(::GetPixel(dc, 1, 0), RGB(200, 100, 50));
        EXPECT_TRUE(FillRectColor(dc, {7, 4, 8, 5}, MakeColor(1, 2, 3)));
        EXPECT_EQ(bmp->ScanLine(4)[7 * 3 + 2], 1);
        bmp->ReleaseDc();
    }
}

TEST(Bitmap, FillRectColorOnADcLeavesItsBrushAlone) {
    auto bmp = CreateBitmap24(4, 4);
    HDC dc = bmp->Dc();
    HGDIOBJ before = ::GetCurrentObject(dc, OBJ_BRUSH);
    EXPECT_TRUE(FillRectColor(dc, {0, 0, 2, 2}, SystemColor(COLOR_WINDOW)));
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), before);
    EXPECT_EQ(::GetPixel(dc, 1, 1), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(::GetPixel(dc, 2, 2), RGB(0, 0, 0));  // right/bottom exclusive
}
#endif

}  // namespace
}  // namespace velmap::paint
