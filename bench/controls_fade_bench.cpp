// The skinned speed button's cross-fade on a 20 x 20 band button of the
// internal skin, under Wine: CPU time of one hover fade (all its frames) and
// of one press and release, one fade frame (the two faces blended, the
// result copied onto the screen) against one plain BitBlt of the button
// measured in the same run; then timers and paints counted while
// nothing changes. Frames are stepped by hand for the timings, so the 10 ms
// tick does not enter them; the idle count runs on real timers.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "band_controls.h"
#include "win_clock.h"

namespace {

using velmap::skin::TsAnimTimer;
using velmap::skin::TsSpeedButton;

using velmap::bench::CpuUs;
using velmap::bench::WallUs;

struct Times {
    double wall_us = 0, cpu_us = 0;
};

// Runs f until at least a second of CPU time has gone by; per run.
template <typename F>
Times PerRun(F&& f) {
    f();  // warm-up: caches, bitmaps and fonts made once
    int runs = 0;
    const double w0 = WallUs(), c0 = CpuUs();
    double c = c0;
    while (c - c0 < 1e6 || runs < 50) {
        f();
        ++runs;
        c = CpuUs();
    }
    return {(WallUs() - w0) / runs, (c - c0) / runs};
}

void Drain(TsSpeedButton* b) {
    while (b->FadeTimer()) b->FadeTimer()->Tick();
}

void Pump(DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    while (static_cast<int>(end - ::GetTickCount()) > 0) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

HWND MakeHost() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmapFadeBench";
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 600,
                             400, 200, 40, nullptr, nullptr, wc.hInstance, nullptr);
}

}  // namespace

int main() {
    namespace ui = velmap::ui;
    char self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    std::string dir(self, n);
    dir.erase(dir.find_last_of("\\/") + 1);

    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::SetCursorPos(5, 5);
    const HWND host = MakeHost();
    auto form = velmap::skin::band_controls::MakeBandControls(host, dir + "..\\assets\\cold_internal.asz");
    if (!form) {
        std::fprintf(stderr, "controls_fade_bench: the packed internal skin was not found\n");
        return 1;
    }
    auto* panel = dynamic_cast<velmap::skin::TsPanel*>(form->FindComponent("Panel"));
    auto* b = dynamic_cast<TsSpeedButton*>(form->FindComponent("btnPrev"));
    const LPARAM self_param = reinterpret_cast<LPARAM>(static_cast<ui::TControl*>(b));

    TsAnimTimer::SetManualTicks(true);
    // One fade in, one fade out: two hover fades of 20 frames each.
    const Times hover = PerRun([&] {
        b->Perform(ui::UIM_MOUSEENTER, 0, self_param);
        Drain(b);
        b->Perform(ui::UIM_MOUSELEAVE, 0, self_param);
        Drain(b);
    });
    b->Perform(ui::UIM_MOUSEENTER, 0, self_param);
    Drain(b);
    const Times press = PerRun([&] {
        b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        Drain(b);
        b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Drain(b);
    });
    // One frame: the steps of a fade in the middle, none of its start or end.
    Times frame;
    {
        double wall = 0, cpu = 0;
        int frames = 0;
        while (cpu < 1e6) {
            b->Perform(ui::UIM_MOUSELEAVE, 0, self_param);
            for (int i = 0; i < 18 && b->FadeTimer(); ++i, ++frames) {
                const double w0 = WallUs(), c0 = CpuUs();
                b->FadeTimer()->Tick();
                wall += WallUs() - w0;
                cpu += CpuUs() - c0;
            }
            Drain(b);
            b->Perform(ui::UIM_MOUSEENTER, 0, self_param);
            Drain(b);
        }
        frame = {wall / frames, cpu / frames};
    }
    // The baseline: the button's face copied onto the panel's window once.
    HDC screen = ::GetDC(panel->Handle());
    HDC face = b->SkinData().CacheBitmap->Image().Dc();
    const Times blit = PerRun([&] {
        ::BitBlt(screen, b->Left(), b->Top(), b->Width(), b->Height(), face, 0, 0, SRCCOPY);
        ::GdiFlush();
    });
    ::ReleaseDC(panel->Handle(), screen);

    std::printf("Skinned speed button, 20 x 20, internal skin (per run; wall and CPU time)\n");
    std::printf("%-34s %12s %12s %14s\n", "run", "wall us", "cpu us", "cpu / BitBlt");
    auto row = [&](const char* name, Times t) {
        std::printf("%-34s %12.1f %12.1f %14.1f\n", name, t.wall_us, t.cpu_us, t.cpu_us / blit.cpu_us);
    };
    row("hover fade (20 frames)", {hover.wall_us / 2, hover.cpu_us / 2});
    row("press and release (2 x 10 frames)", press);
    row("one fade frame", frame);
    row("one BitBlt of the button", blit);
    std::printf("one fade frame / one BitBlt of the button, CPU time: %.1f (goal <= 4)\n", frame.cpu_us / blit.cpu_us);
    std::printf("one fade frame / one BitBlt of the button, wall time: %.1f (goal <= 4)\n",
                frame.wall_us / blit.wall_us);

    // Real timers from here: after a fade has run out, nothing may tick or paint.
    TsAnimTimer::SetManualTicks(false);
    b->Perform(ui::UIM_MOUSELEAVE, 0, self_param);
    const DWORD give_up = ::GetTickCount() + 5000;
    while (b->FadeTimer() && static_cast<int>(give_up - ::GetTickCount()) > 0) Pump(10);
    Pump(100);
    int paints = 0;
    for (ui::TControl* c : panel->Controls()) {
        ui::TWndMethod old = c->WindowProc;
        c->WindowProc = [&paints, old](ui::TMessage& m) {
            if (m.Msg == WM_PAINT) ++paints;
            old(m);
        };
    }
    ui::TWndMethod old_panel = panel->WindowProc;
    panel->WindowProc = [&paints, old_panel](ui::TMessage& m) {
        if (m.Msg == WM_PAINT) ++paints;
        old_panel(m);
    };
    Pump(1000);
    const int timers = TsAnimTimer::LiveCount();
    std::printf("fade timers alive 1 s after a fade: %d (goal 0)\n", timers);
    std::printf("paints in that second: %d (goal 0)\n", paints);

    form.reset();
    ::DestroyWindow(host);
    ::CoUninitialize();
    return timers == 0 && paints == 0 ? 0 : 1;
}
