#include "test_form.h"

#include <gtest/gtest.h>

#include <new>

namespace velmap::ui::test {
namespace {

// Real pointer input through the system queue.
void MoveTo(POINT screen) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = ::MulDiv(screen.x, 65536, w) + 1;
    in.mi.dy = ::MulDiv(screen.y, 65536, h) + 1;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof in);
}
void Button(bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &in, sizeof in);
}

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = MakeHostWindow();
        form.reset(Make<TTestForm>(host));
        b = form->btnA;
        // Everything the form's window hears, behind a hook as the band has.
        old_proc = form->WindowProc;
        form->WindowProc = [this](TMessage& m) {
            if (m.Msg == WM_PARENTNOTIFY) parent_notes.push_back(LOWORD(m.WParam));
            old_proc(m);
        };
        ::UpdateWindow(host);
        MoveTo({10, 10});  // well away from the form
        // On a loaded machine the new windows take a moment to become what
        // the pointer hits; start only once they are.
        ASSERT_TRUE(PumpUntil(
            [&] {
                HWND w = ::WindowFromPoint(At(5, 5));
                return w && (w == form->Handle() || ::IsChild(form->Handle(), w));
            },
            10000));
        Pump(50);
    }
    void TearDown() override {
        form.reset();
        ::DestroyWindow(host);
    }
    // A point of btnA in screen coordinates.
    POINT At(int x, int y) { return b->ClientToScreen({x, y}); }
    // Generous: the conditions are met within milliseconds on an idle machine,
    // and a passing run never waits the whole time.
    bool Settle(const std::function<bool()>& done) { return PumpUntil(done, 8000); }

    HWND host = nullptr;
    owned<TTestForm> form;
    TSpeedButton* b = nullptr;
    TWndMethod old_proc;
    std::vector<WORD> parent_notes;
};

TEST_F(MouseTest, HotPressedAndBackWithClickOnlyInside) {
    POINT corner = At(0, 0);
    ASSERT_EQ(corner.x, 100 + 14);
    ASSERT_EQ(corner.y, 100 + 3);

    MoveTo(At(5, 5));
    ASSERT_TRUE(Settle([&] { return b->MouseInControl(); }));
    EXPECT_EQ(form->enters, 1);
    EXPECT_EQ(b->State(), TButtonState::bsUp);

    Button(true);
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsDown; }));
    EXPECT_TRUE(b->Dragging());
    // The press went to the panel's window; the form heard of it.
    EXPECT_NE(std::find(parent_notes.begin(), parent_notes.end(), WM_LBUTTONDOWN), parent_notes.end());

    // Dragged out and back in: up, then down again (the capture holds).
    MoveTo(At(b->Width() + 6, 5));
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsUp; }));
    MoveTo(At(b->Width() - 1, b->Height() - 1));
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsDown; }));
    Button(false);
    ASSERT_TRUE(Settle([&] { return form->clicks == 1; }));
    EXPECT_EQ(b->State(), TButtonState::bsUp);
    EXPECT_FALSE(b->Dragging());

    // Released one pixel right of the right edge: no click.
    MoveTo(At(5, 5));
    Pump(30);
    Button(true);
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsDown; }));
    MoveTo(At(b->Width(), 5));
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsUp; }));
    Button(false);
    ASSERT_TRUE(Settle([&] { return !b->Dragging(); }));
    Pump(30);
    EXPECT_EQ(form->clicks, 1);

    // Released one pixel below the bottom edge: no click either.
    MoveTo(At(5, 5));
    Pump(30);
    Button(true);
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsDown; }));
    MoveTo(At(5, b->Height()));
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsUp; }));
    Button(false);
    ASSERT_TRUE(Settle([&] { return !b->Dragging(); }));
    Pump(30);
    EXPECT_EQ(form->clicks, 1);
    // Released outside: the pointer has left the button.
    EXPECT_FALSE(b->MouseInControl());
    EXPECT_GE(form->leaves, 1);

    // Enter and leave again, without buttons.
    int enters = form->enters, leaves = form->leaves;
    MoveTo(At(5, 5));
    ASSERT_TRUE(Settle([&] { return b->MouseInControl(); }));
    EXPECT_EQ(form->enters, enters + 1);
    MoveTo({10, 10});
    ASSERT_TRUE(Settle([&] { return !b->MouseInControl(); }));
    EXPECT_EQ(form->leaves, leaves + 1);
    EXPECT_EQ(TControl::MouseControl(), nullptr);
}

