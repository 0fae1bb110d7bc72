#include "bar_hooks.h"

namespace velmap::tools {

void MoveHooks::Follow(HWND foreground, HWND taskbar) {
    struct {
        DWORD thread = 0, process = 0;
    } wanted[2];
    const HWND windows[2] = {foreground, taskbar};
    for (int i = 0; i < 2; ++i) {
        if (windows[i]) wanted[i].thread = system_.thread_of(windows[i], &wanted[i].process);
        if (wanted[i].process == own_process_ || (i == 1 && wanted[1].thread == wanted[0].thread)) wanted[i] = {};
    }
    // A hook kept for a thread still wanted, in whichever place; a refused
    // thread is not asked again while it stays wanted.
    for (Hook& h : threads_) {
        if (!h.thread || h.thread == wanted[0].thread || h.thread == wanted[1].thread) continue;
        if (h.handle) system_.unhook(h.handle);
        h = {};
    }
    for (const auto& w : wanted) {
        if (!w.thread || threads_[0].thread == w.thread || threads_[1].thread == w.thread) continue;
        (threads_[0].thread ? threads_[1] : threads_[0]) = {w.thread, system_.hook(w.process, w.thread)};
    }
    const bool refused = (threads_[0].thread && !threads_[0].handle) || (threads_[1].thread && !threads_[1].handle);
    if (refused && !everywhere_) {
        everywhere_ = system_.hook(0, 0);
    } else if (!refused && everywhere_) {
        system_.unhook(everywhere_);
        everywhere_ = nullptr;
    }
}

}  // namespace velmap::tools
