// Layout (Align, Anchors, Constraints), the canvas and bitmap, and the
// top-level form's constraints and colour key.
#include "test_form.h"

#include <gtest/gtest.h>

#include <cstring>

#include <ostream>

// RECT lives in the global namespace; so must its comparison, to be found.
static bool operator==(const RECT& a, const RECT& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
static std::ostream& operator<<(std::ostream& o, const RECT& r) {
    return o << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace velmap::ui::test {
namespace {

RECT R(int l, int t, int r, int b) { return {l, t, r, b}; }

TSpeedButton* Child(TWinControl* parent, RECT r, TAnchors anchors = {TAnchorKind::akLeft, TAnchorKind::akTop}) {
    auto* b = Make<TSpeedButton>(parent);
    b->SetParent(parent);
    b->SetAnchors(anchors);
    b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    return b;
}

TEST(Layout, AlignedChildrenShareTheClientInOrder) {
    owned<TPanel> p(Make<TPanel>(nullptr));
    p->SetBounds(0, 0, 200, 100);
    TSpeedButton* c[5];
    const TAlign aligns[] = {TAlign::alClient, TAlign::alRight, TAlign::alLeft, TAlign::alBottom, TAlign::alTop};
    for (int i = 0; i < 5; ++i) {
        c[i] = Child(p.get(), R(0, 0, 10 * (i + 1), 10 * (i + 1)));
        c[i]->SetAlign(aligns[i]);
    }
    auto check = [&](int w, int h) {
        EXPECT_EQ(c[4]->BoundsRect(), R(0, 0, w, 50));            // top, 50 high
        EXPECT_EQ(c[3]->BoundsRect(), R(0, h - 40, w, h));        // bottom, 40 high
        EXPECT_EQ(c[2]->BoundsRect(), R(0, 50, 30, h - 40));      // left, 30 wide
        EXPECT_EQ(c[1]->BoundsRect(), R(w - 20, 50, w, h - 40));  // right, 20 wide
        EXPECT_EQ(c[0]->BoundsRect(), R(30, 50, w - 20, h - 40));
    };
    check(200, 100);
    p->SetBounds(0, 0, 300, 150);
    check(300, 150);
    // Too small for all: nothing goes negative, and growing back restores.
    p->SetBounds(0, 0, 10, 10);
    for (auto* x : c) {
        EXPECT_GE(x->Width(), 0);
        EXPECT_GE(x->Height(), 0);
    }
    p->SetBounds(0, 0, 200, 100);
    check(200, 100);
    // A hidden aligned child gives its room back; a constrained one keeps its limit.
    c[4]->Hide();
    EXPECT_EQ(c[2]->BoundsRect(), R(0, 0, 30, 60));
    c[2]->Constraints().SetMaxHeight(25);
    EXPECT_EQ(c[2]->Height(), 25);
    c[4]->Show();
    EXPECT_EQ(c[2]->BoundsRect(), R(0, 50, 30, 60));
}

TEST(Layout, AnchorsSurviveShrinkingToNothingAndSmallSteps) {
    owned<TPanel> p(Make<TPanel>(nullptr));
    p->SetBounds(0, 0, 200, 100);
    using K = TAnchorKind;
    auto* stretch = Child(p.get(), R(50, 10, 150, 30), {K::akLeft, K::akTop, K::akRight});
    auto* corner = Child(p.get(), R(150, 70, 190, 90), {K::akRight, K::akBottom});
    auto* floating = Child(p.get(), R(90, 40, 110, 60), {});
    auto* tall = Child(p.get(), R(0, 10, 20, 90), {K::akLeft, K::akTop, K::akBottom});
    p->SetBounds(0, 0, 20, 20);
    EXPECT_EQ(stretch->Width(), 0);
    EXPECT_EQ(corner->BoundsRect(), R(-30, -10, 10, 10));
    p->SetBounds(0, 0, 200, 100);
    EXPECT_EQ(stretch->BoundsRect(), R(50, 10, 150, 30));
    EXPECT_EQ(corner->BoundsRect(), R(150, 70, 190, 90));
    EXPECT_EQ(floating->BoundsRect(), R(90, 40, 110, 60));
    EXPECT_EQ(tall->BoundsRect(), R(0, 10, 20, 90));
    // Growing a pixel at a time moves an unanchored child by half the growth.
    for (int i = 1; i <= 10; ++i) p->SetBounds(0, 0, 200 + i, 100 + i);
    EXPECT_EQ(floating->BoundsRect(), R(95, 45, 115, 65));
    // A child placed by hand is anchored from its new place.
    floating->SetLeft(0);
    p->SetBounds(0, 0, 230, 110);
    EXPECT_EQ(floating->Left(), 10);
    // A constrained child grows only to its limit and comes back exactly
    // (the new limit places it: 130 wide at 230 becomes 120).
    stretch->Constraints().SetMaxWidth(120);
    p->SetBounds(0, 0, 400, 110);
    EXPECT_EQ(stretch->Width(), 120);
    p->SetBounds(0, 0, 230, 110);
    EXPECT_EQ(stretch->Width(), 120);
    p->SetBounds(0, 0, 190, 110);
    EXPECT_EQ(stretch->BoundsRect(), R(50, 10, 130, 30));
}

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { host = MakeHostWindow(); }
    static void TearDownTestSuite() { ::DestroyWindow(host); }
    static HWND host;
};
HWND WindowTest::host = nullptr;

// Someone else sizing the window (a host, the user) meets the constraints,
// and the contents follow.
TEST_F(WindowTest, ConstraintsHoldWhenOthersResizeTheWindow) {
    owned<TPanel> p(Make<TPanel>(nullptr));
    p->SetParentWindow(host);
    p->SetBounds(0, 0, 100, 40);
    p->Constraints().SetMaxWidth(150);
    p->Constraints().SetMinHeight(30);
    auto* stretch = Child(p.get(), R(10, 5, 90, 25), {TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight});
    HWND w = p->Handle();
    ASSERT_TRUE(w);
    ::SetWindowPos(w, nullptr, 5, 6, 400, 10, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT wr;
    ::GetClientRect(w, &wr);
    EXPECT_EQ(wr, R(0, 0, 150, 30));
    EXPECT_EQ(p->BoundsRect(), R(5, 6, 155, 36));
    EXPECT_EQ(stretch->BoundsRect(), R(10, 5, 140, 25));
    ::MoveWindow(w, 0, 0, 120, 50, FALSE);
    EXPECT_EQ(p->BoundsRect(), R(0, 0, 120, 50));
    EXPECT_EQ(stretch->Width(), 100);
    // A tighter limit applies at once.
    p->Constraints().SetMaxWidth(60);
    ::GetClientRect(w, &wr);
    EXPECT_EQ(wr.right, 60);
    EXPECT_EQ(stretch->Width(), 40);
}

TEST_F(WindowTest, TopLevelFormConstraintsAndColourKey) {
    owned<TForm> f(Make<TForm>(static_cast<TComponent*>(nullptr)));
    HWND w = f->Handle();
    ASSERT_TRUE(w);
    EXPECT_EQ(::GetParent(w), nullptr);
    f->Constraints().SetMinWidth(200);
    f->Constraints().SetMaxWidth(300);
    ::MoveWindow(w, 10, 10, 500, 200, FALSE);
    RECT wr;
    ::GetWindowRect(w, &wr);
    EXPECT_EQ(wr.right - wr.left, 300);
    EXPECT_EQ(f->Width(), 300);
    ::MoveWindow(w, 10, 10, 50, 200, FALSE);
    EXPECT_EQ(f->Width(), 200);

    auto layered = [&] { return (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
    auto key = [&] {
        COLORREF k = 0;
        DWORD flags = 0;
        EXPECT_TRUE(::GetLayeredWindowAttributes(w, &k, nullptr, &flags));
        EXPECT_EQ(flags & LWA_COLORKEY, static_cast<DWORD>(LWA_COLORKEY));
        return k;
    };
    f->SetTransparentColorValue(clRed);  // recorded, not yet in force
    EXPECT_FALSE(layered());
    f->SetTransparentColor(true);
    EXPECT_TRUE(layered());
    EXPECT_EQ(key(), RGB(255, 0, 0));
    f->SetTransparentColorValue(clBtnFace);  // a system colour, resolved
    EXPECT_EQ(key(), ::GetSysColor(COLOR_BTNFACE));
    f->SetTransparentColor(false);
    EXPECT_FALSE(layered());
    // Recreated, the window comes back layered with its key.
    f->SetTransparentColorValue(clLime);
    f->SetTransparentColor(true);
    f->DestroyHandle();
    w = f->Handle();
    EXPECT_TRUE(layered());
    EXPECT_EQ(key(), RGB(0, 255, 0));
}

// The canvas puts the DC's own objects back when it lets go, also after a
// font, brush or pen changed while selected; replaced handles are deleted.
TEST(Canvas, RestoresTheDcAndMeasuresWithItsFont) {
    TBitmap bmp;
    bmp.SetSize(64, 32);
    HDC dc = bmp.Canvas().Handle();
    ASSERT_TRUE(dc);
    HGDIOBJ font0 = ::GetCurrentObject(dc, OBJ_FONT), brush0 = ::GetCurrentObject(dc, OBJ_BRUSH),
            pen0 = ::GetCurrentObject(dc, OBJ_PEN);
    TCanvas c;
    EXPECT_EQ(c.TextExtent(L"x").cx, 0);  // nothing to measure on
    c.SetHandle(dc);
    c.Font().SetName(L"Tahoma");
    c.Font().SetHeight(-24);
    SIZE big = c.TextExtent(L"Hello");
    HFONT first = c.Font().Handle();
    c.Font().SetHeight(-12);
    SIZE small = c.TextExtent(L"Hello");
    EXPECT_EQ(::GetObjectType(first), 0u) << "the replaced font was not deleted";
    EXPECT_GT(big.cy, small.cy);
    EXPECT_GT(big.cx, small.cx);
    EXPECT_EQ(c.TextWidth(L"HelloHello"), 2 * small.cx);
    EXPECT_EQ(c.TextExtent(L"").cx, 0);

    c.Brush().SetColor(clRed);
    c.Pen().SetColor(clBlue);
    c.Rectangle(R(0, 0, 10, 10));
    HBRUSH red = c.Brush().Handle();
    c.Brush().SetColor(clLime);
    c.Pen().SetWidth(3);
    c.Rectangle(R(20, 0, 30, 10));
    EXPECT_EQ(::GetObjectType(red), 0u);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    c.TextOut(0, 12, L"x");
    EXPECT_NE(::GetCurrentObject(dc, OBJ_FONT), font0);
    c.SetHandle(nullptr);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), font0);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), brush0);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), pen0);

    // What GDI drew is what the rows hold (blue, green, red bytes).
    ::GdiFlush();
    const std::uint8_t* row = bmp.ScanLine(5);
    EXPECT_EQ(row[5 * 3 + 0], 0);
    EXPECT_EQ(row[5 * 3 + 2], 255);   // inside the red rectangle
    EXPECT_EQ(row[0], 255);           // its blue frame
    EXPECT_EQ(row[25 * 3 + 1], 255);  // the green one
}

