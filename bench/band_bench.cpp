// The whole band under Wine, in a host like the taskbar:
// - start: CoCreateInstance, SetSite, GetWindow, ShowDW and the first paint of
//   the band and all its children completed, against two baselines timed in
//   the same run, interleaved with it (medians of 20): the floor, the band's
//   own three windows (form, cool bar, panel: their classes' and windows'
//   styles, sizes and colour key copied from a live band) created, shown and
//   painted once with plain GDI fills; and one plain child window of the
//   band's size. The same again while another band is alive (a further band
//   shares the first one's decoded skin);
// - footprint: the DLL's size, and the private bytes the first band (module
//   included) and a further band add to the host;
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

// The band's three windows as a live band has them: each a child of the one
// before, the first a child of the site's window.
struct WindowShape {
    UINT class_style = 0;
    DWORD style = 0, ex_style = 0;
    RECT rect{};  // in the parent's client coordinates
    bool layered = false;
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD layered_flags = 0;
};
struct BandShape {
    WindowShape level[3];
    int levels = 0;
};

BandShape ShapeOf(HWND band) {
    BandShape shape;
    for (HWND w = band; w && shape.levels < 3; w = ::GetWindow(w, GW_CHILD)) {
        WindowShape& s = shape.level[shape.levels++];
        s.class_style = static_cast<UINT>(::GetClassLongPtrW(w, GCL_STYLE));
        s.style = static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_STYLE));
        s.ex_style = static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE));
        ::GetWindowRect(w, &s.rect);
        ::MapWindowPoints(nullptr, ::GetParent(w), reinterpret_cast<POINT*>(&s.rect), 2);
        s.layered = (s.ex_style & WS_EX_LAYERED) &&
                    ::GetLayeredWindowAttributes(w, &s.key, &s.alpha, &s.layered_flags);
    }
    return shape;
}

// One window class a level, with that level's class styles.
void RegisterFloorClasses(const BandShape& shape) {
    static const wchar_t* const names[3] = {L"BandBenchFloor0", L"BandBenchFloor1", L"BandBenchFloor2"};
    for (int i = 0; i < shape.levels; ++i) {
        WNDCLASSW wc{};
        wc.style = shape.level[i].class_style;
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = names[i];
        ::RegisterClassW(&wc);
    }
}

