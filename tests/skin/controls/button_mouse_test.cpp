// Skinned speed buttons under the real pointer (SendInput): which presses
// and releases make a click, and that entering fires OnMouseEnter once.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace velmap::skin::test {
namespace {

void SendMouse(DWORD flags, POINT screen = {-1, -1}) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (screen.x >= 0) {
        in.mi.dx = ::MulDiv(screen.x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1;
        in.mi.dy = ::MulDiv(screen.y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1;
        in.mi.dwFlags |= MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    ::SendInput(1, &in, sizeof in);
}

class ButtonMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        TsAnimTimer::SetManualTicks(true);
        form_ = MakeControlsForm(SharedHost(), R"(
    object A : TsSpeedButton
      Left = 10
      Top = 10
      Width = 20
      Height = 20
    end
)");
        panel_ = dynamic_cast<TsPanel*>(form_->FindComponent("Panel"));
        a_ = dynamic_cast<TsSpeedButton*>(form_->FindComponent("A"));
        ASSERT_TRUE(panel_ && a_);
        a_->OnClick = [this](ui::TComponent*) { ++clicks_; };
        a_->OnMouseEnter = [this](ui::TComponent*) { ++button_enters_; };
        panel_->OnMouseEnter = [this](ui::TComponent*) { ++panel_enters_; };
        // Only once the new windows are what the pointer hits.
        ASSERT_TRUE(Settle([&] { return ::WindowFromPoint(At(5, 5)) == panel_->Handle(); }));
    }
    void TearDown() override {
        SendMouse(0, {5, 5});
        Pump(30);
        form_.reset();
        TsAnimTimer::SetManualTicks(false);
    }
    POINT At(int x, int y) const { return a_->ClientToScreen({x, y}); }
    static bool Settle(const std::function<bool()>& done) { return PumpUntil(done, 8000); }
    bool Pressed() const { return a_->State() == ui::TButtonState::bsDown; }
    void Press() {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(Settle([&] { return Pressed(); }));
    }
    void Release() {
        SendMouse(MOUSEEVENTF_LEFTUP);
        ASSERT_TRUE(Settle([&] { return !a_->Dragging(); }));
        Pump(20);
    }

    ui::owned<ui::TForm> form_;
    TsPanel* panel_ = nullptr;
    TsSpeedButton* a_ = nullptr;
    int clicks_ = 0, button_enters_ = 0, panel_enters_ = 0;
};

TEST_F(ButtonMouseTest, OnlyALeftReleaseInsideClicks) {
    SendMouse(0, At(5, 5));
    ASSERT_TRUE(Settle([&] { return a_->SkinData().MouseOver; }));
    EXPECT_EQ(button_enters_, 1);
    // A double click is two clicks.
    for (int i = 0; i < 2; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
    ASSERT_TRUE(Settle([&] { return clicks_ == 2; }));
    // x = Width and y = Height are outside.
    for (POINT out : {POINT{20, 5}, POINT{5, 20}}) {
        SendMouse(0, At(5, 5));
        Press();
        SendMouse(0, At(out.x, out.y));
        ASSERT_TRUE(Settle([&] { return !Pressed(); }));
        Release();
    }
    EXPECT_EQ(clicks_, 2);
    // Dragged out and back in still clicks.
    SendMouse(0, At(5, 5));
    Press();
    SendMouse(0, At(26, 5));
    ASSERT_TRUE(Settle([&] { return !Pressed(); }));
    SendMouse(0, At(19, 19));
    ASSERT_TRUE(Settle([&] { return Pressed(); }));
    Release();
    EXPECT_EQ(clicks_, 3);
    // The right and the middle button never click.
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    SendMouse(MOUSEEVENTF_MIDDLEDOWN);
    SendMouse(MOUSEEVENTF_MIDDLEUP);
    Pump(100);
    EXPECT_EQ(clicks_, 3);
}

TEST_F(ButtonMouseTest, EnteringFiresOnMouseEnterOnce) {
    SendMouse(0, panel_->ClientToScreen({150, 30}));
    ASSERT_TRUE(Settle([&] { return ui::TControl::MouseControl() == panel_; }));
    SendMouse(0, At(5, 5));
    ASSERT_TRUE(Settle([&] { return a_->SkinData().MouseOver; }));
    Pump(50);
    EXPECT_EQ(panel_enters_, 1);
    EXPECT_EQ(button_enters_, 1);
}

}  // namespace
}  // namespace velmap::skin::test
