#include "test_form.h"

#include <gtest/gtest.h>

namespace velmap::ui::test {
namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { host = MakeHostWindow(); }
    void TearDown() override {
        SetScreenPixelsPerInch(0);
        ::DestroyWindow(host);
    }
    HWND host = nullptr;
};

TEST_F(FormTest, StoredPropertiesLand) {
    owned<TTestForm> f(Make<TTestForm>(host));
    EXPECT_EQ(f->Name(), "TestForm");
    EXPECT_EQ(f->Caption(), L"Test \"form\" & co");
    EXPECT_EQ(f->ClientWidth(), 160);
    EXPECT_EQ(f->ClientHeight(), 25);
    EXPECT_EQ(f->Color(), clBlack);
    EXPECT_EQ(f->Font().Height(), -11);
    EXPECT_EQ(f->Font().Name(), L"MS Sans Serif");
    EXPECT_EQ(f->Font().Color(), clWindowText);
    EXPECT_EQ(f->Constraints().MinWidth(), 160);
    EXPECT_EQ(f->Constraints().MaxWidth(), 188);
    EXPECT_FALSE(f->HorzScrollBar().Visible());
    EXPECT_EQ(f->BorderStyle(), TFormBorderStyle::bsNone);

    ASSERT_TRUE(f->CoolBar && f->Panel && f->btnA && f->btnB && f->Timer1 && f->Lists);
    EXPECT_EQ(f->creates, 1);
    EXPECT_TRUE(f->fields_ready_at_create);

    // The cool bar: aligned to the top, held at 160 wide, its one band
    // holding the panel.
    EXPECT_EQ(f->CoolBar->Align(), TAlign::alTop);
    EXPECT_EQ(f->CoolBar->Width(), 160);
    EXPECT_EQ(f->CoolBar->Height(), 180);
    ASSERT_EQ(f->CoolBar->Bands().Count(), 1u);
    EXPECT_EQ(f->CoolBar->Bands()[0].Control(), f->Panel);
    EXPECT_EQ(f->CoolBar->Bands()[0].ImageIndex(), -1);
    EXPECT_TRUE(f->CoolBar->FixedSize());
    EXPECT_EQ(f->CoolBar->EdgeOuter(), TEdgeStyle::esNone);
    EXPECT_EQ(f->CoolBar->BandMaximize(), TCoolBandMaximize::bmNone);

    EXPECT_EQ(f->Panel->Parent(), f->CoolBar);
    EXPECT_EQ(f->Panel->BoundsRect().right, 160);
    EXPECT_EQ(f->Panel->Height(), 25);
    EXPECT_EQ(f->Panel->Color(), 0x3B3B3B);
    EXPECT_EQ(f->Panel->Anchors(), (TAnchors{TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight}));
    ASSERT_EQ(f->Panel->Controls().size(), 2u);
    EXPECT_EQ(f->Panel->Controls()[0], f->btnA);  // stored order

    EXPECT_EQ(f->btnA->Left(), 14);
    EXPECT_EQ(f->btnA->Width(), 20);
    EXPECT_EQ(f->btnA->Glyph().Width(), 14);
    EXPECT_TRUE(f->btnA->Flat());
    EXPECT_EQ(f->btnA->Font().Height(), -11);  // from the parent
    EXPECT_EQ(f->btnB->GroupIndex(), 1);
    EXPECT_TRUE(f->btnB->AllowAllUp());
    EXPECT_EQ(f->btnB->Font().Style(), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
    EXPECT_FALSE(f->btnB->ParentFont());
    EXPECT_EQ(f->Timer1->Interval(), 10u);
    EXPECT_FALSE(f->Timer1->Enabled());
    EXPECT_EQ(f->Lists->third.buttons, (std::vector<std::wstring>{L"TButton", L"TSpeedButton"}));
    EXPECT_EQ(f->Lists->third.edits, (std::vector<std::wstring>{L" "}));
    EXPECT_EQ(f->Lists->title, L"line1\r\nline2");
}

TEST_F(FormTest, ChildOfAForeignWindow) {
    owned<TTestForm> f(Make<TTestForm>(host));
    HWND w = f->Handle();
    ASSERT_TRUE(w);
    EXPECT_EQ(::GetParent(w), host);
    LONG style = ::GetWindowLongW(w, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_CLIPSIBLINGS), WS_CHILD | WS_CLIPSIBLINGS);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_TRUE(style & WS_VISIBLE);
    RECT r;
    ::GetWindowRect(w, &r);
    ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);  // poDefault: the stored Left/Top are not used
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 160);
    EXPECT_EQ(r.bottom, 25);
    // Black is the colour key of a layered window.
    EXPECT_TRUE(::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
    COLORREF key = 1;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(w, &key, nullptr, &flags));
    EXPECT_EQ(key, RGB(0, 0, 0));
    EXPECT_TRUE(flags & LWA_COLORKEY);
    // Width is held between the constraints, also when the host resizes it.
    ::SetWindowPos(w, nullptr, 0, 0, 400, 25, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(f->Width(), 188);
    ::SetWindowPos(w, nullptr, 0, 0, 20, 25, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(f->Width(), 160);
    // The host going first takes the windows; the objects stay usable.
    HWND panel = f->Panel->Handle();
    ::DestroyWindow(host);
    host = nullptr;
    EXPECT_FALSE(::IsWindow(panel));
    EXPECT_FALSE(f->HandleAllocated());
    EXPECT_FALSE(f->Panel->HandleAllocated());
}

TEST_F(FormTest, ScalesAtAnotherDensity) {
    SetScreenPixelsPerInch(144);
    owned<TTestForm> f(Make<TTestForm>(host));
    EXPECT_EQ(f->Font().Height(), -17);  // -11 * 144 / 96, rounded away from zero
    // The contents follow the text height the scaled font really has.
    TFont probe;
    probe.SetHeight(-17);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, probe.Handle());
    TEXTMETRICW tm;
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    int th = tm.tmHeight;
    ASSERT_NE(th, 13);
    EXPECT_EQ(f->TextHeight(), th);
    EXPECT_EQ(f->PixelsPerInch(), 144);
    EXPECT_EQ(f->btnA->Left(), ::MulDiv(14, th, 13));
    EXPECT_EQ(f->btnA->Width(), ::MulDiv(34, th, 13) - ::MulDiv(14, th, 13));
    EXPECT_EQ(f->ClientHeight(), ::MulDiv(25, th, 13));
    EXPECT_EQ(f->Constraints().MaxWidth(), ::MulDiv(188, th, 13));
    EXPECT_EQ(f->btnB->Font().Height(), ::MulDiv(-11, th, 13));  // its own font
    // The cool bar's band grew with its panel: laying the bands out again keeps it.
    f->CoolBar->LayoutBands();
    EXPECT_EQ(f->Panel->Width(), ::MulDiv(160, th, 13));
}

