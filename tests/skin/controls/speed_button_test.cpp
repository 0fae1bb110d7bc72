// The skinned speed button's cross-fade, stepped tick by tick: each face is
// painted in one colour, so every frame on screen tells its weight.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace velmap::skin::test {
namespace {

const char kButtons[] = R"(
    object A : TsSpeedButton
      Left = 10
      Top = 10
      Width = 20
      Height = 20
      SkinData.SkinSection = "FADE20"
    end
    object Still : TsSpeedButton
      Left = 40
      Top = 10
      Width = 20
      Height = 20
      SkinData.SkinSection = "STILL"
    end
    object Five : TsSpeedButton
      Left = 70
      Top = 10
      Width = 20
      Height = 20
    end
    object Huge : TsSpeedButton
      Left = 100
      Top = 10
      Width = 20
      Height = 20
      SkinData.SkinSection = "HUGE"
    end
)";
const char kSections[] =
    "[FADE20]\r\nTRANSPARENCY=100\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=20\r\n"
    "[STILL]\r\nTRANSPARENCY=100\r\n"
    "[HUGE]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=100000\r\n";

// What a frame of weight w shows, from a white old face to a black new one.
int WhiteToBlack(int w) { return (255 * w + 127) >> 8; }

class FadeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::TControl::SetMouseControl(nullptr);
        TsAnimTimer::SetManualTicks(true);
        form_ = MakeControlsForm(SharedHost(), kButtons, kSections);
        panel_ = dynamic_cast<TsPanel*>(form_->FindComponent("Panel"));
        ASSERT_NE(panel_, nullptr);
    }
    void TearDown() override {
        form_.reset();
        TsAnimTimer::SetManualTicks(false);
        ButtonEffectEvents = TacBtnEffectSet::All();
    }
    TsSpeedButton* Button(const char* name) { return dynamic_cast<TsSpeedButton*>(form_->FindComponent(name)); }
    int Shown(TsSpeedButton* b) { return ScreenPixel(panel_, b->Left() + 10, b->Top() + 10) & 0xFF; }
    static void Enter(TsSpeedButton* b) { b->Perform(ui::UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(b)); }
    static void Leave(TsSpeedButton* b) { b->Perform(ui::UIM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(b)); }
    static void Press(TsSpeedButton* b) { b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }
    // The frames shown from now until the fade stops, the first (shown when
    // the fade starts) included; at most `ticks` more ticks.
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
        TsSpeedButton* b = Button(c.button);
        // The look before the event is white, the one after it black.
        painter_.faces[0] = 0xFFFFFF;
        painter_.faces[1] = c.press ? 0xFFFFFF : 0x000000;
        painter_.faces[2] = 0x000000;
        Enter(b);
        if (c.press) {
            Frames(b);
            Press(b);
        }
        std::vector<int> expected;
        for (int w : c.weights) expected.push_back(WhiteToBlack(w));
        EXPECT_EQ(Frames(b), expected);
        // The tick after the last frame stops the fade; the new face stays.
        EXPECT_EQ(b->FadeTimer(), nullptr);
        EXPECT_EQ(Shown(b), 0);
        EXPECT_EQ(TsAnimTimer::LiveCount(), 0);
        b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Leave(b);
        Frames(b);
    }
}

TEST_F(FadeTest, ARestartGoesOnFromTheMirroredStepWithinTheNewFade) {
    TsSpeedButton* a = Button("A");
    // Left after five frames of twenty: on from step 20 - 6 = 14, weight 76.
    Enter(a);
    Frames(a, 4);
    Leave(a);
    EXPECT_EQ(Shown(a), WhiteToBlack(255 - 76));
    Frames(a);
    // Entered and left again after the last frame, before the tick that
    // stops the fade: step 20 - 21 would show nothing; the new fade starts
    // at its first step.
    Enter(a);
    Frames(a, 19);
    ASSERT_NE(a->FadeTimer(), nullptr);
    EXPECT_EQ(Shown(a), 0);
    Leave(a);
    EXPECT_EQ(Shown(a), WhiteToBlack(255 - 243));
    EXPECT_EQ(Frames(a).size(), 20u);
}

TEST_F(FadeTest, HugeIterationCountsFadeInAHundredSteps) {
    TsSpeedButton* h = Button("Huge");
    Enter(h);
    const std::vector<int> frames = Frames(h);
    ASSERT_EQ(frames.size(), 100u);
    EXPECT_EQ(frames.front(), WhiteToBlack(253));
    EXPECT_EQ(frames.back(), 0);
}

