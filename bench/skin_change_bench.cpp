// A live skin change in a shown band, under Wine, in a host like the taskbar:
// the user's choice is written (as VelmapBandSettings writes it), the band
// hears of it through the registry's notification, changes skin through its
// manager and repaints. Timed from the dispatch of the band's notification
// message until its thread has nothing left to do (paints included), against
// the time of decoding the internal skin (archive to model) in the same run,
// interleaved (medians of 20). The paints of each of the band's windows during
// one change are counted too.
// The band is registered for the run and unregistered after it; the user's
// choice is removed at the end.
//
//   skin_change_bench.exe [PATH_TO_VelmapBand.dll]     (default: the one beside it)
#include "band_site.h"
#include "win_clock.h"

#include "skin/data/skin_loader.h"
#include "skin/manager/skin_choice.h"

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using namespace velmap::tools;
using velmap::bench::WallUs;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Per window: paints of the window itself (WM_PAINT without a DC), and
// paints of its windowless controls into its DC (WM_PAINT carrying one).
std::map<HWND, std::pair<int, int>> g_paints;
std::string g_areas;  // the area each paint of the window itself covers
void Count(HWND wnd, WPARAM dc) {
    auto& p = g_paints[wnd];
    ++(dc ? p.second : p.first);
    RECT r{};
    if (!dc && ::GetUpdateRect(wnd, &r, FALSE)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, " %ldx%ld@%ld,%ld", r.right - r.left, r.bottom - r.top, r.left, r.top);
        g_areas += buf;
    }
}
bool g_counting = false;
LRESULT CALLBACK CountPaints(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE && g_counting) {
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        if (m->message == WM_PAINT) Count(m->hwnd, m->wParam);
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}
// Paints sent straight to a window (an update forced inside the change).
LRESULT CALLBACK CountSentPaints(int code, WPARAM wp, LPARAM lp) {
    const auto* c = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && g_counting && c->message == WM_PAINT) Count(c->hwnd, c->wParam);
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

// Writes the choice and runs the thread until the band's notification comes
// (two seconds at most), then times its dispatch and everything after it
// until the queue is empty. Negative when the notification never came.
double ChangeUs(const std::string& skin) {
    static const UINT notified = ::RegisterWindowMessageW(L"VelmapBand.SkinChoiceChanged");
    std::string error;
    if (!velmap::skin::WriteSkinChoice({skin, 0, 0, false}, error)) return -1;
    const DWORD deadline = ::GetTickCount() + 2000;
    MSG m;
    double start = -1;
    while (::GetTickCount() < deadline) {
        if (!::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (start >= 0) return WallUs() - start;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (m.message == notified && start < 0) start = WallUs();
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: skin_change_bench [PATH_TO_VelmapBand.dll]\n");
        return 2;
    }
    char self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self, n < MAX_PATH ? n : 0);
    folder = folder.substr(0, folder.find_last_of("\\/") + 1);
    const std::string dll_path = argc == 2 ? argv[1] : folder + "VelmapBand.dll";
    ::SetProcessDPIAware();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    std::ifstream in(folder + "..\\assets\\cold_internal.asz", std::ios::binary);
    const std::vector<std::uint8_t> internal((std::istreambuf_iterator<char>(in)), {});
    HMODULE dll = ::LoadLibraryA(dll_path.c_str());
    auto call = [dll](const char* name) {
        auto fn = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
        return fn ? fn() : E_FAIL;
    };
    if (internal.empty() || !dll || FAILED(call("DllRegisterServer"))) {
        std::fprintf(stderr, "skin_change_bench: cannot register %s or read the internal skin\n", dll_path.c_str());
        return 1;
    }
    ::FreeLibrary(dll);
    velmap::skin::ClearSkinChoice();

    CallLog log;
    CLSID clsid{};
    bool found = false;
    for (const BandClass& b : EnumerateDeskBands(log))
        if (b.name == L"&Velmora Player") clsid = b.clsid, found = true;
    int code = found ? 0 : 1;
    if (found) {
        BandHost host(log, StripOrientation::Horizontal);
        if (FAILED(host.Create(clsid)) || FAILED(host.Show())) return 1;
        PumpMessages(200);
        std::vector<double> to_shipped, to_internal, decode;
        for (int i = 0; i < 21; ++i) {
            const double a = ChangeUs("Chalk");
            const double b = ChangeUs("");
            const double t0 = WallUs();
            velmap::SkinModel model;
            const bool ok = velmap::LoadPackedSkinData(model, internal);
            const double c = WallUs() - t0;
            if (a < 0 || b < 0 || !ok) {
                std::fprintf(stderr, "skin_change_bench: a change was not heard (round %d)\n", i);
                code = 1;
                break;
            }
            if (i == 0) continue;  // the first round makes what the band keeps
            to_shipped.push_back(a);
            to_internal.push_back(b);
            decode.push_back(c);
        }
        // The paints of one change, counted apart: hooks slow every message down.
        HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, CountPaints, nullptr, ::GetCurrentThreadId());
        HHOOK sent = ::SetWindowsHookExW(WH_CALLWNDPROC, CountSentPaints, nullptr, ::GetCurrentThreadId());
        g_counting = true;
        ChangeUs("Chalk");
        g_counting = false;
        ::UnhookWindowsHookEx(hook);
        ::UnhookWindowsHookEx(sent);
        if (code == 0) {
            const double d = Median(decode);
            std::printf("decoding the internal skin: %.0f us\n", d);
            std::printf("live change to a shipped skin: %.0f us\n", Median(to_shipped));
            std::printf("live change back to the internal skin: %.0f us\n", Median(to_internal));
            std::printf("live skin change / decoding the internal skin: %.2f (goal <= 1.5)\n", Median(to_shipped) / d);
            std::printf("live change back / decoding the internal skin: %.2f (goal <= 1.5)\n", Median(to_internal) / d);
            int most = 0;
            for (const auto& [wnd, paints] : g_paints) {
                wchar_t cls[64] = {};
                ::GetClassNameW(wnd, cls, 64);
                std::printf("  window %p (%ls): %d paints of its own, %d of its windowless controls\n",
                            static_cast<void*>(wnd), cls, paints.first, paints.second);
                most = std::max(most, paints.first);
            }
            std::printf("  areas painted:%s\n", g_areas.c_str());
            std::printf("paints of the band's windows in one change: %d windows, at most %d each (goal 1)\n",
                        static_cast<int>(g_paints.size()), most);
        }
        host.Close();
    }
    velmap::skin::ClearSkinChoice();
    if ((dll = ::LoadLibraryA(dll_path.c_str()))) {
        call("DllUnregisterServer");
        ::FreeLibrary(dll);
    }
    ::CoUninitialize();
    return code;
}
