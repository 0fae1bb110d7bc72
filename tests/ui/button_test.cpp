// The speed button's state machine and the timer, driven directly: the
// buttons sit on a panel that never gets a window.
#include "test_form.h"

#include <gtest/gtest.h>

namespace velmap::ui::test {
namespace {

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel.reset(Make<TPanel>(nullptr));
        for (auto*& b : btn) {
            b = Make<TSpeedButton>(panel.get());
            b->SetParent(panel.get());
            b->SetBounds(0, 0, 20, 20);
            b->OnClick = [this](TComponent* s) { clicked.push_back(static_cast<TSpeedButton*>(s)); };
        }
    }
    static void Press(TSpeedButton* b, int x = 5, int y = 5) {
        b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    }
    static void Drag(TSpeedButton* b, int x, int y) { b->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
    static void Release(TSpeedButton* b, int x = 5, int y = 5) { b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void Click(TSpeedButton* b) {
        Press(b);
        Release(b);
    }

    owned<TPanel> panel;
    TSpeedButton* btn[3] = {};
    std::vector<TSpeedButton*> clicked;
};

TEST_F(ButtonTest, GroupedButtonsMoveTheDownStateAround) {
    for (auto* b : btn) b->SetGroupIndex(1);
    Click(btn[0]);
    EXPECT_TRUE(btn[0]->Down());
    EXPECT_EQ(btn[0]->State(), TButtonState::bsExclusive);
    Click(btn[1]);
    EXPECT_FALSE(btn[0]->Down());
    EXPECT_EQ(btn[0]->State(), TButtonState::bsUp);
    EXPECT_TRUE(btn[1]->Down());
    // Without AllowAllUp the last one down stays down, but still clicks.
    Click(btn[1]);
    EXPECT_TRUE(btn[1]->Down());
    EXPECT_EQ(btn[1]->State(), TButtonState::bsExclusive);
    EXPECT_EQ(clicked, (std::vector<TSpeedButton*>{btn[0], btn[1], btn[1]}));
    // AllowAllUp set on one reaches the whole group.
    btn[2]->SetAllowAllUp(true);
    EXPECT_TRUE(btn[1]->AllowAllUp());
    Click(btn[1]);
    EXPECT_FALSE(btn[1]->Down());
    EXPECT_EQ(btn[1]->State(), TButtonState::bsUp);
    // Another group does not interfere.
    btn[2]->SetGroupIndex(2);
    btn[2]->SetDown(true);
    btn[0]->SetDown(true);
    EXPECT_TRUE(btn[2]->Down());
    EXPECT_TRUE(btn[0]->Down());
}

TEST_F(ButtonTest, LeavingOrJoiningAGroupKeepsOneDown) {
    btn[0]->SetGroupIndex(1);
    btn[1]->SetGroupIndex(2);
    btn[0]->SetDown(true);
    btn[1]->SetDown(true);
    // Joining btn[0]'s group while down: btn[0] gives way.
    btn[1]->SetGroupIndex(1);
    EXPECT_TRUE(btn[1]->Down());
    EXPECT_FALSE(btn[0]->Down());
    EXPECT_EQ(btn[0]->State(), TButtonState::bsUp);
    // Out of every group a button cannot stay down.
    btn[1]->SetGroupIndex(0);
    EXPECT_FALSE(btn[1]->Down());
    EXPECT_EQ(btn[1]->State(), TButtonState::bsUp);
    Click(btn[1]);
    EXPECT_FALSE(btn[1]->Down());
}

TEST_F(ButtonTest, PressDragAndReleaseDecideTheClick) {
    TSpeedButton* b = btn[0];
    Press(b);
    EXPECT_EQ(b->State(), TButtonState::bsDown);
    EXPECT_TRUE(b->Dragging());
    Drag(b, 20, 5);  // one pixel past the right edge
    EXPECT_EQ(b->State(), TButtonState::bsUp);
    Drag(b, 19, 19);
    EXPECT_EQ(b->State(), TButtonState::bsDown);
    Release(b, 5, 20);  // one pixel below
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(b->State(), TButtonState::bsUp);
    EXPECT_FALSE(b->Dragging());
    // Capture taken away mid-press: abandoned, no click on a later release.
    Press(b);
    b->Perform(WM_CANCELMODE);
    EXPECT_EQ(b->State(), TButtonState::bsUp);
    Release(b);
    EXPECT_TRUE(clicked.empty());
    // Other buttons do not press.
    b->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(b->State(), TButtonState::bsUp);
    b->Perform(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(clicked.empty());
}

TEST_F(ButtonTest, DisabledButtonsIgnoreTheMouseAndShowIt) {
    TSpeedButton* b = btn[0];
    b->SetGroupIndex(1);
    b->SetEnabled(false);
    EXPECT_EQ(b->State(), TButtonState::bsDisabled);
    int events = 0;
    b->OnMouseEnter = b->OnMouseLeave = [&](TComponent*) { ++events; };
    b->Perform(UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(b));
    EXPECT_FALSE(b->MouseInControl());
    b->Perform(UIM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(b));
    EXPECT_EQ(events, 0);  // neither OnMouseEnter nor OnMouseLeave
    Click(b);
    EXPECT_TRUE(clicked.empty());
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->State(), TButtonState::bsDisabled);
    // Set down while disabled: down, still shown disabled; enabled again, exclusive.
    b->SetDown(true);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(b->State(), TButtonState::bsDisabled);
    b->SetEnabled(true);
    EXPECT_EQ(b->State(), TButtonState::bsExclusive);

    // Disabled in the middle of a press: no click, and not left looking
    // pressed once enabled again.
    TSpeedButton* c = btn[1];
    Press(c);
    ASSERT_EQ(c->State(), TButtonState::bsDown);
    c->SetEnabled(false);
    EXPECT_FALSE(c->Dragging());
    Release(c);
    EXPECT_TRUE(clicked.empty());
    c->SetEnabled(true);
    EXPECT_EQ(c->State(), TButtonState::bsUp);

    // The parent routes no mouse to a disabled button, and hit-tests past it.
    c->SetEnabled(false);
    btn[2]->SetLeft(40);
    EXPECT_EQ(panel->ControlAtPos({5, 5}, false), btn[0]);
    EXPECT_EQ(panel->ControlAtPos({5, 5}, true), c);
}

TEST(Timer, EnableDisableAndIntervalChanges) {
    owned<TTimer> t(Make<TTimer>(nullptr));
    int ticks = 0;
    t->SetInterval(15);
    Pump(60);  // no handler yet: nothing to tick
    t->SetOnTimer([&](TComponent*) { ++ticks; });
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));

    t->SetEnabled(false);
    Pump(10);
    int seen = ticks;
    Pump(80);
    EXPECT_EQ(ticks, seen);

    // Interval 0 keeps it still even when enabled.
    t->SetInterval(0);
    t->SetEnabled(true);
    Pump(80);
    EXPECT_EQ(ticks, seen);
    EXPECT_THROW(t->SetInterval(-1), EUiError);
    EXPECT_EQ(t->Interval(), 0u);

    t->SetInterval(10);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= seen + 2; }));

    // A long interval replaces the short one at once.
    t->SetInterval(60000);
    Pump(10);
    seen = ticks;
    Pump(80);
    EXPECT_EQ(ticks, seen);

    // Dropping the handler stops it; disabling inside a tick holds.
    t->SetInterval(10);
    t->SetOnTimer(nullptr);
    Pump(50);
    EXPECT_EQ(ticks, seen);
    t->SetOnTimer([&](TComponent* s) {
        ++ticks;
        static_cast<TTimer*>(s)->SetEnabled(false);
    });
    ASSERT_TRUE(PumpUntil([&] { return ticks > seen; }));
    Pump(80);
    EXPECT_EQ(ticks, seen + 1);
}

}  // namespace
}  // namespace velmap::ui::test
