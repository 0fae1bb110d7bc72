#include <gtest/gtest.h>

#include <cstring>

#include "model_helpers.h"
#include "skin/data/image_decode.h"
#include "skin/data/skin_model.h"

#ifdef _WIN32
#include <objbase.h>
namespace {
// The system codecs are COM objects: the test thread is an apartment like the shell's.
struct ComApartment : ::testing::Environment {
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const kCom = ::testing::AddGlobalTestEnvironment(new ComApartment);
}  // namespace
#endif

namespace velmap {
namespace {

using test::ReadFile;
using test::SourcePath;

std::vector<std::uint8_t> Image(const std::string& name) { return ReadFile(SourcePath("tests/skins/images/" + name)); }

std::unique_ptr<paint::Bitmap> Decode(const std::string& name) {
    auto bytes = Image(name);
    return DecodeImage(bytes.data(), bytes.size());
}

// Pixel bytes row by row, top row first.
std::vector<std::uint8_t> Pixels(const paint::Bitmap& b) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < b.Height(); ++y) out.insert(out.end(), b.ScanLine(y), b.ScanLine(y) + b.Width() * 3);
    return out;
}

TEST(ImageDecode, EveryBmpVariantGivesTheReferencePicture) {
    auto ref = Decode("reference.bmp");
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->Width(), 13);
    EXPECT_EQ(ref->Height(), 7);
    EXPECT_EQ(ref->BitsPerPixel(), 24);
    // Top-left pixel is colour 0 (black), the next one colour 1 (white).
    EXPECT_EQ(ref->ScanLine(0)[0], 0);
    EXPECT_EQ(ref->ScanLine(0)[3], 255);
    for (const char* name : {"rgb24_topdown.bmp", "core24.bmp", "pal8.bmp", "pal4.bmp", "rgb555.bmp", "rgb565.bmp",
                             "rgb32.bmp", "bitfields32.bmp", "v5_32.bmp", "rle8.bmp", "rle4.bmp"}) {
        auto b = Decode(name);
        ASSERT_TRUE(b) << name;
        EXPECT_EQ(Pixels(*b), Pixels(*ref)) << name;
    }
    auto mono = Decode("mono1.bmp");
    auto mono_ref = Decode("mono1_reference.bmp");
    ASSERT_TRUE(mono && mono_ref);
    EXPECT_EQ(Pixels(*mono), Pixels(*mono_ref));
}

// A palette BMP of w x h pixels at 1, 4 or 8 bits, pixel (x, y) = colour
// IndexAt(x, y); colour i is (i * 37, i * 91 + 5, 255 - i) as B, G, R.
std::uint8_t IndexAt(int x, int y, int bpp) { return std::uint8_t((x * 7 + y * 13 + x / 3) % (1 << bpp)); }
std::vector<std::uint8_t> PaletteBmp(int w, int h, int bpp, bool top_down) {
    const int colours = 1 << bpp;
    const std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
    const std::size_t offset = 14 + 40 + 4 * std::size_t(colours);
    std::vector<std::uint8_t> f(offset + stride * h, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = std::uint8_t(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, std::uint32_t(f.size()));
    put32(10, std::uint32_t(offset));
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(top_down ? -h : h));
    f[26] = 1;
    f[28] = std::uint8_t(bpp);
    for (int i = 0; i < colours; ++i) {
        f[54 + 4 * i] = std::uint8_t(i * 37);
        f[55 + 4 * i] = std::uint8_t(i * 91 + 5);
        f[56 + 4 * i] = std::uint8_t(255 - i);
    }
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = &f[offset + stride * std::size_t(top_down ? y : h - 1 - y)];
        for (int x = 0; x < w; ++x) {
            const int bit = x * bpp;
            row[bit / 8] |= std::uint8_t(IndexAt(x, y, bpp) << (8 - bpp - bit % 8));
        }
    }
    return f;
}

TEST(ImageDecode, PaletteRowsOfEveryWidthExpandToTheirColours) {
    // Widths around the eight-pixel groups the 8-bit rows are expanded in.
    for (int bpp : {1, 4, 8})
        for (int w : {1, 3, 7, 8, 9, 16, 37})
            for (bool top_down : {false, true}) {
                const auto file = PaletteBmp(w, 3, bpp, top_down);
                auto b = DecodeBmp(file.data(), file.size());
                ASSERT_TRUE(b) << bpp << " bits, width " << w;
                ASSERT_EQ(b->Width(), w);
                for (int y = 0; y < 3; ++y) {
                    const std::uint8_t* row = b->ScanLine(y);
                    for (int x = 0; x < w; ++x) {
                        const int i = IndexAt(x, y, bpp);
                        ASSERT_EQ(row[3 * x], std::uint8_t(i * 37)) << bpp << " bits, width " << w << " at " << x;
                        ASSERT_EQ(row[3 * x + 1], std::uint8_t(i * 91 + 5));
                        ASSERT_EQ(row[3 * x + 2], std::uint8_t(255 - i));
                    }
                    // The decoder fills rows itself: the padding must be written too.
                    for (std::ptrdiff_t p = 3 * w; p < b->Stride(); ++p)
                        ASSERT_EQ(row[p], 0) << bpp << " bits, width " << w << ", padding byte " << p;
                }
            }
}

