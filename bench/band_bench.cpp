// The whole band under Wine, in a host like the taskbar:
// - start: CoCreateInstance, SetSite, GetWindow, ShowDW and the first paint of
//   the band and all its children completed, against a plain child window of
//   the same size created and painted once, in the same run (medians of 20);
// - footprint: the DLL's size, and the private bytes the first band (module
//   included) and a second band add to the host;
// - idle: with the band shown and the pointer away, the timer ticks and paints
//   its windows get in two seconds.
// The band is registered for the run and unregistered after it.
//
//   band_bench.exe [PATH_TO_VelmapBand.dll]     (default: the one beside it)
#include "band_site.h"
#include "pointer.h"
#include "process_counters.h"
#include "win_clock.h"

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace velmap::tools;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

LRESULT CALLBACK PlainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(wnd, &ps);
        ::FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
        ::EndPaint(wnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

// A plain child window of the band's size, created and painted once.
double PlainWindowUs(HWND parent) {
    const double t0 = velmap::bench::WallUs();
    HWND wnd = ::CreateWindowExW(0, L"BandBenchPlain", L"", WS_CHILD | WS_VISIBLE, 4, 4, 160, 25, parent, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double t = velmap::bench::WallUs() - t0;
    ::DestroyWindow(wnd);
    return t;
}

// The band from CoCreateInstance to its first complete paint, in a strip that
// is already on the screen; *sited_us gets the part up to the band's window
// (the object, its form, windows and skin), the rest is showing and painting.
double BandStartUs(BandHost& host, REFCLSID clsid, double* sited_us = nullptr) {
    const double t0 = velmap::bench::WallUs();
    if (FAILED(host.Create(clsid))) return -1;
    Microsoft::WRL::ComPtr<IObjectWithSite> with_site;
    HWND wnd = nullptr;
    if (FAILED(host.Band()->QueryInterface(IID_PPV_ARGS(&with_site))) ||
        FAILED(with_site->SetSite(static_cast<IOleWindow*>(&host.Site()))) || FAILED(host.Band()->GetWindow(&wnd)))
        return -1;
    if (sited_us) *sited_us = velmap::bench::WallUs() - t0;
    ::SetWindowPos(wnd, nullptr, kStripMargin, kStripMargin, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(wnd, SW_SHOWNA);
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double t = velmap::bench::WallUs() - t0;
    host.Close();
    return t;
}

// Counts what reaches the thread's queue while the band sits idle.
int g_timer_ticks = 0, g_paints = 0;
LRESULT CALLBACK CountMessages(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        if (m->message == WM_TIMER) ++g_timer_ticks;
        if (m->message == WM_PAINT) ++g_paints;
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: band_bench [PATH_TO_VelmapBand.dll]\n");
        return 2;
    }
    char self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string beside(self, n < MAX_PATH ? n : 0);
    beside = beside.substr(0, beside.find_last_of("\\/") + 1) + "VelmapBand.dll";
    const char* const dll_path = argc == 2 ? argv[1] : beside.c_str();
    ::SetProcessDPIAware();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BandBenchPlain";
    ::RegisterClassW(&wc);

    WIN32_FILE_ATTRIBUTE_DATA file{};
    ::GetFileAttributesExA(dll_path, GetFileExInfoStandard, &file);
    HMODULE dll = ::LoadLibraryA(dll_path);
    auto call = [dll](const char* name) {
        auto fn = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
        return fn ? fn() : E_FAIL;
    };
    if (!dll || FAILED(call("DllRegisterServer"))) {
        std::fprintf(stderr, "band_bench: cannot register %s\n", dll_path);
        return 1;
    }
    ::FreeLibrary(dll);

    CallLog log;
    CLSID clsid{};
    bool found = false;
    for (const BandClass& b : EnumerateDeskBands(log))
        if (b.name == L"&Velmora Player") clsid = b.clsid, found = true;
    int code = found ? 0 : 1;

    if (found) {
        MoveMouseTo({::GetSystemMetrics(SM_CXSCREEN) / 2, 10});
        // Footprint first, in a host that has not loaded the module yet.
        const SIZE_T before = PrivateBytes();
        auto first = std::make_unique<BandHost>(log, StripOrientation::Horizontal);
        first->Create(clsid);
        first->Show();
        PumpMessages(300);
        const SIZE_T with_one = PrivateBytes();
        BandHost second(log, StripOrientation::Vertical);
        second.Create(clsid);
        second.Show();
        PumpMessages(300);
        const SIZE_T with_two = PrivateBytes();
        second.Close();

        // Idle: the first band shown, the pointer away.
        PumpMessages(1000);
        HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, CountMessages, nullptr, ::GetCurrentThreadId());
        PumpMessages(2000);
        ::UnhookWindowsHookEx(hook);
        first.reset();
        log.Clear();

        BandHost host(log, StripOrientation::Horizontal);
        host.Create(clsid);
        host.Show();  // puts the strip on the screen
        host.Close();
        std::vector<double> band_us, sited_us, plain_us;
        BandStartUs(host, clsid);  // warm-up: classes registered, codecs loaded
        PlainWindowUs(host.Strip());
        for (int i = 0; i < 20; ++i) {
            double sited = 0;
            band_us.push_back(BandStartUs(host, clsid, &sited));
            sited_us.push_back(sited);
            plain_us.push_back(PlainWindowUs(host.Strip()));
            log.Clear();
        }
        const double band = Median(band_us), plain = Median(plain_us);
        std::printf("band start (CoCreateInstance to first complete paint), median of 20: %9.0f us\n", band);
        std::printf("  of which up to the band's window (object, form, skin), median:     %9.0f us\n",
                    Median(sited_us));
        std::printf("plain child window created and painted once, median of 20:      %9.0f us\n", plain);
        std::printf("ratio band / plain: %.1f (goal <= 3)\n", band / plain);
        std::printf("DLL size: %lu bytes (%.2f MB; goal <= 1.5 MB)\n", file.nFileSizeLow,
                    file.nFileSizeLow / 1048576.0);
        std::printf("private bytes added by the first band (module included): %ld KB\n",
                    static_cast<long>((static_cast<long long>(with_one) - static_cast<long long>(before)) / 1024));
        std::printf("private bytes added by a second band: %ld KB (goal <= 2048 KB a band)\n",
                    static_cast<long>((static_cast<long long>(with_two) - static_cast<long long>(with_one)) / 1024));
        std::printf("idle for 2 s with the pointer away: %d timer ticks, %d paints (goal 0 and 0)\n", g_timer_ticks,
                    g_paints);
        if (band < 0) code = 1;
    }

    dll = ::LoadLibraryA(dll_path);
    if (dll) {
        call("DllUnregisterServer");
        ::FreeLibrary(dll);
    }
    ::CoFreeUnusedLibraries();
    ::CoUninitialize();
    return code;
}
