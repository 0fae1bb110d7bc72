// The timer.
#pragma once

#include "ui/component.h"

#include <string>

namespace velmap::ui {

// A repeating timer that ticks on the thread that made it, through that
// thread's message loop. It may be freed from inside its own tick.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(int v);
    void SetOnTimer(TNotifyEvent e);

    TNotifyEvent OnTimer;

    void Loaded() override;
    std::string ClassName() const override { return "TTimer"; }
    const TPropTable& Props() const override;

protected:
    // One tick; the default runs OnTimer.
    virtual void Timer();

private:
    static LRESULT CALLBACK TimerWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void UpdateTimer();

    HWND wnd_ = nullptr;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    bool running_ = false;
};

}  // namespace velmap::ui
