// Window classes of this module and the one rule by which a window procedure
// finds its C++ object.
#pragma once

#include <windows.h>

namespace velmap::win {

// Registers the class `name` (in this module, with one pointer of window
// extra bytes for the bound object) the first time it is asked for, and
// answers `name` from then on. Throws std::system_error when the system
// refuses.
const wchar_t* RegisterClassOnce(const wchar_t* name, WNDPROC proc, UINT style = 0, HCURSOR cursor = nullptr);

// The binding rule: CreateWindowExW gets the object as its last argument; the
// window procedure asks BoundObject first and, while it answers null, passes
// the message to DefWindowProcW. The object is bound at WM_NCCREATE, before
// any other message of the window, and unbound at WM_NCDESTROY, after which
// the window never reaches it again. Unbind lets an object go earlier.
template <typename T>
T* BoundObject(HWND wnd, UINT msg, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
        auto* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        // A binding the system refused leaves the window unbound: the creator
        // finds its object never saw WM_NCCREATE.
        ::SetLastError(0);
        if (!::SetWindowLongPtrW(wnd, 0, reinterpret_cast<LONG_PTR>(object)) && ::GetLastError() != 0) return nullptr;
        return object;
    }
    auto* object = reinterpret_cast<T*>(::GetWindowLongPtrW(wnd, 0));
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(wnd, 0, 0);
    return object;
}

inline void Unbind(HWND wnd) noexcept { ::SetWindowLongPtrW(wnd, 0, 0); }

}  // namespace velmap::win
