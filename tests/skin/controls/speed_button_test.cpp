// The skinned speed button's cross-fade, stepped tick by tick: each face is
// painted in one colour, so every frame on screen tells its weight.
#include <gtest/gtest.h>

#include <new>

#include "control_fixture.h"

namespace velmap::skin::test {
namespace {

// What a frame of weight w shows, from a white old face to a black new one.
int WhiteToBlack(int w) { return (255 * w + 127) >> 8; }

class FadeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TsAnimTimer::SetManualTicks(true);
        form_ = MakeControlsForm(
            Button("A", 10, "FADE20") + Button("Still", 40, "STILL") + Button("Five", 70) + Button("Huge", 100, "HUGE"),
            "[FADE20]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=20\r\n[STILL]\r\nCOLOR=0\r\n"
            "[HUGE]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=100000\r\n");
        panel_ = Find<TsPanel>(form_, "Panel");
    }
    void TearDown() override {
        form_.reset();
        TsAnimTimer::SetManualTicks(false);
        ButtonEffectEvents = TacBtnEffectSet::All();
    }
    TsSpeedButton* B(const char* name) { return Find<TsSpeedButton>(form_, name); }
    int Shown(TsSpeedButton* b) { return ScreenPixel(panel_, b->Left() + 10, b->Top() + 10) & 0xFF; }
    static void Send(TsSpeedButton* b, UINT msg) {
        const bool mouse = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP;
        b->Perform(msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, mouse ? MAKELPARAM(5, 5) : reinterpret_cast<LPARAM>(b));
    }
    // The frames shown from now until the fade stops (the one shown when it
    // started included), with at most `ticks` ticks.
    std::vector<int> Frames(TsSpeedButton* b, int ticks = 1000) {
        std::vector<int> shown;
        while (b->FadeTimer()) {
            shown.push_back(Shown(b));
            if (ticks-- == 0) break;
            b->FadeTimer()->Tick();
        }
        return shown;
    }

    FacePainter painter_;
    PainterScope scope_{&painter_};
    ui::owned<ui::TForm> form_;
    TsPanel* panel_ = nullptr;
};

