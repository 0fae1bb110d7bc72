// What the band's end-to-end tests share: the band DLL's exports, the
// registration for the test run, and counters of what a process holds.
#pragma once

#include "band_site.h"
#include "pointer.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <psapi.h>
#include <windows.h>

#include <string>

namespace velmap::test {

inline std::wstring WindowsPath(const char* path) {
    std::wstring out;
    for (const char* p = path; *p; ++p) out.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
    return out;
}

// The band DLL loaded for its exports.
struct BandDll {
    explicit BandDll(const std::wstring& path) : module(::LoadLibraryW(path.c_str())) {}
    ~BandDll() {
        if (module) ::FreeLibrary(module);
    }
    BandDll(const BandDll&) = delete;
    BandDll& operator=(const BandDll&) = delete;
    HRESULT Call(const char* name) const {
        auto fn = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
        return fn ? fn() : E_UNEXPECTED;
    }
    HRESULT Register() const { return Call("DllRegisterServer"); }
    HRESULT Unregister() const { return Call("DllUnregisterServer"); }
    HMODULE module;
};

// Windows of this process: top-level, children and message-only ones.
inline int CountProcessWindows() {
    struct Counter {
        DWORD pid = ::GetCurrentProcessId();
        int count = 0;
        static BOOL CALLBACK Child(HWND, LPARAM p) {
            ++reinterpret_cast<Counter*>(p)->count;
            return TRUE;
        }
        void Top(HWND w) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (owner != pid) return;
            ++count;
            ::EnumChildWindows(w, &Child, reinterpret_cast<LPARAM>(this));
        }
    } counter;
    ::EnumWindows([](HWND w, LPARAM p) -> BOOL {
        reinterpret_cast<Counter*>(p)->Top(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&counter));
    for (HWND w = nullptr; (w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) counter.Top(w);
    return counter.count;
}

// Live GDI objects, found by probing the handle table's indices.
inline int CountGdiObjects() {
    int count = 0;
    for (ULONG_PTR i = 1; i <= 0xFFFF; ++i)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0) ++count;
    return count;
}

inline SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    return counters.PrivateUsage;
}

// A real click at a point on the screen, with the pointer left there.
inline void ClickAt(POINT at) {
    tools::MoveMouseTo(at);
    tools::PumpMessages(80);
    tools::LeftButton(true);
    tools::PumpMessages(60);
    tools::LeftButton(false);
    tools::PumpMessages(80);
}

inline void MovePointerAway() {
    tools::MoveMouseTo({::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 3});
}

}  // namespace velmap::test