// A picture is drawn upright at its place, moved by the DC's origin and cut
// by its clip, whatever its pixel format.
TEST(Canvas, DrawsAPictureUprightThroughTheOriginAndTheClip) {
    for (const TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        TBitmap picture;
        picture.SetPixelFormat(format);
        picture.SetSize(4, 3);
        const int bpp = picture.Image().BytesPerPixel();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                std::uint8_t* p = picture.ScanLine(y) + x * bpp;
                p[0] = 7, p[1] = static_cast<std::uint8_t>(100 + 50 * y), p[2] = static_cast<std::uint8_t>(10 * x);
            }
        TBitmap target;
        target.SetSize(20, 10);
        HDC dc = target.Canvas().Handle();
        ::SetViewportOrgEx(dc, 5, 2, nullptr);
        ::IntersectClipRect(dc, 0, 0, 3, 3);
        TCanvas c;
        c.SetHandle(dc);
        c.Draw(1, 0, picture);
        c.SetHandle(nullptr);
        ::SetViewportOrgEx(dc, 0, 0, nullptr);
        ::SelectClipRgn(dc, nullptr);
        EXPECT_EQ(::GetPixel(dc, 6, 2), RGB(0, 100, 7)) << "top-left pixel, " << bpp << " bytes a pixel";
        EXPECT_EQ(::GetPixel(dc, 7, 4), RGB(10, 200, 7)) << "bottom row";
        EXPECT_EQ(::GetPixel(dc, 8, 2), RGB(0, 0, 0)) << "cut by the clip";
        EXPECT_EQ(::GetPixel(dc, 6, 5), RGB(0, 0, 0)) << "below the picture";
    }
}