// Live window and GDI objects of the process; Wine may not count the latter.
struct ObjectCount {
    DWORD user, gdi;
    int windows;
};
BOOL CALLBACK CountWindow(HWND, LPARAM p) {
    ++*reinterpret_cast<int*>(p);
    return TRUE;
}
BOOL CALLBACK CountWindowAndChildren(HWND w, LPARAM p) {
    ++*reinterpret_cast<int*>(p);
    ::EnumChildWindows(w, &CountWindow, p);
    return TRUE;
}
ObjectCount CountObjects() {
    ObjectCount c{::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS),
                  ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), 0};
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindowAndChildren, reinterpret_cast<LPARAM>(&c.windows));
    return c;
}

TEST_F(FormTest, OwnershipFreesEverything) {
    {
        // Warm up: classes registered, fonts cached by the system.
        owned<TTestForm> f(Make<TTestForm>(host));
        HDC dc = ::GetDC(f->Handle());
        ::SendMessageW(f->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_CHILDREN);
        ::ReleaseDC(f->Handle(), dc);
    }
    Pump(20);
    ObjectCount before = CountObjects();
    for (int i = 0; i < 200; ++i) {
        owned<TTestForm> f(Make<TTestForm>(host));
        f->Timer1->SetEnabled(true);
        HDC dc = ::GetDC(f->Handle());
        ::SendMessageW(f->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_CHILDREN);
        ::ReleaseDC(f->Handle(), dc);
        // Components freed early are gone from their owner and their fields.
        if (i % 2) {
            f->btnB->Free();
            EXPECT_EQ(f->btnB, nullptr);
            EXPECT_EQ(f->Panel->Controls().size(), 1u);
        }
    }
    Pump(20);
    ObjectCount after = CountObjects();
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.user, before.user);
    EXPECT_LE(after.gdi, before.gdi);
}

TEST_F(FormTest, TimerFreedInsideItsOwnTick) {
    owned<TTestForm> f(Make<TTestForm>(host));
    std::size_t owned_before = f->Components().size();
    f->on_tick = [&](TTimer* t) {
        t->Free();  // the timer goes while its tick is running
    };
    f->Timer1->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return f->ticks > 0; }));
    EXPECT_EQ(f->Timer1, nullptr);
    EXPECT_EQ(f->Components().size(), owned_before - 1);
    Pump(50);
    EXPECT_EQ(f->ticks, 1);  // no tick after it was freed
}

