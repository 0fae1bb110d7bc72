#include "ui/timer.h"

#include "ui/reader.h"
#include "ui/window_proc_error.h"
#include "win/window_class.h"

namespace velmap::ui {

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    wnd_ = ::CreateWindowExW(0, win::RegisterClassOnce(L"VelmapUiTimer", &TimerWndProc), L"", 0, 0, 0, 0, 0,
                             HWND_MESSAGE, nullptr, ThisModule(), this);
    if (!wnd_) throw EUiError("cannot create the timer window");
}

TTimer::~TTimer() {
    // Unbound before the window goes; a tick in progress sees the expired
    // life token and touches nothing.
    win::Unbind(wnd_);
    if (running_) ::KillTimer(wnd_, 1);
    ::DestroyWindow(wnd_);
}

LRESULT CALLBACK TTimer::TimerWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = win::BoundObject<TTimer>(wnd, msg, lp);
    if (msg == WM_TIMER && self) {
        try {
            self->Timer();
        } catch (const std::exception& e) {
            ReportWindowProcError(e.what());
        } catch (...) {
            ReportWindowProcError("unknown error");
        }
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

void TTimer::Timer() {
    // A copy: the handler may free the timer and its OnTimer with it.
    TNotifyEvent handler = OnTimer;
    if (handler) handler(this);
}

void TTimer::UpdateTimer() {
    if (running_) {
        ::KillTimer(wnd_, 1);
        running_ = false;
    }
    if (enabled_ && interval_ > 0 && OnTimer && !Is(TComponentState::csLoading) && !Is(TComponentState::csDesigning)) {
        running_ = ::SetTimer(wnd_, 1, interval_, nullptr) != 0;
        if (!running_) throw EUiError("no timer available");
    }
}

void TTimer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    UpdateTimer();
}

void TTimer::SetInterval(int v) {
    if (v < 0) throw EUiError("a timer interval cannot be negative");
    if (static_cast<unsigned>(v) == interval_) return;
    interval_ = static_cast<unsigned>(v);
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent e) {
    OnTimer = std::move(e);
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

namespace {
const TPropInfo kTimerProps[] = {
    props::Bool<&TTimer::SetEnabled>("Enabled"),
    props::Int<&TTimer::SetInterval>("Interval"),
    props::Event<&TTimer::OnTimer>("OnTimer"),
};
}
const TPropTable& TTimer::Props() const {
    static const TPropTable table{&TComponent::ClassProps(), kTimerProps};
    return table;
}

}  // namespace velmap::ui