// A file image of w x h at bpp with every pixel (b, g, r).
std::vector<std::uint8_t> Bmp(int w, int h, int bpp, bool top_down = false, std::uint32_t compression = BI_RGB) {
    std::size_t stride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
    std::uint32_t extra = compression == BI_BITFIELDS ? 12 : 0;
    std::uint32_t offset = 54 + extra;
    std::vector<std::uint8_t> d(offset + stride * h);
    auto put16 = [&](std::size_t o, std::uint32_t v) { d[o] = v & 0xFF, d[o + 1] = (v >> 8) & 0xFF; };
    auto put32 = [&](std::size_t o, std::uint32_t v) { put16(o, v & 0xFFFF), put16(o + 2, v >> 16); };
    d[0] = 'B', d[1] = 'M';
    put32(2, static_cast<std::uint32_t>(d.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(top_down ? -h : h));
    put16(26, 1);
    put16(28, static_cast<std::uint32_t>(bpp));
    put32(30, compression);
    if (extra) put32(54, 0xFF0000), put32(58, 0xFF00), put32(62, 0xFF);
    // Row r of the file holds the value r in every byte of its first pixel.
    for (int r = 0; r < h; ++r) std::memset(&d[offset + r * stride], r + 1, bpp / 8);
    return d;
}

TEST(Bitmap, FileImagesRowsFormatsAndRefusals) {
    TBitmap b;
    b.LoadFromBmpData(Bmp(3, 4, 24));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b.ScanLine(0)[0], 4);  // bottom-up: the file's last row is the top
    EXPECT_EQ(b.ScanLine(3)[0], 1);
    b.LoadFromBmpData(Bmp(3, 4, 32, true));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(b.ScanLine(0)[0], 1);  // top-down: in file order
    EXPECT_EQ(b.ScanLine(3)[3], 4);
    b.LoadFromBmpData(Bmp(2, 2, 32, false, BI_BITFIELDS));
    EXPECT_EQ(b.Width(), 2);

    auto refused = [&](std::vector<std::uint8_t> d) {
        b.LoadFromBmpData(Bmp(5, 5, 24));
        EXPECT_THROW(b.LoadFromBmpData(d), EUiError);
        return b.Width() == 5 && b.Height() == 5 && b.ScanLine(0)[0] == 5;  // untouched
    };
    auto patched = [](std::vector<std::uint8_t> d, std::size_t at, std::uint32_t v, int bytes = 4) {
        for (int i = 0; i < bytes; ++i) d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        return d;
    };
    auto ok = Bmp(4, 4, 24);
    EXPECT_TRUE(refused({ok.begin(), ok.begin() + 53}));
    EXPECT_TRUE(refused(patched(ok, 0, 'X', 1)));
    EXPECT_TRUE(refused(patched(ok, 28, 8, 2)));  // 8 bits per pixel
    EXPECT_TRUE(refused(patched(ok, 30, BI_RLE8)));
    EXPECT_TRUE(refused(patched(ok, 26, 2, 2)));                       // two planes
    EXPECT_TRUE(refused(patched(ok, 18, 0)));                          // no width
    EXPECT_TRUE(refused(patched(ok, 22, 0)));                          // no height
    EXPECT_TRUE(refused(patched(ok, 18, 16385)));                      // too wide
    EXPECT_TRUE(refused(patched(ok, 22, 0x80000000u)));                // height -2^31
    EXPECT_TRUE(refused(patched(ok, 10, 0xFFFFFFF0u)));                // pixels past the end
    EXPECT_TRUE(refused({ok.begin(), ok.end() - 1}));                  // one byte short
    EXPECT_TRUE(refused(patched(patched(ok, 18, 16384), 22, 16384)));  // huge, with a tiny file
    // Bit fields other than the plain layout would give wrong colours.
    EXPECT_TRUE(refused(patched(Bmp(2, 2, 32, false, BI_BITFIELDS), 54, 0xFF)));
    EXPECT_TRUE(refused(patched(Bmp(2, 2, 24), 30, BI_BITFIELDS)));
}

