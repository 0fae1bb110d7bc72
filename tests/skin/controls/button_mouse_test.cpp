// A skinned speed button under the real pointer (SendInput): which presses
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

TEST(ButtonMouseTest, EnterOnceAndClickOnlyOnALeftReleaseInside) {
    TsAnimTimer::SetManualTicks(true);
    auto form = MakeControlsForm(Button("A", 10));
    auto* panel = Find<TsPanel>(form, "Panel");
    auto* a = Find<TsSpeedButton>(form, "A");
    int clicks = 0, enters = 0, panel_enters = 0;
    a->OnClick = [&](ui::TComponent*) { ++clicks; };
    a->OnMouseEnter = [&](ui::TComponent*) { ++enters; };
    panel->OnMouseEnter = [&](ui::TComponent*) { ++panel_enters; };
    auto at = [&](int x, int y) { return a->ClientToScreen({x, y}); };
    auto pressed = [&] { return a->State() == ui::TButtonState::bsDown; };
    // Only once the new windows are what the pointer hits.
    ASSERT_TRUE(PumpUntil([&] { return ::WindowFromPoint(at(5, 5)) == panel->Handle(); }));

    SendMouse(0, panel->ClientToScreen({150, 30}));
    ASSERT_TRUE(PumpUntil([&] { return ui::TControl::MouseControl() == panel; }));
    SendMouse(0, at(5, 5));
    ASSERT_TRUE(PumpUntil([&] { return a->SkinData().MouseOver; }));
    EXPECT_EQ(panel_enters, 1);
    EXPECT_EQ(enters, 1);
    // A double click is two clicks.
    for (DWORD f : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) SendMouse(f);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 2; }));
    // Released at x = Width or y = Height: outside. Dragged out and back in:
    // inside.
    for (auto path :
         {std::vector<POINT>{{20, 5}}, std::vector<POINT>{{5, 20}}, std::vector<POINT>{{26, 5}, {19, 19}}}) {
        SendMouse(0, at(5, 5));
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(PumpUntil(pressed));
        for (POINT p : path) {
            const bool inside = p.x < 20 && p.y < 20;
            SendMouse(0, at(p.x, p.y));
            ASSERT_TRUE(PumpUntil([&] { return pressed() == inside; }));
        }
        SendMouse(MOUSEEVENTF_LEFTUP);
        ASSERT_TRUE(PumpUntil([&] { return !a->Dragging(); }));
    }
    Pump(20);
    EXPECT_EQ(clicks, 3);
    // The right and the middle button never click.
    for (DWORD f : {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP})
        SendMouse(f);
    Pump(100);
    EXPECT_EQ(clicks, 3);

    SendMouse(0, {5, 5});
    Pump(30);
    form.reset();
    TsAnimTimer::SetManualTicks(false);
}

}  // namespace
}  // namespace velmap::skin::test