TEST_F(MouseTest, WindowedChildrenGetEnterAndLeaveToo) {
    std::vector<UINT> notes;
    TWndMethod old = form->Panel->WindowProc;
    form->Panel->WindowProc = [&](TMessage& m) {
        if (m.Msg == UIM_MOUSEENTER || m.Msg == UIM_MOUSELEAVE) notes.push_back(m.Msg);
        old(m);
    };
    MoveTo(form->Panel->ClientToScreen({100, 20}));
    ASSERT_TRUE(Settle([&] { return TControl::MouseControl() == form->Panel; }));
    // From the panel onto a button: the panel is left, the button entered.
    MoveTo(At(5, 5));
    ASSERT_TRUE(Settle([&] { return b->MouseInControl(); }));
    MoveTo({10, 10});
    ASSERT_TRUE(Settle([&] { return TControl::MouseControl() == nullptr; }));
    EXPECT_EQ(notes, (std::vector<UINT>{UIM_MOUSEENTER, UIM_MOUSELEAVE}));
}

TEST_F(MouseTest, ClickHandlerMayFreeTheButton) {
    form->btnA->OnClick = [&](TComponent* s) {
        ++form->clicks;
        static_cast<TControl*>(s)->Free();
    };
    MoveTo(At(5, 5));
    // Pressed only once the pointer is seen there: on a loaded machine the
    // press can otherwise arrive before the move.
    ASSERT_TRUE(Settle([&] { return b->MouseInControl(); }));
    Button(true);
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsDown; }));
    Button(false);
    ASSERT_TRUE(Settle([&] { return form->clicks == 1; }));
    EXPECT_EQ(form->btnA, nullptr);
    EXPECT_EQ(form->Panel->Controls().size(), 1u);
    // Input goes on normally afterwards.
    MoveTo(form->Panel->ClientToScreen({100, 20}));
    ASSERT_TRUE(Settle([&] { return TControl::MouseControl() == form->Panel; }));
    MoveTo({10, 10});
    Pump(30);
}

TEST_F(MouseTest, AClickHandlerThatThrowsStillEndsThePress) {
    // Out of memory inside the handler: the exception is swallowed at the
    // window procedure, and the panel must not keep the pointer captured for
    // the failed button, or the next click would go to it again.
    int a_clicks = 0, b_clicks = 0;
    form->btnA->OnClick = [&](TComponent*) {
        ++a_clicks;
        throw std::bad_alloc();
    };
    form->btnB->OnClick = [&](TComponent*) { ++b_clicks; };
    MoveTo(At(5, 5));
    Pump(30);
    Button(true);
    ASSERT_TRUE(Settle([&] { return b->State() == TButtonState::bsDown; }));
    Button(false);
    ASSERT_TRUE(Settle([&] { return a_clicks == 1; }));
    EXPECT_NE(::GetCapture(), form->Panel->Handle());

    MoveTo(form->btnB->ClientToScreen({5, 5}));
    ASSERT_TRUE(Settle([&] { return form->btnB->MouseInControl(); }));
    Button(true);
    ASSERT_TRUE(Settle([&] { return form->btnB->State() == TButtonState::bsDown; }));
    Button(false);
    ASSERT_TRUE(Settle([&] { return b_clicks == 1; }));
    EXPECT_EQ(a_clicks, 1);
    MoveTo({10, 10});
    Pump(30);
}

}  // namespace
}  // namespace velmap::ui::test
