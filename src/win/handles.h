// RAII owners for Win32 handles: one policy template, named aliases.
#pragma once

#include <windows.h>

#include <utility>

namespace velmap::win {

// Owns a handle of type H and closes it with Close::close(h). Null (or the
// type's invalid value) is never closed.
template <typename H, typename Traits>
class unique_handle {
public:
    unique_handle() noexcept = default;
    explicit unique_handle(H h) noexcept : h_(h) {}
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& o) noexcept : h_(o.release()) {}
    unique_handle& operator=(unique_handle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~unique_handle() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
    H release() noexcept { return std::exchange(h_, Traits::invalid()); }
    void reset(H h = Traits::invalid()) noexcept {
        H old = std::exchange(h_, h);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // For out-parameters: releases the current handle first.
    H* put() noexcept {
        reset();
        return &h_;
    }

private:
    H h_ = Traits::invalid();
};

template <typename H, auto CloseFn>
struct null_traits {
    static constexpr H invalid() noexcept { return nullptr; }
    static void close(H h) noexcept { CloseFn(h); }
};

struct file_traits {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};

// A search of FindFirstFileW, ended with FindClose.
struct find_traits {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::FindClose(h); }
};

inline void delete_gdi(HGDIOBJ h) noexcept { ::DeleteObject(h); }

using unique_handle_t = unique_handle<HANDLE, null_traits<HANDLE, ::CloseHandle>>;
using unique_file = unique_handle<HANDLE, file_traits>;
using unique_find = unique_handle<HANDLE, find_traits>;
using unique_hbitmap = unique_handle<HBITMAP, null_traits<HBITMAP, delete_gdi>>;
using unique_hbrush = unique_handle<HBRUSH, null_traits<HBRUSH, delete_gdi>>;
using unique_hpen = unique_handle<HPEN, null_traits<HPEN, delete_gdi>>;
using unique_hfont = unique_handle<HFONT, null_traits<HFONT, delete_gdi>>;
using unique_hrgn = unique_handle<HRGN, null_traits<HRGN, delete_gdi>>;
using unique_hdc = unique_handle<HDC, null_traits<HDC, ::DeleteDC>>;
using unique_hkey = unique_handle<HKEY, null_traits<HKEY, ::RegCloseKey>>;
using unique_hmodule = unique_handle<HMODULE, null_traits<HMODULE, ::FreeLibrary>>;
using unique_hhook = unique_handle<HHOOK, null_traits<HHOOK, ::UnhookWindowsHookEx>>;
using unique_hwnd = unique_handle<HWND, null_traits<HWND, ::DestroyWindow>>;

// A device context from GetDC/GetWindowDC, given back with ReleaseDC.
class window_dc {
public:
    explicit window_dc(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    ~window_dc() {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class select_object {
public:
    select_object(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
    select_object(const select_object&) = delete;
    select_object& operator=(const select_object&) = delete;
    ~select_object() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Loads a system DLL from System32 only, never from the application folder
// or the current directory.
inline HMODULE load_system_library(const wchar_t* name) noexcept {
    return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace velmap::win
