#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "image_file.h"
#include "render.h"
#include "skin/data/image_decode.h"
#include "skinpack.h"

namespace velmap::skinpack {
namespace {

namespace fs = std::filesystem;

class Render : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(VELMAP_TEST_BINARY_DIR) / "render_test" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    int Cmd(std::vector<std::string> args) {
        args.insert(args.begin(), "render");
        err_.str({});
        return skinpack::Run(args, out_, err_);
    }
    std::vector<std::uint8_t> Get(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    // The grey value of pixel (x, y) of a written BMP.
    int GreyAt(const fs::path& p, int x, int y) {
        const auto bytes = Get(p);
        const auto bmp = DecodeBmp(bytes.data(), bytes.size());
        EXPECT_TRUE(bmp);
        if (!bmp) return -1;
        const std::uint8_t* px = bmp->ScanLine(y) + 3 * x;
        return px[0] == px[1] && px[1] == px[2] ? px[0] : -1;
    }
    fs::path root_;
    std::ostringstream out_, err_;
};

// The band's hot speed button over its charcoal panel: the hot gradient
// inside the frame, the parent's colour in the refreshed key corners.
TEST_F(Render, SpeedButtonFaceAsTheBandPaintsIt) {
    const fs::path out = root_ / "hot.bmp";
    ASSERT_EQ(Cmd({"internal", out.string(), "--section", "SPEEDBUTTON", "--size", "20x20", "--state", "1", "--parent",
                   "3B3B3B"}),
              0)
        << err_.str();
    EXPECT_EQ(GreyAt(out, 10, 5), 105);
    EXPECT_EQ(GreyAt(out, 10, 0), 128);
    EXPECT_EQ(GreyAt(out, 0, 0), 0x3B);
    EXPECT_EQ(GreyAt(out, 19, 19), 0x3B);
}

// With a parent picture the whole picture comes back, the item at its place.
TEST_F(Render, ParentPictureWithTheItemAtItsPlace) {
    auto parent = paint::CreateBitmap24(50, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 50; ++x) std::fill_n(parent->ScanLine(y) + 3 * x, 3, static_cast<std::uint8_t>(x + y));
    const auto bytes = EncodeBmp24(*parent);
    std::ofstream(root_ / "parent.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const fs::path out = root_ / "out.bmp";
    ASSERT_EQ(Cmd({"internal", out.string(), "--section", "SPEEDBUTTON", "--size", "20x20", "--parent-image",
                   (root_ / "parent.bmp").string(), "--at", "10,5"}),
              0)
        << err_.str();
    EXPECT_EQ(GreyAt(out, 9, 5), 14);    // beside the item: the picture
    EXPECT_EQ(GreyAt(out, 10, 5), 15);   // the key corner shows the picture under it
    EXPECT_EQ(GreyAt(out, 20, 15), 35);  // transparent face in state 0
}

// PNG: signature, size, and the pixels through zlib.
TEST_F(Render, PngHoldsThePixels) {
    auto bmp = paint::CreateBitmap24(3, 2);
    bmp->ScanLine(1)[6] = 9, bmp->ScanLine(1)[7] = 8, bmp->ScanLine(1)[8] = 7;  // pixel (2, 1): b 9, g 8, r 7
    const auto png = EncodePng(*bmp);
    ASSERT_GT(png.size(), 45u);
    EXPECT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 8),
              (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    EXPECT_EQ(png[19], 3);  // width
    EXPECT_EQ(png[23], 2);  // height
    const std::size_t idat_len = (png[33] << 24) | (png[34] << 16) | (png[35] << 8) | png[36];
    std::vector<std::uint8_t> raw(2 * (1 + 9));
    uLongf n = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &n, png.data() + 41, static_cast<uLong>(idat_len)), Z_OK);
    EXPECT_EQ(std::vector<std::uint8_t>(raw.begin() + 17, raw.end()), (std::vector<std::uint8_t>{7, 8, 9}));
}

TEST_F(Render, SheetPerSectionAndUsage) {
    ASSERT_EQ(Cmd({"internal", (root_ / "sheets").string(), "--sheet"}), 0) << err_.str();
    EXPECT_TRUE(fs::exists(root_ / "sheets" / "SPEEDBUTTON.png"));
    EXPECT_TRUE(fs::exists(root_ / "sheets" / "BUTTON_HUGE.png"));
    const std::string out = (root_ / "x.bmp").string();
    EXPECT_EQ(Cmd({"internal", out, "--section", "PANEL"}), 2);  // no size
    EXPECT_EQ(Cmd({"internal", out, "--section", "PANEL", "--size", "0x5"}), 2);
    EXPECT_EQ(Cmd({"internal", out, "--section", "PANEL", "--size", "5x5", "--state", "3"}), 2);
    EXPECT_EQ(Cmd({"internal", out, "--section", "PANEL", "--size", "5x5", "--parent-image", out}), 2);  // no --at
    EXPECT_EQ(Cmd({"internal", out, "--sheet", "--section", "PANEL"}), 2);
    EXPECT_EQ(Cmd({"internal", out, "--section", "NOSUCH", "--size", "5x5"}), 1);
    EXPECT_NE(err_.str().find("NOSUCH"), std::string::npos);
}

}  // namespace
}  // namespace velmap::skinpack
