// taskbar-notify: tells the taskbar about the band, for the installer.
//
//   taskbar-notify --registration-changed   the set of desk bands changed
//   taskbar-notify --show {CLSID}           show that band on the taskbar now
//   taskbar-notify --close-bars             close the floating bars, wait for them
//   taskbar-notify --start-as-user EXE [ARGS]  start EXE as the signed-in user
//   taskbar-notify --restart-holders FILE...   restart the programs holding FILEs
//
// Through the taskbar's own object (CLSID_TrayDeskBand, ITrayDeskBand).
// Exit code 0 when done; 2 when this system has no such object (before
// Windows 7), after printing how to show the band from the Toolbars menu;
// 1 when the taskbar refused; 64 for bad arguments. The session commands'
// codes are in session_tasks.h.
#include "session_tasks.h"

#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

// The interface's methods in their slot order. Not in the anonymous namespace:
// a class the compiler sees no implementation of there may be called as if
// none could exist.
struct ITrayDeskBandCalls : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ShowDeskBand(REFCLSID clsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideDeskBand(REFCLSID clsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsDeskBandShown(REFCLSID clsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeskBandRegistrationChanged() = 0;
};

namespace {

// The taskbar's object and its interface, as the system names them.
constexpr CLSID kTrayDeskBand = {0xE6442437, 0x6C68, 0x4F52, {0x94, 0xDD, 0x2C, 0xFE, 0xD2, 0x67, 0xEF, 0xB9}};
constexpr IID kITrayDeskBand = {0x6D67E846, 0x5B9C, 0x4DB8, {0x9C, 0xBC, 0xDD, 0xE1, 0x2F, 0x42, 0x54, 0xF1}};

int Usage() {
    std::fprintf(stderr,
                 "usage: taskbar-notify --registration-changed | --show {CLSID} | --close-bars | "
                 "--start-as-user EXE [ARGS] | --restart-holders FILE...\n");
    return 64;
}

}  // namespace

static int SessionTask(int argc, wchar_t** argv) {
    const std::wstring command = argv[1];
    if (command == L"--close-bars" && argc == 2) return velmap::tools::CloseBars(10000);
    if (command == L"--start-as-user" && (argc == 3 || argc == 4)) {
        if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
        const int code = velmap::tools::StartAsUser(argv[2], argc == 4 ? argv[3] : L"");
        ::CoUninitialize();
        return code;
    }
    if (command == L"--restart-holders" && argc >= 3)
        return velmap::tools::RestartHolders(std::vector<std::wstring>(argv + 2, argv + argc));
    return -1;
}

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2) {
        if (const int code = SessionTask(argc, argv); code >= 0) return code;
    }
    const bool changed = argc == 2 && std::wcscmp(argv[1], L"--registration-changed") == 0;
    const bool show = argc == 3 && std::wcscmp(argv[1], L"--show") == 0;
    CLSID band{};
    if (!changed && !show) return Usage();
    if (show && FAILED(::CLSIDFromString(argv[2], &band))) return Usage();

    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    ITrayDeskBandCalls* tray = nullptr;
    HRESULT hr = ::CoCreateInstance(kTrayDeskBand, nullptr, CLSCTX_ALL, kITrayDeskBand, reinterpret_cast<void**>(&tray));
    int code = 0;
    if (FAILED(hr) || !tray) {
        std::printf(
            "This taskbar cannot be told about new toolbars (0x%08lX). To show VelmapBand, right-click the taskbar, "
            "choose Toolbars, then \"Velmora Player\".\n",
            static_cast<unsigned long>(hr));
        code = 2;
    } else {
        hr = changed ? tray->DeskBandRegistrationChanged() : tray->ShowDeskBand(band);
        std::printf("%s -> 0x%08lX\n", changed ? "DeskBandRegistrationChanged" : "ShowDeskBand",
                    static_cast<unsigned long>(hr));
        code = SUCCEEDED(hr) ? 0 : 1;
        tray->Release();
    }
    ::CoUninitialize();
    return code;
}