TEST(ImageDecode, RowPaddingIsZeroInEveryVariant) {
    for (const char* name : {"reference.bmp", "rgb24_topdown.bmp", "core24.bmp", "pal8.bmp", "pal4.bmp", "rgb555.bmp",
                             "rgb32.bmp", "rle8.bmp", "rle4.bmp", "mono1.bmp"}) {
        auto bytes = Image(name);
        auto b = DecodeBmp(bytes.data(), bytes.size());
        ASSERT_TRUE(b) << name;
        ASSERT_GT(b->Stride(), 3 * b->Width()) << name;  // 13 pixels wide: one byte of padding
        for (int y = 0; y < b->Height(); ++y)
            for (std::ptrdiff_t p = 3 * b->Width(); p < b->Stride(); ++p)
                ASSERT_EQ(b->ScanLine(y)[p], 0) << name << " row " << y;
    }
}

TEST(ImageDecode, OurBmpReaderAgreesWithTheBuildsDecoder) {
    // On Windows the system's codec; natively DecodeImage is the same reader.
    for (const char* name : {"reference.bmp", "pal8.bmp", "rle4.bmp", "rgb565.bmp", "mono1.bmp"}) {
        auto bytes = Image(name);
        auto ours = DecodeBmp(bytes.data(), bytes.size());
#ifdef _WIN32
        auto theirs = DecodeWithWic(bytes.data(), bytes.size());
#else
        auto theirs = DecodeImage(bytes.data(), bytes.size());
#endif
        ASSERT_TRUE(ours && theirs) << name;
        EXPECT_EQ(Pixels(*ours), Pixels(*theirs)) << name;
    }
}

TEST(ImageDecode, RefusesDamagedAndOversizedFiles) {
    auto good = Image("pal8.bmp");
    auto cut = good;
    cut.resize(cut.size() - 20);  // pixel rows missing
    EXPECT_FALSE(DecodeBmp(cut.data(), cut.size()));
    auto huge = Image("reference.bmp");
    huge[18] = 0xFF;  // width 0x...FF
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    EXPECT_FALSE(DecodeBmp(huge.data(), huge.size()));
    auto bpp = Image("reference.bmp");
    bpp[28] = 7;
    EXPECT_FALSE(DecodeBmp(bpp.data(), bpp.size()));
    const std::uint8_t junk[] = {'B', 'M', 1, 2, 3};
    EXPECT_FALSE(DecodeImage(junk, sizeof junk));
    EXPECT_FALSE(DecodeImage(nullptr, 0));
    auto jpeg = Image("grad_40x30.jpg");
    jpeg.resize(jpeg.size() / 3);
    auto partial = DecodeImage(jpeg.data(), jpeg.size());  // a cut JPEG may decode partly; it must not crash
    if (partial) {
        EXPECT_EQ(partial->Width(), 40);
    }
}

TEST(ImageDecode, JpegColourAndGrey) {
    auto c = Decode("grad_40x30.jpg");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Width(), 40);
    EXPECT_EQ(c->Height(), 30);
    // The gradient runs from #304060 at the top to #a0b0c0 at the bottom.
    const std::uint8_t* top = c->ScanLine(0);
    EXPECT_NEAR(top[0], 0x60, 6);
    EXPECT_NEAR(top[2], 0x30, 6);
    const std::uint8_t* bottom = c->ScanLine(29);
    EXPECT_NEAR(bottom[0], 0xC0, 6);
    auto g = Decode("grey_64x32.jpg");
    ASSERT_TRUE(g);
    const std::uint8_t* p = g->ScanLine(16) + 30;
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
}

TEST(ImageDecode, LargeJpegsArePatternsSmallOnesTextureMasks) {
    test::MapFiles files;
    files.files["BIG.JPG"] = Image("grad_300x300.jpg");
    files.files["SMALL.JPEG"] = Image("grad_299x300.jpg");
    SkinModel m;
    m.Load("[PANEL]\nPATTERN=big.jpg\nHOTPATTERN=small.jpeg\n", files);
    ASSERT_EQ(m.Patterns.size(), 1u);
    EXPECT_EQ(m.Patterns[0].SectionName, "PANEL");
    EXPECT_EQ(m.Patterns[0].PropertyName, "PATTERN");
    EXPECT_EQ(m.Patterns[0].Img->Width(), 300);
    ASSERT_EQ(m.Masks.size(), 1u);
    EXPECT_EQ(m.Masks[0].ImgType, TacImgType::itisaTexture);
    EXPECT_EQ(m.Masks[0].PropertyName, "HOTPATTERN");
    EXPECT_EQ(m.Masks[0].ImageCount, 1);
    ASSERT_TRUE(m.Masks[0].Bmp);
    EXPECT_EQ(m.Masks[0].Bmp->Width(), 299);
    EXPECT_EQ(m.Masks[0].R, (TRect{}));
    int panel = m.FindSectionIndex("PANEL");
    EXPECT_EQ(m.FindPatternIndex(panel, "PANEL", "PATTERN"), 0);
    EXPECT_EQ(m.FindTextureIndex(panel, "PANEL", "HOTPATTERN"), 0);
}

}  // namespace
}  // namespace velmap
