#include "skin/controls/anim_timer.h"

#include <cstring>

#include "skin/messages/skin_messages.h"
#include "ui/win_control.h"

namespace velmap::skin {

namespace {

bool g_manual_ticks = false;
int g_live_timers = 0;

// dst := src, reusing dst's pixels when the size already fits.
void CopyImage(ui::TBitmap& dst, const ui::TBitmap& src) {
    if (dst.Width() != src.Width() || dst.Height() != src.Height() || dst.PixelFormat() != src.PixelFormat()) {
        dst.Assign(src);
        return;
    }
    const std::size_t row = static_cast<std::size_t>(src.Width()) * src.Image().BytesPerPixel();
    for (int y = 0; y < src.Height(); ++y) std::memcpy(dst.ScanLine(y), src.ScanLine(y), row);
}

// Puts a fade frame on the screen by copying it once onto the parent's window
// at the control's place, which is all a frame changes there; the parent's
// paint would copy its background, the frame and the result again. False when
// that paint is needed after all: a windowed control, a frame that is not the
// control's size, a parent (or skin) not ready to be painted on, or a
// control showing its focus, which the parent's paint draws over it.
bool CopyFrameToParent(TsCommonData& state, ui::TBitmap& frame) {
    ui::TControl* host = state.HostControl;
    if (dynamic_cast<ui::TWinControl*>(host) || state.Focused) return false;
    if (frame.Width() != host->Width() || frame.Height() != host->Height() || frame.Empty()) return false;
    ui::TWinControl* parent = host->Parent();
    if (!parent || !parent->HandleAllocated() || state.IsUpdating()) return false;
    if (!host->Visible()) return true;  // nothing of it is on the screen
    // A first pixel of the key colour: the parent shows nothing of the control.
    const std::uint8_t* first = frame.ScanLine(0);
    if (first[0] == 0xFF && first[1] == 0x00 && first[2] == 0xFF) return true;
    const HWND wnd = parent->Handle();
    HDC dc = ::GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN);
    if (!dc) return false;
    const BOOL copied = ::BitBlt(dc, host->Left(), host->Top(), host->Width(), host->Height(),
                                 frame.Image().Dc(), 0, 0, SRCCOPY);
    ::ReleaseDC(wnd, dc);
    return copied != FALSE;
}

}  // namespace

void TsAnimTimer::SetManualTicks(bool manual) { g_manual_ticks = manual; }
bool TsAnimTimer::ManualTicks() { return g_manual_ticks; }
int TsAnimTimer::LiveCount() { return g_live_timers; }

TsAnimTimer::TsAnimTimer() : ui::TTimer(nullptr) {
    ++g_live_timers;
    SetEnabled(false);
    // The framework timer runs only with an event; the work is done in Timer.
    if (!g_manual_ticks) SetOnTimer([](ui::TComponent*) {});
}

TsAnimTimer::~TsAnimTimer() { --g_live_timers; }

void TsAnimTimer::Prepare(TsCommonData& state, int steps) {
    OwnerState = &state;
    host_life_ = state.HostControl ? state.HostControl->Life() : std::weak_ptr<void>{};
    SetInterval(static_cast<int>(kFadeInterval));
    FadeSteps = steps;
}

bool TsAnimTimer::HostGone() const {
    return !OwnerState || host_life_.expired() || !OwnerState->HostControl ||
           OwnerState->HostControl->Is(ui::TComponentState::csDestroying);
}

bool TsAnimTimer::Finished() {
    if (Is(ui::TComponentState::csDestroying) || HostGone()) return true;
    if (FadeStep >= 0 && FadeStep <= FadeSteps) return false;
    // Past the last frame: the control stops (and frees) this timer.
    OwnerState->HostControl->Perform(SM_SKINCMD, SkinWParam(SMC_STOP_ANIMATION), 0);
    return true;
}

void TsAnimTimer::Step() {
    if (StepRunning || HostGone() || FadeSteps == 0 || FadeStep < 0 || !OwnerState->CacheBitmap) {
        ++FadeStep;
        return;
    }
    // The repaint below may come back here through the message loop.
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(StepRunning);

    // The frame: the old face blended with the new one (the control's cache).
    CopyImage(FrameImage, StartImage);
    paint::BlendBitmaps(FrameImage.Image(), OwnerState->CacheBitmap->Image(), FadeWeight(FadeStep, FadeSteps));

    ui::TControl* host = OwnerState->HostControl;
    host->Perform(SM_SKINCMD, SkinWParam(SMC_SET_UPDATING, 0), 0);
    if (!CopyFrameToParent(*OwnerState, FrameImage)) {
        ui::TWinControl* parent = host->Parent();
        HWND parent_wnd = parent && parent->HandleAllocated() ? parent->Handle() : nullptr;
        if (parent_wnd)
            ::SendMessageW(parent_wnd, SM_SKINCMD, SkinWParam(SMC_SET_REPAINTING_CHILD),
                           reinterpret_cast<LPARAM>(host));
        host->Repaint();
        if (parent_wnd && ::IsWindow(parent_wnd))
            ::SendMessageW(parent_wnd, SM_SKINCMD, SkinWParam(SMC_SET_REPAINTING_CHILD), 0);
    }
    ++FadeStep;
}

void TsAnimTimer::Timer() {
    if (Is(ui::TComponentState::csDestroying)) return;
    in_tick_ = true;
    try {
        if (!Finished()) Step();
    } catch (...) {
        in_tick_ = false;
        if (dispose_after_tick_) Free();
        throw;
    }
    in_tick_ = false;
    if (dispose_after_tick_) Free();  // last: nothing of this timer is touched after
}

void TsAnimTimer::Dispose() {
    if (in_tick_) {
        SetEnabled(false);
        dispose_after_tick_ = true;
        return;
    }
    Free();
}

}  // namespace velmap::skin