TEST_F(FadeTest, NoTimerWithoutFadingOrForEventsThatDoNotFade) {
    // A section without FADINGENABLED shows the hot face at once.
    TsSpeedButton* still = Button("Still");
    Enter(still);
    EXPECT_EQ(still->FadeTimer(), nullptr);
    EXPECT_EQ(Shown(still), 0);
    // Presses do not fade when the manager's effects leave them out.
    painter_.faces[1] = 0xFFFFFF;
    TsSpeedButton* a = Button("A");
    Enter(a);
    Frames(a);
    TacBtnEffectSet effects = TacBtnEffectSet::All();
    effects.Exclude(beMouseDown);
    ButtonEffectEvents = effects;
    Press(a);
    EXPECT_EQ(a->FadeTimer(), nullptr);
    EXPECT_EQ(Shown(a), 0);
    EXPECT_EQ(TsAnimTimer::LiveCount(), 0);
}

TEST_F(FadeTest, NothingTicksOrPaintsWhileNothingChanges) {
    TsSpeedButton* a = Button("A");
    Enter(a);
    Frames(a);
    int paints = 0;
    for (ui::TControl* c : panel_->Controls()) {
        ui::TWndMethod old = c->WindowProc;
        c->WindowProc = [&paints, old](ui::TMessage& m) {
            if (m.Msg == WM_PAINT) ++paints;
            old(m);
        };
    }
    Pump(300);
    EXPECT_EQ(paints, 0);
    EXPECT_EQ(TsAnimTimer::LiveCount(), 0);
}

TEST_F(FadeTest, AFadeRunsOutAlsoForAButtonTakenOffItsPanel) {
    TsSpeedButton* a = Button("A");
    Enter(a);
    a->SetParent(nullptr);
    Frames(a, 100);
    EXPECT_EQ(a->FadeTimer(), nullptr);
    EXPECT_EQ(TsAnimTimer::LiveCount(), 0);
}

TEST(SpeedButtonTest, ASectionAtIndexZeroIsNotLookedUpOnEveryPaint) {
    TsAnimTimer::SetManualTicks(true);
    FacePainter painter;
    PainterScope scope(&painter);
    auto form = MakeControlsForm(SharedHost(), R"(
    object A : TsSpeedButton
      Left = 10
      Top = 10
      Width = 20
      Height = 20
    end
)", {}, "[SPEEDBUTTON]\r\nTRANSPARENCY=100\r\n[PANEL]\r\nCOLOR=0\r\n");
    auto* a = dynamic_cast<TsSpeedButton*>(form->FindComponent("A"));
    ASSERT_EQ(a->SkinData().SectionIndex, 0);
    int rebuilds = 0;
    a->OnPaint = [&](ui::TComponent*, ui::TBitmap&) { ++rebuilds; };
    a->Repaint();
    a->Repaint();
    EXPECT_EQ(rebuilds, 0);
    TsAnimTimer::SetManualTicks(false);
}

TEST(ButtonLayoutTest, GlyphAndCaptionPlaces) {
    struct Case {
        ButtonLayoutInput in;
        RECT glyph, caption;
    };
    ButtonLayoutInput band;  // a band button: 20 x 20, 18 x 18 glyph, no caption
    band.width = band.height = 20;
    band.glyph_width = band.glyph_height = 18;
    ButtonLayoutInput pressed = band;
    pressed.pressed = true;
    ButtonLayoutInput text = band;  // glyph left of a 30 x 13 caption, 80 wide
    text.width = 80;
    text.text_width = 30;
    text.text_height = 13;
    text.has_caption = true;
    ButtonLayoutInput top = text;
    top.height = 40;
    top.layout = ui::TButtonLayout::blGlyphTop;
    const Case cases[] = {
        {band, {1, 1, 19, 19}, {22, 10, 21, 10}},
        {pressed, {2, 2, 20, 20}, {23, 11, 22, 11}},
        {text, {14, 1, 32, 19}, {35, 3, 68, 17}},
        {top, {32, 2, 50, 20}, {24, 24, 57, 38}},
    };
    for (const Case& c : cases) {
        const ButtonLayoutRects r = LayOutButton(c.in);
        EXPECT_TRUE(::EqualRect(&r.glyph, &c.glyph)) << r.glyph.left << "," << r.glyph.top;
        EXPECT_TRUE(::EqualRect(&r.caption, &c.caption)) << r.caption.left << "," << r.caption.top << ","
                                                         << r.caption.right << "," << r.caption.bottom;
    }
}

}  // namespace
}  // namespace velmap::skin::test
