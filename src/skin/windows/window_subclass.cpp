#include "skin/windows/window_subclass.h"

#include <atomic>
#include <new>

namespace velmap::skin {

namespace {

// The window property that holds a subclass's link.
constexpr wchar_t kLinkProperty[] = L"VelmapSkinSubclass";

std::atomic<int> g_links{0};
std::atomic<WindowSubclass::LinkCounter> g_counter{nullptr};

void CountLink(bool alive) noexcept {
    g_links += alive ? 1 : -1;
    if (WindowSubclass::LinkCounter counter = g_counter.load()) counter(alive);
}

// When our procedure is the window's own again (nobody subclassed after us,
// or they have left), the original goes back. False: someone is after us.
bool RestoreIfLast(HWND wnd, WNDPROC original, bool unicode) {
    const LONG_PTR current = unicode ? ::GetWindowLongPtrW(wnd, GWLP_WNDPROC) : ::GetWindowLongPtrA(wnd, GWLP_WNDPROC);
    if (current != reinterpret_cast<LONG_PTR>(WindowSubclass::ReplacementProc())) return false;
    const LONG_PTR proc = reinterpret_cast<LONG_PTR>(original);
    if (unicode)
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, proc);
    else
        ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, proc);
    return true;
}

}  // namespace

// Lives as long as our procedure may be called for the window: with the
// subclass, or, when the subclass could not take itself out of the chain,
// until it can or the window is destroyed.
struct WindowSubclass::Link {
    Link() noexcept { CountLink(true); }
    ~Link() { CountLink(false); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    WNDPROC original = nullptr;
    bool unicode = true;
    WindowSubclass* owner = nullptr;
};

int WindowSubclass::LinkCount() noexcept { return g_links.load(); }

WindowSubclass::LinkCounter WindowSubclass::SetLinkCounter(LinkCounter counter) noexcept {
    return g_counter.exchange(counter);
}

WindowSubclass::~WindowSubclass() { Unhook(); }

WNDPROC WindowSubclass::ReplacementProc() noexcept { return &WindowSubclass::Proc; }

bool WindowSubclass::IsSubclassed(HWND wnd) noexcept {
    auto* link = static_cast<Link*>(::GetPropW(wnd, kLinkProperty));
    return link && link->owner;
}

bool WindowSubclass::Hook() noexcept {
    if (link_ || !::IsWindow(wnd_) || ::GetPropW(wnd_, kLinkProperty)) return false;
    auto* link = new (std::nothrow) Link;
    if (!link) return false;
    link->unicode = ::IsWindowUnicode(wnd_) != FALSE;
    link->owner = this;
    if (!::SetPropW(wnd_, kLinkProperty, link)) {
        delete link;
        return false;
    }
    const LONG_PTR proc = reinterpret_cast<LONG_PTR>(&WindowSubclass::Proc);
    ::SetLastError(0);
    const LONG_PTR old = link->unicode ? ::SetWindowLongPtrW(wnd_, GWLP_WNDPROC, proc)
                                       : ::SetWindowLongPtrA(wnd_, GWLP_WNDPROC, proc);
    if (!old) {
        ::RemovePropW(wnd_, kLinkProperty);
        delete link;
        return false;
    }
    link->original = reinterpret_cast<WNDPROC>(old);
    original_ = link->original;
    unicode_ = link->unicode;
    link_ = link;
    return true;
}

void WindowSubclass::Unhook() noexcept {
    Link* link = link_;
    if (!link) return;
    link_ = nullptr;
    link->owner = nullptr;
    if (!::IsWindow(wnd_)) {
        // Gone without our procedure seeing its last message (its creation
        // refused, or a later subclass kept WM_NCDESTROY): nothing can call
        // us for it any more.
        delete link;
        return;
    }
    if (!RestoreIfLast(wnd_, link->original, link->unicode)) return;  // stays as a pass-through
    ::RemovePropW(wnd_, kLinkProperty);
    delete link;
}

LRESULT WindowSubclass::CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (passed_) *passed_ = true;
    if (!original_) return ::DefWindowProcW(wnd_, msg, wParam, lParam);
    return unicode_ ? ::CallWindowProcW(original_, wnd_, msg, wParam, lParam)
                    : ::CallWindowProcA(original_, wnd_, msg, wParam, lParam);
}

LRESULT CALLBACK WindowSubclass::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* link = static_cast<Link*>(::GetPropW(wnd, kLinkProperty));
    if (!link) return ::DefWindowProcW(wnd, msg, wParam, lParam);
    auto call = [&](UINT m, WPARAM w, LPARAM l) {
        return link->unicode ? ::CallWindowProcW(link->original, wnd, m, w, l)
                             : ::CallWindowProcA(link->original, wnd, m, w, l);
    };
    if (msg == WM_NCDESTROY) {
        // The window goes: out of the chain first, then the original's last
        // message, then the owner learns it (and may go too).
        WindowSubclass* owner = link->owner;
        const WNDPROC original = link->original;
        const bool unicode = link->unicode;
        if (owner) owner->link_ = nullptr;
        ::RemovePropW(wnd, kLinkProperty);
        delete link;
        RestoreIfLast(wnd, original, unicode);
        const LRESULT r = unicode ? ::CallWindowProcW(original, wnd, msg, wParam, lParam)
                                  : ::CallWindowProcA(original, wnd, msg, wParam, lParam);
        if (owner) owner->WindowGone();
        return r;
    }
    WindowSubclass* owner = link->owner;
    if (!owner) {
        // A pass-through left behind. Once whoever came after us has left
        // the chain again, it is last: out it goes, the original comes back.
        const WNDPROC original = link->original;
        const bool unicode = link->unicode;
        if (RestoreIfLast(wnd, original, unicode)) {
            ::RemovePropW(wnd, kLinkProperty);
            delete link;
            return unicode ? ::CallWindowProcW(original, wnd, msg, wParam, lParam)
                           : ::CallWindowProcA(original, wnd, msg, wParam, lParam);
        }
        return call(msg, wParam, lParam);
    }
    bool passed = false;
    bool* const outer = owner->passed_;
    owner->passed_ = &passed;
    LRESULT r = 0;
    bool failed = false;
    try {
        r = owner->WindowProc(msg, wParam, lParam);
    } catch (...) {
        failed = true;
    }
    // The handler may have unhooked (or freed) the owner: look again.
    auto* now = static_cast<Link*>(::GetPropW(wnd, kLinkProperty));
    if (now == link && link->owner == owner) owner->passed_ = outer;
    if (failed && !passed) {
        // The window keeps working with its own procedure.
        if (now == link) return call(msg, wParam, lParam);
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    }
    return r;
}

}  // namespace velmap::skin