// The floor: the band's windows created, shown and painted once, placed in
// the strip where the band goes.
double FloorUs(HWND strip, const BandShape& shape) {
    static const wchar_t* const names[3] = {L"BandBenchFloor0", L"BandBenchFloor1", L"BandBenchFloor2"};
    const double t0 = velmap::bench::WallUs();
    HWND parent = strip, top = nullptr;
    for (int i = 0; i < shape.levels; ++i) {
        const WindowShape& s = shape.level[i];
        const int x = i == 0 ? kStripMargin : s.rect.left, y = i == 0 ? kStripMargin : s.rect.top;
        // The first window is shown once its children are in, as the band's is.
        const DWORD style = i == 0 ? s.style & ~static_cast<DWORD>(WS_VISIBLE) : s.style;
        HWND w = ::CreateWindowExW(s.ex_style, names[i], L"", style, x, y, s.rect.right - s.rect.left,
                                   s.rect.bottom - s.rect.top, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (s.layered) ::SetLayeredWindowAttributes(w, s.key, s.alpha, s.layered_flags);
        if (!top) top = w;
        parent = w;
    }
    ::ShowWindow(top, SW_SHOWNA);
    ::RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double t = velmap::bench::WallUs() - t0;
    ::DestroyWindow(top);
    return t;
}

// The band from CoCreateInstance to its first complete paint, in a strip that
// is already on the screen; *sited_us gets the part up to the band's window
// (the object, its form, windows and skin), the rest is showing and painting.
double BandStartUs(BandHost& host, REFCLSID clsid, double* sited_us = nullptr, BandShape* shape = nullptr) {
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
    if (shape) *shape = ShapeOf(wnd);
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
        // Footprint first, in a host that has not loaded the module yet; the
        // further bands are averaged over four, as the heap grows in steps.
        constexpr int kFurther = 4;
        const SIZE_T before = PrivateBytes();
        auto first = std::make_unique<BandHost>(log, StripOrientation::Horizontal);
        first->Create(clsid);
        first->Show();
        PumpMessages(300);
        const SIZE_T with_one = PrivateBytes();
        std::vector<std::unique_ptr<BandHost>> further;
        for (int i = 0; i < kFurther; ++i) {
            further.push_back(std::make_unique<BandHost>(log, StripOrientation::Vertical));
            further.back()->Create(clsid);
            further.back()->Show();
        }
        PumpMessages(300);
        const SIZE_T with_more = PrivateBytes();
        for (auto& h : further) h->Close();
        further.clear();

        // Idle: the first band shown, the pointer away.
        PumpMessages(1000);
        HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, CountMessages, nullptr, ::GetCurrentThreadId());
        PumpMessages(2000);
        ::UnhookWindowsHookEx(hook);
        log.Clear();

        BandHost host(log, StripOrientation::Horizontal);
        host.Create(clsid);
        host.Show();  // puts the strip on the screen
        host.Close();
        // Starts of a band while the first one is still up, then of a band
        // alone (the first one gone: it decodes its skin again).
        // Wall time: Wine counts a thread's CPU time in clock ticks, too
        // coarse for a few milliseconds, and much of a window's cost is spent
        // in the server process anyway.
        struct Series {
            std::vector<double> band, sited, floor, plain;
        } with_other, alone;
        BandShape shape;
        auto run = [&](Series& s) {
            BandStartUs(host, clsid, nullptr, &shape);  // warm-up: classes registered, codecs loaded
            if (shape.levels == 3) RegisterFloorClasses(shape);
            FloorUs(host.Strip(), shape);
            PlainWindowUs(host.Strip());
            for (int i = 0; i < 20; ++i) {
                double sited = 0;
                s.band.push_back(BandStartUs(host, clsid, &sited));
                s.sited.push_back(sited);
                s.floor.push_back(FloorUs(host.Strip(), shape));
                s.plain.push_back(PlainWindowUs(host.Strip()));
                log.Clear();
            }
        };
        run(with_other);
        first.reset();
        run(alone);

        const double band = Median(alone.band), floor = Median(alone.floor), plain = Median(alone.plain);
        const double further_band = Median(with_other.band), further_floor = Median(with_other.floor);
        std::printf("band start (CoCreateInstance to first complete paint), median of 20: %.0f us\n", band);
        std::printf("band start up to the band's window (object, form, skin), median of 20: %.0f us\n",
                    Median(alone.sited));
        std::printf("floor (the band's %d windows, plain GDI fills), median of 20: %.0f us\n", shape.levels, floor);
        std::printf("plain child window created and painted once, median of 20: %.0f us\n", plain);
        std::printf("band start / floor: %.2f (goal <= 1.5)\n", band / floor);
        std::printf("band start / plain window: %.2f (goal <= %.1f)\n", band / plain, 1.5 * floor / plain);
        std::printf("further band start (another band up), median of 20: %.0f us\n", further_band);
        std::printf("further band start up to the band's window, median of 20: %.0f us\n", Median(with_other.sited));
        std::printf("further band start / floor: %.2f (goal <= 1.2)\n", further_band / further_floor);
        std::printf("DLL size: %.2f MB (goal <= 1.5 MB)\n", file.nFileSizeLow / 1048576.0);
        std::printf("private bytes added by the first band (module included): %ld KB\n",
                    static_cast<long>((static_cast<long long>(with_one) - static_cast<long long>(before)) / 1024));
        std::printf("private bytes added by each further band, mean of %d: %ld KB (goal <= 150 KB)\n", kFurther,
                    static_cast<long>((static_cast<long long>(with_more) - static_cast<long long>(with_one)) / 1024 /
                                      kFurther));
        std::printf("idle timer ticks in 2 s, pointer away: %d (goal 0)\n", g_timer_ticks);
        std::printf("idle paints in 2 s, pointer away: %d (goal 0)\n", g_paints);
        if (band < 0 || further_band < 0 || shape.levels != 3) code = 1;
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
