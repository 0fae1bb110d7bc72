// The fade timer freed by the tick that ends its fade, and the enter and
// leave events of a disabled button.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "control_fixture.h"

namespace velmap::skin::test {
namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* e) {
    std::fprintf(stderr, "crashed: exception %08lx\n", static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Run on its own with Wine's heap checking too (a ctest entry of its own):
// a timer touched after it freed itself crashes there, where the default
// settings let it pass.
TEST(FadeTimer, TheTickThatEndsAFadeFreesTheTimerOnlyAfterItself) {
    if (const char* expect = std::getenv("VELMAP_EXPECT_HEAP_CHECK"); expect && *expect == '1') {
        // The harness's environment must reach the program, or the run
        // checks nothing.
        const char* debug = std::getenv("WINEDEBUG");
        ASSERT_NE(debug, nullptr);
        ASSERT_NE(std::string(debug).find("heap"), std::string::npos) << debug;
    }
    // A crash fails the test at once (instead of waiting for a debugger).
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = ::SetUnhandledExceptionFilter(&ReportCrash);
    TsAnimTimer::SetManualTicks(true);
    {
        FacePainter painter;
        PainterScope scope(&painter);
        auto form = MakeControlsForm(Button("A", 10, "FADE"), "[FADE]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=4\r\n");
        auto* a = Find<TsSpeedButton>(form, "A");
        for (const UINT msg : {ui::UIM_MOUSEENTER, ui::UIM_MOUSELEAVE}) {
            a->Perform(msg, 0, reinterpret_cast<LPARAM>(static_cast<ui::TControl*>(a)));
            ASSERT_NE(a->FadeTimer(), nullptr);
            for (int ticks = 0; a->FadeTimer() && ticks < 50; ++ticks) a->FadeTimer()->Tick();
            EXPECT_EQ(a->FadeTimer(), nullptr);
            EXPECT_EQ(TsAnimTimer::LiveCount(), 0);
        }
    }
    TsAnimTimer::SetManualTicks(false);
    ::SetUnhandledExceptionFilter(previous);
}

// Only a button that can be used fires OnMouseEnter and OnMouseLeave.
TEST(ButtonEvents, ADisabledButtonFiresNeitherEnterNorLeave) {
    FacePainter painter;
    PainterScope scope(&painter);
    auto form = MakeControlsForm(Button("A", 10));
    auto* a = Find<TsSpeedButton>(form, "A");
    int enters = 0, leaves = 0;
    a->OnMouseEnter = [&](ui::TComponent*) { ++enters; };
    a->OnMouseLeave = [&](ui::TComponent*) { ++leaves; };
    const LPARAM self = reinterpret_cast<LPARAM>(static_cast<ui::TControl*>(a));
    for (const bool enabled : {false, true}) {
        a->SetEnabled(enabled);
        a->Perform(ui::UIM_MOUSEENTER, 0, self);
        a->Perform(ui::UIM_MOUSELEAVE, 0, self);
        EXPECT_EQ(enters, enabled ? 1 : 0) << "enabled " << enabled;
        EXPECT_EQ(leaves, enabled ? 1 : 0) << "enabled " << enabled;
    }
}

}  // namespace
}  // namespace velmap::skin::test
