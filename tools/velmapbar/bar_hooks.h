// Whose location changes the floating bar hears. The system raises one for
// every pointer and caret move and every window that moves anywhere; the bar
// needs only the foreground window's and the taskbar's, so it hooks those two
// threads (one hook when they are one) and hooks again when they change.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace velmap::tools {

class MoveHooks {
public:
    // The system's part: the thread and process of a window; a hook of
    // location changes for one thread of a process (0, 0: every thread),
    // null when refused; its removal.
    struct System {
        std::function<DWORD(HWND, DWORD* process)> thread_of;
        std::function<HWINEVENTHOOK(DWORD process, DWORD thread)> hook;
        std::function<void(HWINEVENTHOOK)> unhook;
    };
    // own_process: windows of its own raise nothing the bar hears.
    MoveHooks(System system, DWORD own_process) : system_(std::move(system)), own_process_(own_process) {}
    ~MoveHooks() { Follow(nullptr, nullptr); }
    MoveHooks(const MoveHooks&) = delete;
    MoveHooks& operator=(const MoveHooks&) = delete;

    // Hooks the threads of these windows (null: none), dropping the hooks of
    // threads that no longer matter. Where the system refuses a thread's
    // hook, one for every thread stands in (the bar's handler filters), so
    // that the windows that matter are never unheard.
    void Follow(HWND foreground, HWND taskbar);

private:
    struct Hook {
        DWORD thread = 0;
        HWINEVENTHOOK handle = nullptr;
    };
    System system_;
    DWORD own_process_;
    Hook threads_[2];
    HWINEVENTHOOK everywhere_ = nullptr;
};

}  // namespace velmap::tools