TEST_F(FadeTest, HoverFadesInAllStepsAndPressInHalfOfThem) {
    struct Case {
        const char* button;
        bool press;
        std::vector<int> weights;
    } cases[] = {
        {"A", false, {243, 230, 217, 204, 191, 179, 166, 153, 140, 127, 115, 102, 89, 76, 63, 51, 38, 25, 12, 0}},
        {"A", true, {230, 204, 179, 153, 127, 102, 76, 51, 25, 0}},
        {"Five", false, {204, 153, 102, 51, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + (c.press ? " pressed" : " entered"));
        TsSpeedButton* b = B(c.button);
        // The look before the event is white, the one after it black.
        painter_.faces[1] = c.press ? 0xFFFFFF : 0x000000;
        Send(b, ui::UIM_MOUSEENTER);
        if (c.press) {
            Frames(b);
            Send(b, WM_LBUTTONDOWN);
        }
        std::vector<int> expected;
        for (int w : c.weights) expected.push_back(WhiteToBlack(w));
        EXPECT_EQ(Frames(b), expected);
        // The tick after the last frame ends the fade; the new face stays.
        EXPECT_EQ(b->FadeTimer(), nullptr);
        EXPECT_EQ(Shown(b), 0);
        EXPECT_EQ(TsAnimTimer::LiveCount(), 0);
        Send(b, WM_LBUTTONUP);
        Send(b, ui::UIM_MOUSELEAVE);
        Frames(b);
    }
    // A huge FADINGITERATIONS fades in a hundred steps.
    Send(B("Huge"), ui::UIM_MOUSEENTER);
    EXPECT_EQ(Frames(B("Huge")).size(), 100u);
}

TEST_F(FadeTest, ARestartGoesOnFromTheMirroredStepWithinTheNewFade) {
    TsSpeedButton* a = B("A");
    // Left after five frames of twenty: on from step 20 - 6 = 14, weight 76.
    Send(a, ui::UIM_MOUSEENTER);
    Frames(a, 4);
    Send(a, ui::UIM_MOUSELEAVE);
    EXPECT_EQ(Shown(a), WhiteToBlack(255 - 76));
    Frames(a);
    // Left after the last frame but before the tick that ends the fade: step
    // 20 - 21 would show nothing; the new fade starts at its first step.
    Send(a, ui::UIM_MOUSEENTER);
    Frames(a, 19);
    ASSERT_NE(a->FadeTimer(), nullptr);
    Send(a, ui::UIM_MOUSELEAVE);
    EXPECT_EQ(Shown(a), WhiteToBlack(255 - 243));
    EXPECT_EQ(Frames(a).size(), 20u);
}

TEST_F(FadeTest, AFrameIsCopiedOntoTheButtonsPlaceAloneWithoutRepaintingThePanel) {
    TsSpeedButton* a = B("A");
    int panel_paints = 0;
    panel_->WindowProc = [&panel_paints, old = panel_->WindowProc](ui::TMessage& m) {
        panel_paints += m.Msg == WM_PAINT;
        old(m);
    };
    Send(a, ui::UIM_MOUSEENTER);
    for (int i = 0; i < 9; ++i) a->FadeTimer()->Tick();
    EXPECT_EQ(panel_paints, 0);
    // Frame ten of twenty, every pixel of it, and the panel around it as it was.
    const RECT r = a->BoundsRect();
    for (int y = r.top - 1; y <= r.bottom; ++y)
        for (int x = r.left - 1; x <= r.right; ++x) {
            const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            const COLORREF expected = inside ? 0x010101u * WhiteToBlack(127) : FacePainter::kPanel;
            ASSERT_EQ(ScreenPixel(panel_, x, y), expected) << x << "," << y;
        }
    // A focused button's frames go through the panel, which draws the focus over it.
    a->SkinData().Focused = true;
    a->FadeTimer()->Tick();
    EXPECT_GT(panel_paints, 0);
    a->SkinData().Focused = false;
    Frames(a);
}

TEST_F(FadeTest, AReleaseDuringAFadeClicksEvenWhenTheFaceCannotBeBuilt) {
    // Out of memory while the released button's final face is built: the
    // face may stay stale, the click and the release may not be lost.
    TsSpeedButton* a = B("A");
    int clicks = 0;
    a->OnClick = [&](ui::TComponent*) { ++clicks; };
    Send(a, ui::UIM_MOUSEENTER);
    Frames(a);
    Send(a, WM_LBUTTONDOWN);
    ASSERT_NE(a->FadeTimer(), nullptr);
    a->OnPaint = [](ui::TComponent*, ui::TBitmap&) { throw std::bad_alloc(); };
    EXPECT_NO_THROW(Send(a, WM_LBUTTONUP));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(a->State(), ui::TButtonState::bsUp);
    a->OnPaint = nullptr;
    Send(a, ui::UIM_MOUSELEAVE);
    Frames(a);
}

TEST_F(FadeTest, NoTimerWhereNothingFadesAndNothingPaintsWhileIdle) {
    // A section without FADINGENABLED shows the hot face at once.
    Send(B("Still"), ui::UIM_MOUSEENTER);
    EXPECT_EQ(B("Still")->FadeTimer(), nullptr);
    EXPECT_EQ(Shown(B("Still")), 0);
    // So does a press when the manager's effects leave presses out.
    painter_.faces[1] = 0xFFFFFF;
    TsSpeedButton* a = B("A");
    Send(a, ui::UIM_MOUSEENTER);
    Frames(a);
    ButtonEffectEvents.Exclude(beMouseDown);
    Send(a, WM_LBUTTONDOWN);
    EXPECT_EQ(a->FadeTimer(), nullptr);
    EXPECT_EQ(Shown(a), 0);
    // Dragged off while held, it shows its hot face again.
    a->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, 5));
    panel_->Update();
    EXPECT_EQ(Shown(a), 255);
    // A fade runs out also for a button taken off its panel.
    Send(B("Five"), ui::UIM_MOUSEENTER);
    B("Five")->SetParent(nullptr);
    Frames(B("Five"), 100);
    EXPECT_EQ(TsAnimTimer::LiveCount(), 0);
    // Then nothing paints.
    int paints = 0;
    for (ui::TControl* c : panel_->Controls())
        c->WindowProc = [&paints, old = c->WindowProc](ui::TMessage& m) {
            paints += m.Msg == WM_PAINT;
            old(m);
        };
    Pump(300);
    EXPECT_EQ(paints, 0);
}

TEST(SpeedButtonTest, ASectionAtIndexZeroIsNotLookedUpOnEveryPaint) {
    FacePainter painter;
    PainterScope scope(&painter);
    auto form = MakeControlsForm(Button("A", 10), {}, "[SPEEDBUTTON]\r\nTRANSPARENCY=100\r\n[PANEL]\r\nCOLOR=0\r\n");
    auto* a = Find<TsSpeedButton>(form, "A");
    ASSERT_EQ(a->SkinData().SectionIndex, 0);
    int rebuilds = 0;
    a->OnPaint = [&](ui::TComponent*, ui::TBitmap&) { ++rebuilds; };
    a->Repaint();
    a->Repaint();
    EXPECT_EQ(rebuilds, 0);
}

TEST(ButtonLayoutTest, TheBandButtonsGlyphAndAGlyphBesideACaption) {
    ButtonLayoutInput band;  // 20 x 20, an 18 x 18 glyph, no caption
    band.width = band.height = 20;
    band.glyph_width = band.glyph_height = 18;
    ButtonLayoutInput pressed = band, text = band;
    pressed.pressed = true;
    text.width = 80;  // and a 30 x 13 caption right of it
    text.text_width = 30;
    text.text_height = 13;
    text.has_caption = true;
    const struct {
        ButtonLayoutInput in;
        RECT glyph, caption;
    } cases[] = {{band, {1, 1, 19, 19}, {22, 10, 21, 10}},
                 {pressed, {2, 2, 20, 20}, {23, 11, 22, 11}},
                 {text, {14, 1, 32, 19}, {35, 3, 68, 17}}};
    for (const auto& c : cases) {
        const ButtonLayoutRects r = LayOutButton(c.in);
        EXPECT_TRUE(::EqualRect(&r.glyph, &c.glyph) && ::EqualRect(&r.caption, &c.caption))
            << r.glyph.left << "," << r.glyph.top << " " << r.caption.left << "," << r.caption.right;
    }
}

}  // namespace
}  // namespace velmap::skin::test
