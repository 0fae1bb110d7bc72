// What the band's end-to-end tests share: the band DLL's exports, the
// registration for the test run, and counters of what a process holds.
#pragma once

#include "band_site.h"
#include "pointer.h"
#include "process_counters.h"

#include <gtest/gtest.h>
#include <objbase.h>
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

// A test suite run with the band registered, and COM started on the test's
// thread; the registration goes, and the DLL is let go, after its last test.
class RegisteredBand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        BandDll dll(WindowsPath(VELMAP_BAND_DLL));
        ASSERT_EQ(S_OK, dll.Register());
    }
    static void TearDownTestSuite() {
        {
            BandDll dll(WindowsPath(VELMAP_BAND_DLL));
            dll.Unregister();
        }
        ::CoFreeUnusedLibraries();
        ::CoUninitialize();
    }
};

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
