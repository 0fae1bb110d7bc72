// Subclassing a window by replacing its window procedure, undone cleanly:
// the original procedure comes back when the subclass goes, unless someone
// subclassed the window after us, in which case a pass-through stays in the
// chain until it is last in the chain again (taken out at its next message)
// or the window is destroyed. Every link alive is a reason for the module to
// stay loaded: the link counter hears each one come and go. No C++ exception
// leaves the replacement procedure.
#pragma once

#include <windows.h>

namespace velmap::skin {

class WindowSubclass {
public:
    explicit WindowSubclass(HWND wnd) noexcept : wnd_(wnd) {}
    virtual ~WindowSubclass();
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    // Puts the replacement procedure in place. False when the window is gone
    // or already carries a subclass of this engine.
    bool Hook() noexcept;
    // Gives the window its procedure back (or leaves a pass-through).
    void Unhook() noexcept;
    bool Hooked() const noexcept { return link_ != nullptr; }
    HWND Window() const noexcept { return wnd_; }

    // The procedure this engine put in: what GWLP_WNDPROC reads while hooked.
    static WNDPROC ReplacementProc() noexcept;
    // Whether a window carries a subclass of this engine (a live one).
    static bool IsSubclassed(HWND wnd) noexcept;
    // Links alive (subclasses and pass-throughs left behind): while there is
    // one, this module's procedure may still be called.
    static int LinkCount() noexcept;
    // Told of every link made (true) and freed (false); the module counts
    // them as live objects. Null: nobody is told. Returns the previous one.
    using LinkCounter = void (*)(bool alive) noexcept;
    static LinkCounter SetLinkCounter(LinkCounter counter) noexcept;

protected:
    // Every message of the window while hooked. May throw: the message then
    // goes to the original procedure unless it got there already.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // The original procedure.
    LRESULT CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam);
    // The window has been destroyed (after WM_NCDESTROY went through): the
    // subclass is unhooked already, and this may delete the object.
    virtual void WindowGone() noexcept {}

private:
    struct Link;
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND wnd_;
    Link* link_ = nullptr;
    // Kept here too, for messages still being handled when the link goes.
    WNDPROC original_ = nullptr;
    bool unicode_ = true;
    // Set while a message is handled: whether it reached the original.
    bool* passed_ = nullptr;
};

}  // namespace velmap::skin