TEST_F(FormTest, TimerRepeatsOnTheGuiThread) {
    owned<TTestForm> f(Make<TTestForm>(host));
    DWORD thread = 0;
    f->on_tick = [&](TTimer*) { thread = ::GetCurrentThreadId(); };
    f->Timer1->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return f->ticks >= 3; }));
    EXPECT_EQ(thread, ::GetCurrentThreadId());
    f->Timer1->SetEnabled(false);
    int seen = f->ticks;
    Pump(60);
    EXPECT_EQ(f->ticks, seen);
}

// The window procedure can be replaced per object (direct dispatch goes
// through it) and per window (the system procedure still reaches the object).
TEST_F(FormTest, WindowProceduresCanBeHooked) {
    owned<TTestForm> f(Make<TTestForm>(host));
    std::vector<UINT> seen;
    TWndMethod old = f->btnA->WindowProc;
    f->btnA->WindowProc = [&](TMessage& m) {
        seen.push_back(m.Msg);
        old(m);
    };
    f->btnA->Perform(UIM_TEXTCHANGED);
    f->btnA->SetCaption(L"x");
    EXPECT_EQ(seen, (std::vector<UINT>{UIM_TEXTCHANGED, UIM_TEXTCHANGED}));

    static WNDPROC original = nullptr;
    static int hooked = 0;
    hooked = 0;
    HWND w = f->Handle();
    original = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_SIZE) ++hooked;
            return ::CallWindowProcW(original, h, m, wp, lp);
        })));
    ::SetWindowPos(w, nullptr, 0, 0, 170, 25, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(hooked, 1);
    EXPECT_EQ(f->Width(), 170);  // the form's own handling stays behind the hook
    EXPECT_EQ(f->CoolBar->Width(), 160);
}

// The panel paints its non-windowed children; WM_PRINT gives the same picture.
TEST_F(FormTest, PanelPaintsGraphicChildrenIntoPrint) {
    owned<TTestForm> f(Make<TTestForm>(host));
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, 160, 25);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::SendMessageW(f->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_CHILDREN);
    // Panel face, then btnA's glyph (14 x 14 centred in 20 x 20 at 14, 3):
    // white square at glyph (4..9), the glyph's key colour left out.
    EXPECT_EQ(::GetPixel(mem, 2, 12), RGB(0x3B, 0x3B, 0x3B));
    EXPECT_EQ(::GetPixel(mem, 14 + 3 + 6, 3 + 3 + 6), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(mem, 14 + 3 + 1, 3 + 3 + 1), RGB(0x3B, 0x3B, 0x3B));
    ::SelectObject(mem, old);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
}

TEST_F(FormTest, GroupedButtonsStayExclusive) {
    owned<TTestForm> f(Make<TTestForm>(host));
    auto* c = Make<TSpeedButton>(f.get());
    c->SetParent(f->Panel);
    c->SetGroupIndex(1);
    f->btnB->SetDown(true);
    EXPECT_EQ(f->btnB->State(), TButtonState::bsExclusive);
    c->SetDown(true);
    EXPECT_TRUE(c->Down());
    EXPECT_FALSE(f->btnB->Down());
    c->SetDown(false);  // AllowAllUp is only on btnB
    EXPECT_TRUE(c->Down());
    f->btnA->SetDown(true);  // not grouped: never down
    EXPECT_FALSE(f->btnA->Down());
}

// Before it has a window, a form's size is its client size and its frame:
// none for a borderless form, the system's for the others.
TEST(FormSize, WithoutAWindowTheFrameIsAddedToTheClientSize) {
    const struct {
        const char* style;
        DWORD frame;
    } cases[] = {{"bsNone", 0},
                 {"bsSingle", WS_CAPTION | WS_SYSMENU | WS_BORDER},
                 {"bsSizeable", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME}};
    for (const auto& c : cases) {
        const std::string text = std::string("object F : TSizedForm\n BorderStyle = ") + c.style +
                                 "\n ClientWidth = 160\n ClientHeight = 25\nend\n";
        RECT expected{0, 0, 160, 25};
        if (c.frame) ::AdjustWindowRectEx(&expected, c.frame, FALSE, 0);
        const SIZE size = TCustomForm::DescriptionSizeAt(text, "TSizedForm", 96);
        EXPECT_EQ(size.cx, expected.right - expected.left) << c.style;
        EXPECT_EQ(size.cy, expected.bottom - expected.top) << c.style;
    }
}

}  // namespace
}  // namespace velmap::ui::test