TEST(Bitmap, SizeAndFormatChangesKeepThePicture) {
    TBitmap b;
    b.SetSize(4, 3);
    b.Canvas().Brush().SetColor(RGB(10, 20, 30));
    b.Canvas().FillRect(R(0, 0, 4, 3));
    ::GdiFlush();
    int changes = 0;
    b.OnChange = [&] { ++changes; };
    b.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_EQ(b.ScanLine(2)[4 * 3 + 0], 30);
    EXPECT_EQ(b.ScanLine(2)[4 * 3 + 2], 10);
    EXPECT_EQ(b.Canvas().Pixel(3, 2), RGB(10, 20, 30));  // the canvas follows the new image
    b.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(b.Canvas().Pixel(1, 1), RGB(10, 20, 30));
    b.SetSize(6, 5);
    EXPECT_EQ(b.Canvas().Pixel(3, 2), RGB(10, 20, 30));
    EXPECT_EQ(b.Canvas().Pixel(5, 4), RGB(0, 0, 0));
    EXPECT_EQ(changes, 3);
    EXPECT_THROW(b.SetSize(-1, 5), EUiError);
    EXPECT_THROW(b.SetSize(paint::Bitmap::MaxDimension + 1, 1), EUiError);
    EXPECT_EQ(b.Width(), 6);
    TBitmap copy;
    copy.Assign(b);
    b.Clear();
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Canvas().Handle(), nullptr);
    EXPECT_EQ(copy.Canvas().Pixel(0, 0), RGB(10, 20, 30));
}

}  // namespace
}  // namespace velmap::ui::test
